#include "kestrum-widgets/settingsdlg/climitedtextedit.h"

#include <QTextCursor>

#include <algorithm>

namespace kestrum {

namespace {

qsizetype CommonPrefix(const QString& a, const QString& b) {
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype n = 0;
    while (n < limit && a[n] == b[n]) {
        ++n;
    }
    return n;
}

// Common end of a and b that does not reach into their first prefix characters.
qsizetype CommonSuffix(const QString& a, const QString& b, qsizetype prefix) {
    const qsizetype limit = std::min(a.size(), b.size()) - prefix;
    qsizetype n = 0;
    while (n < limit && a[a.size() - 1 - n] == b[b.size() - 1 - n]) {
        ++n;
    }
    return n;
}

} // namespace

CLimitedTextEdit::CLimitedTextEdit(QWidget* parent)
    : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &CLimitedTextEdit::OnTextChanged);
}

void CLimitedTextEdit::SetText(const QString& text) {
    m_replacing = true;
    m_accepted = text;
    setPlainText(text);
    m_replacing = false;
}

void CLimitedTextEdit::OnTextChanged() {
    if (m_replacing) {
        return;
    }
    const QString text = toPlainText();
    if (m_maxChars < 0 || text.size() <= m_maxChars || text.size() <= m_accepted.size()) {
        m_accepted = text;
        return;
    }
    // Keep the old text around the edit and as much of the inserted part as fits.
    const qsizetype prefix = CommonPrefix(m_accepted, text);
    const qsizetype suffix = CommonSuffix(m_accepted, text, prefix);
    const QString inserted = text.mid(prefix, text.size() - prefix - suffix);
    qsizetype room = std::clamp<qsizetype>(m_maxChars - prefix - suffix, 0, inserted.size());
    if (room > 0 && inserted[room - 1].isHighSurrogate()) {
        --room; // never half a character
    }
    // Remove the rest of the insertion where it stands, so the undo history stays usable.
    QTextCursor cursor = textCursor();
    cursor.setPosition(static_cast<int>(prefix + room));
    cursor.setPosition(static_cast<int>(prefix + inserted.size()), QTextCursor::KeepAnchor);
    m_replacing = true;
    cursor.removeSelectedText();
    m_replacing = false;
    setTextCursor(cursor);
    m_accepted = toPlainText();
}

} // namespace kestrum
