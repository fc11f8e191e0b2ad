#pragma once

// Helpers of the widgets library's Qt tests.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <utility>

namespace testsupport {

// "Root(a,b,S(x))": an item's text, then its children in brackets.
inline QString Outline(const QTreeWidgetItem& item) {
    QString text = item.text(0);
    if (item.childCount() == 0) {
        return text;
    }
    QStringList children;
    for (int i = 0; i < item.childCount(); ++i) {
        children << Outline(*item.child(i));
    }
    return text + "(" + children.join(',') + ")";
}

inline QString Outline(const QTreeWidget& tree) {
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        top << Outline(*tree.topLevelItem(i));
    }
    return top.join(';');
}

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
