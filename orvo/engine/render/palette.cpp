#include "render/palette.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace orvo {

const std::array<std::uint32_t, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

int SquaredDistance(std::uint32_t a, std::uint32_t b) {
    const int dr = Channel(a, 16) - Channel(b, 16);
    const int dg = Channel(a, 8) - Channel(b, 8);
    const int db = Channel(a, 0) - Channel(b, 0);
    return dr * dr + dg * dg + db * db;
}

// The squared distances from a colour to the nearest and to the farthest colour of a cube of
// colours.
struct Reach {
    int nearest = 0;
    int farthest = 0;
};

Reach ReachOfCube(std::uint32_t colour, std::uint32_t lowCorner, int width) {
    Reach reach;
    for (const int shift : {16, 8, 0}) {
        const int value = Channel(colour, shift);
        const int low = Channel(lowCorner, shift);
        const int high = low + width - 1;
        const int nearest = value < low ? low - value : value > high ? value - high : 0;
        const int farthest = std::max(value - low, high - value);
        reach.nearest += nearest * nearest;
        reach.farthest += farthest * farthest;
    }
    return reach;
}

// A palette colour can be nearest (or tie) somewhere in the cube only if it comes as close as
// the farthest reach of the palette colour that reaches least far.
std::uint16_t CandidatesForCube(std::uint32_t lowCorner, int width) {
    std::array<Reach, kStandardPalette.size()> reach{};
    int leastFarthest = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < reach.size(); ++i) {
        reach[i] = ReachOfCube(kStandardPalette[i], lowCorner, width);
        leastFarthest = std::min(leastFarthest, reach[i].farthest);
    }
    std::uint16_t candidates = 0;
    for (std::size_t i = 0; i < reach.size(); ++i) {
        if (reach[i].nearest <= leastFarthest) {
            candidates |= static_cast<std::uint16_t>(1u << i);
        }
    }
    return candidates;
}

} // namespace

std::uint8_t NearestPaletteIndex(std::uint32_t rgb) {
    // All distances first, then the smallest: the first loop runs in vector registers.
    std::array<int, kStandardPalette.size()> distance{};
    for (std::size_t i = 0; i < distance.size(); ++i) {
        distance[i] = SquaredDistance(rgb, kStandardPalette[i]);
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

const NearestIndexTable& NearestIndexTable::Get() {
    // Constant-initialised: no guard and no pass over the table at start.
    static constinit NearestIndexTable table;
    return table;
}

std::uint16_t NearestIndexTable::CandidatesOfCell(std::uint32_t rgb) {
    constexpr int kWidth = 256 >> kCellBits;
    constexpr std::uint32_t kLowBits = kWidth - 1;
    const std::uint32_t corner = rgb & ~(kLowBits << 16 | kLowBits << 8 | kLowBits) & 0xFFFFFFu;
    return CandidatesForCube(corner, kWidth);
}

std::uint8_t NearestIndexTable::Resolve(std::uint32_t rgb, std::uint16_t candidates) {
    auto nearest = static_cast<std::uint8_t>(std::countr_zero(candidates));
    int least = SquaredDistance(rgb, kStandardPalette[nearest]);
    // In rising index order and strictly smaller, so that a tie keeps the lower index.
    for (candidates &= candidates - 1; candidates != 0; candidates &= candidates - 1) {
        const auto index = static_cast<std::uint8_t>(std::countr_zero(candidates));
        const int distance = SquaredDistance(rgb, kStandardPalette[index]);
        if (distance < least) {
            least = distance;
            nearest = index;
        }
    }
    return nearest;
}

} // namespace orvo
