#pragma once

#include <QKeyEvent>

namespace orvo {

// Tells the repeats of a key held down from real presses. Qt marks most of them, but on X11 it
// learns that a release belongs to a repeat by finding the next press already queued, and when
// that press comes a moment later both look real. The server gives a repeat's release and
// press the same time, which a person's release and next press never share.
class KeyRepeat {
public:
    // The physical key where the platform names it, so that a key released with other
    // modifiers than it went down with is still the same key; otherwise the Qt key.
    using KeyId = unsigned long long;
    static KeyId IdOf(const QKeyEvent& key);

    // To be called for every key press and release, in order (a shortcut override counts as
    // its press): whether the event belongs to the repeats of a held key.
    bool IsRepeat(QEvent::Type type, const QKeyEvent& key);

private:
    KeyId m_released = 0;
    quint64 m_releaseTime = 0;
};

} // namespace orvo
