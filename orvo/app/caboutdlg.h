#pragma once

#include <QDialog>

#include <string>

class QLabel;

namespace orvo {

// The product name and the program's version.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // version: the long version text ("Version 0.1  Build 1  Beta").
    explicit CAboutDlg(const std::string& version, QWidget* parent = nullptr);
};

} // namespace orvo
