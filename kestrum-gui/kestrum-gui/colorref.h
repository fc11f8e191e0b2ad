#pragma once

#include <kestrum/kestrum_gui_export.h>

#include <QColor>

#include <cstdint>

namespace kestrum {

// A colour as settings files store it: 0x00BBGGRR, red in the lowest byte, the top byte 0.
using COLORREF = std::uint32_t;

KESTRUM_GUI_EXPORT QColor ToQColor(COLORREF colour);

// The alpha channel is dropped: stored colours are always opaque.
KESTRUM_GUI_EXPORT COLORREF ToColorRef(const QColor& colour);

} // namespace kestrum
