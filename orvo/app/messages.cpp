#include "orvo/app/messages.h"

#include <kestrum-gui/displaytext.h>

namespace orvo {

QString DisplayText(std::string_view bytes) {
    QString text = kestrum::DecodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        std::string_view text,
                                        QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromLatin1(kMessageTitle), DisplayText(text), buttons, parent);
    // Texts of lists and settings files are never markup.
    box.setTextFormat(Qt::PlainText);
    // A box made for a window that a run keeps disabled would be disabled with it.
    box.setEnabled(true);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace orvo
