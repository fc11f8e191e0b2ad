#include "heldkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>

namespace orvo {

namespace {

// The top-level window that a key event is for, whether it reaches the window or a widget in
// it; a popup (a list opened from a combo box, a menu) belongs to the window it opens from,
// since keys go on reaching that window while the popup takes them.
const QWidget* WindowOf(QObject* receiver) {
    QWidget* widget = qobject_cast<QWidget*>(receiver);
    if (const auto* window = qobject_cast<QWindow*>(receiver);
        window != nullptr && window->handle() != nullptr) {
        widget = QWidget::find(window->winId());
    }
    while (widget != nullptr) {
        widget = widget->window();
        if (widget->windowType() != Qt::Popup || widget->parentWidget() == nullptr) {
            break;
        }
        widget = widget->parentWidget();
    }
    return widget;
}

} // namespace

HeldKeys::HeldKeys(QObject* parent)
    : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
    // A key held while a dialog opens or closes was meant for the window it went down in.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &HeldKeys::IgnoreRepeatsOfHeldKeys);
}

HeldKeys::~HeldKeys() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool HeldKeys::IsHeld(Qt::Key key) const {
    return std::any_of(m_keys.begin(), m_keys.end(), [key](const auto& held) {
        return held.second.down && held.second.qtKey == key;
    });
}

// Keys that are up need no mark: only a held key repeats, and a new press starts a new period
// for its key.
void HeldKeys::IgnoreRepeatsOfHeldKeys() {
    ++m_period;
}

bool HeldKeys::Follow(QEvent::Type type, const QKeyEvent& key, const QWidget* window) {
    Key& state = m_keys[KeyRepeat::IdOf(key)];
    const bool press = type != QEvent::KeyRelease;
    if (m_repeat.IsRepeat(type, key)) {
        // The release before a repeat's press may have looked real.
        state.down = state.down || press;
        return state.period != m_period || state.window == nullptr || state.window != window;
    }
    state.down = press;
    if (press) {
        state.qtKey = key.key();
        state.period = m_period;
        state.window = window;
    }
    return false;
}

bool HeldKeys::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    // The shortcut override comes first for a press: a dropped one must not start a shortcut.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (Follow(event->type(), *static_cast<QKeyEvent*>(event), WindowOf(watched))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ApplicationStateChange:
        // A release while another program has the keyboard never reaches us.
        if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
            m_keys.clear();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvo
