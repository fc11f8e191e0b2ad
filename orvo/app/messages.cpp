#include "messages.h"

#include "keyrepeat.h"

#include <kestrum-gui/displaytext.h>

#include <QKeyEvent>

namespace orvo {

namespace {

// Drops what a person did not mean as an answer: the repeats of a held key, Escape, and the
// close box. An answer still ends the box: QDialog keeps its own close event from it.
class DeliberateAnswers : public QObject {
public:
    using QObject::QObject;

    void Guard(QWidget& box) {
        box.installEventFilter(this);
        for (QWidget* child : box.findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool repeat = m_repeat.IsRepeat(event->type(), *key);
            if (event->type() != QEvent::KeyRelease && (repeat || key->key() == Qt::Key_Escape)) {
                // Accepted, so that no shortcut acts on it either.
                event->accept();
                return true;
            }
            break;
        }
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    KeyRepeat m_repeat;
};

void Prepare(QMessageBox& box) {
    // Texts of lists and settings files are never markup.
    box.setTextFormat(Qt::PlainText);
    // A box made for a window that a run keeps disabled would be disabled with it.
    box.setEnabled(true);
}

} // namespace

QString DisplayText(std::string_view bytes) {
    QString text = kestrum::DecodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        std::string_view text,
                                        QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromLatin1(kMessageTitle), DisplayText(text), buttons, parent);
    Prepare(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool AskYesNo(QWidget* parent, std::string_view question) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kMessageTitle),
                    DisplayText(question), QMessageBox::Yes | QMessageBox::No, parent);
    Prepare(box);
    box.setDefaultButton(QMessageBox::Yes);
    DeliberateAnswers guard;
    guard.Guard(box);
    return box.exec() == QMessageBox::Yes;
}

std::string WithReason(std::string_view message, std::string_view reason) {
    std::string text(message);
    if (!reason.empty()) {
        text.append("\r\n").append(reason);
    }
    return text;
}

} // namespace orvo
