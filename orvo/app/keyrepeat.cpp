#include "keyrepeat.h"

namespace orvo {

KeyRepeat::KeyId KeyRepeat::IdOf(const QKeyEvent& key) {
    constexpr KeyId kScanCode = 1ULL << 32;
    return key.nativeScanCode() != 0 ? kScanCode | key.nativeScanCode()
                                     : static_cast<KeyId>(static_cast<unsigned>(key.key()));
}

bool KeyRepeat::IsRepeat(QEvent::Type type, const QKeyEvent& key) {
    if (key.isAutoRepeat()) {
        return true;
    }
    const KeyId id = IdOf(key);
    if (type == QEvent::KeyRelease) {
        m_released = id;
        m_releaseTime = key.timestamp();
        return false;
    }
    // Events made up in a program carry no time at all.
    return key.timestamp() != 0 && id == m_released && key.timestamp() == m_releaseTime;
}

} // namespace orvo
