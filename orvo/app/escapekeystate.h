#pragma once

#include "heldkeys.h"

namespace orvo {

// Whether the Escape key is held down now, not whether it was pressed: a run asks once per
// subtitle.
class EscapeKeyState : public HeldKeys {
public:
    using HeldKeys::HeldKeys;

    bool IsDown() const { return IsHeld(Qt::Key_Escape); }
};

} // namespace orvo
