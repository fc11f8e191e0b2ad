#include "orvo/engine/palette.h"

#include <limits>

namespace orvo {

const std::array<std::uint32_t, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

std::uint8_t NearestPaletteIndex(std::uint32_t rgb) {
    const auto channel = [](std::uint32_t colour, int shift) {
        return static_cast<int>((colour >> shift) & 0xFF);
    };
    std::uint8_t nearest = 0;
    int nearestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < kStandardPalette.size(); ++i) {
        const int dr = channel(rgb, 16) - channel(kStandardPalette[i], 16);
        const int dg = channel(rgb, 8) - channel(kStandardPalette[i], 8);
        const int db = channel(rgb, 0) - channel(kStandardPalette[i], 0);
        const int distance = dr * dr + dg * dg + db * db;
        // Strictly smaller, so that a tie keeps the lower index.
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = static_cast<std::uint8_t>(i);
        }
    }
    return nearest;
}

} // namespace orvo
