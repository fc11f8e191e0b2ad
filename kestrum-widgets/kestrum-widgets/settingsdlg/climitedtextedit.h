#pragma once

#include <QPlainTextEdit>

namespace kestrum {

// A multi-line text field that refuses to grow beyond a number of characters. Like the edit
// fields of the system the format comes from, the limit holds for what the user types or
// pastes (the part of an insertion that fits is kept), not for text set by the program: a
// stored value longer than the limit is shown whole and can still be shortened.
class CLimitedTextEdit : public QPlainTextEdit {
public:
    explicit CLimitedTextEdit(QWidget* parent = nullptr);

    // A negative limit means none.
    void SetMaxChars(int maxChars) { m_maxChars = maxChars; }
    // Sets the text without applying the limit.
    void SetText(const QString& text);

private:
    void OnTextChanged();

    int m_maxChars = -1;
    QString m_accepted; // the text as it stood after the last accepted change
    bool m_replacing = false;
};

} // namespace kestrum
