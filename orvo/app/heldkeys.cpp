#include "orvo/app/heldkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>

namespace orvo {

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
    return std::any_of(m_held.begin(), m_held.end(),
                       [key](const auto& held) { return held.second == key; });
}

void HeldKeys::IgnoreRepeatsOfHeldKeys() {
    for (const auto& held : m_held) {
        m_ignored.insert(held.first);
    }
}

HeldKeys::KeyId HeldKeys::IdOf(const QKeyEvent& key) {
    constexpr KeyId kScanCode = 1ULL << 32;
    return key.nativeScanCode() != 0 ? kScanCode | key.nativeScanCode()
                                     : static_cast<KeyId>(static_cast<unsigned>(key.key()));
}

bool HeldKeys::Follow(QEvent::Type type, const QKeyEvent& key) {
    const KeyId id = IdOf(key);
    // A held key repeats as release and press pairs; only a real release lets it go.
    if (key.isAutoRepeat()) {
        return m_ignored.contains(id);
    }
    // A real press means the key went up before, even when its release never reached us.
    m_ignored.erase(id);
    if (type == QEvent::KeyRelease) {
        m_held.erase(id);
    } else {
        m_held[id] = key.key();
    }
    return false;
}

bool HeldKeys::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    // The shortcut override comes first for a press: a dropped one must not start a shortcut.
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (Follow(event->type(), *static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ApplicationStateChange:
        // A release while another program has the keyboard never reaches us.
        if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
            m_held.clear();
            m_ignored.clear();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvo
