#pragma once

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <utility>

namespace testsupport {

// Answers every modal dialog that opens while it lives (a message box, a colour, font or file
// dialog): answer gets the dialog once it is shown and must close it. The answer runs from the
// dialog's own event loop, so nothing waits for a time.
class DialogAnswerer : public QObject {
public:
    using Answer = std::function<void(QDialog&)>;

    explicit DialogAnswerer(Answer answer)
        : m_answer(std::move(answer)) {
        qApp->installEventFilter(this);
    }
    ~DialogAnswerer() override { qApp->removeEventFilter(this); }

    int GetCount() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal()) {
            QPointer<QDialog> shown(dialog);
            QMetaObject::invokeMethod(
                this,
                [this, shown] {
                    if (shown) {
                        ++m_count;
                        m_answer(*shown);
                    }
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Answer m_answer;
    int m_count = 0;
};

} // namespace testsupport
