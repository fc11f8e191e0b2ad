#include "orvo/app/escapekeystate.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace orvo {

EscapeKeyState::EscapeKeyState(QObject* parent)
    : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeKeyState::~EscapeKeyState() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool EscapeKeyState::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A held key repeats as release and press pairs; only a real release lets it go.
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
            m_down = event->type() == QEvent::KeyPress;
        }
        break;
    }
    case QEvent::ApplicationStateChange:
        // A release while another program has the keyboard never reaches us.
        if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
            m_down = false;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvo
