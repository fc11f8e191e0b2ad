#include "palette.h"

namespace orvo {

const std::array<std::uint32_t, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

} // namespace

std::uint8_t NearestPaletteIndex(std::uint32_t rgb) {
    const int r = Channel(rgb, 16);
    const int g = Channel(rgb, 8);
    const int b = Channel(rgb, 0);
    // All distances first, then the smallest: the first loop runs in vector registers.
    std::array<int, kStandardPalette.size()> distance{};
    for (std::size_t i = 0; i < distance.size(); ++i) {
        const int dr = r - Channel(kStandardPalette[i], 16);
        const int dg = g - Channel(kStandardPalette[i], 8);
        const int db = b - Channel(kStandardPalette[i], 0);
        distance[i] = dr * dr + dg * dg + db * db;
    }
    std::uint8_t nearest = 0;
    for (std::uint8_t i = 1; i < distance.size(); ++i) {
        // Strictly smaller, so that a tie keeps the lower index.
        if (distance[i] < distance[nearest]) {
            nearest = i;
        }
    }
    return nearest;
}

} // namespace orvo
