#pragma once

#include <QRgb>

#include <cstdint>

namespace orvo {

// One palette entry as the stream holds it: limited-range YCbCr and straight alpha.
struct PgsPaletteEntry {
    std::uint8_t index = 0;
    std::uint8_t y = 16;
    std::uint8_t cr = 128;
    std::uint8_t cb = 128;
    std::uint8_t alpha = 0;

    bool operator==(const PgsPaletteEntry&) const = default;
};

// The colour space of a video of height lines: BT.709 above 576, BT.601 at or below, as
// players read the palette.
PgsPaletteEntry PgsColour(std::uint8_t index, QRgb colour, int videoHeight);

} // namespace orvo
