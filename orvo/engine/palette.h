#pragma once

#include <array>
#include <cstdint>

namespace orvo {

// The 16 standard colours (0x00RRGGBB here, as QImage holds pixels), in the order of the
// colour table of every bitmap and the items of the colour selector.
extern const std::array<std::uint32_t, 16> kStandardPalette;

// The index of the palette colour nearest to rgb (smallest squared distance; ties to the lower
// index).
std::uint8_t NearestPaletteIndex(std::uint32_t rgb);

} // namespace orvo
