#pragma once

#include <QDialog>

#include <string>

namespace orvo {

// The end of a run that found subtitles needing more lines than the list gave: the message in
// red over the list of their images.
class CErrorLogDlg : public QDialog {
    Q_OBJECT

public:
    // log: one image file name per line, each ended by CR LF.
    CErrorLogDlg(const std::string& message, const std::string& log, QWidget* parent = nullptr);
};

} // namespace orvo
