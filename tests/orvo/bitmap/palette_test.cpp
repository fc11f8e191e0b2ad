#include "render/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace orvo {
namespace {

TEST(StandardPalette, HoldsTheSixteenColoursInTableOrder) {
    const std::array<std::uint32_t, 16> expected = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    EXPECT_EQ(kStandardPalette, expected);
}

TEST(NearestPaletteIndex, EveryPaletteColourIsItsOwnIndex) {
    for (std::size_t i = 0; i < kStandardPalette.size(); ++i) {
        EXPECT_EQ(NearestPaletteIndex(kStandardPalette[i]), i);
    }
}

TEST(NearestPaletteIndex, IgnoresTheByteAboveTheColour) {
    EXPECT_EQ(NearestPaletteIndex(0xFF0000FF), 12);
    EXPECT_EQ(NearestPaletteIndex(0xFFFFFFFF), 15);
}

// Colours exactly between palette entries, with the squared distances that tie.
TEST(NearestPaletteIndex, TiesGoToTheLowerIndex) {
    const std::pair<std::uint32_t, int> cases[] = {
        {0x400000, 0}, // 4096 to black and to dark red
        {0x000040, 0}, // 4096 to black and to dark blue
        {0x404040, 0}, // 12288 to black, dark red, green, olive, blue, purple, teal, dark grey
        {0xA0A0A0, 7}, // 3072 to light grey (7) and dark grey (8)
        {0x804000, 1}, // 4096 to dark red and olive
    };
    for (const auto& [rgb, index] : cases) {
        EXPECT_EQ(NearestPaletteIndex(rgb), index) << std::hex << rgb;
    }
}

// What antialiased glyph edges produce: blends of the text, band and background colours.
TEST(NearestPaletteIndex, BlendsFallOnTheNearestColour) {
    const std::pair<std::uint32_t, int> cases[] = {
        {0xDFDFDF, 7},                 // grey: 2883 to light grey, 3072 to white
        {0xE0E0E0, 15},                // 3072 to light grey, 2883 to white
        {0x9F9F9F, 8},                 // 2883 to dark grey, 3267 to light grey
        {0xA1A1A1, 7},  {0x7F7F80, 8}, // yellow and blue half and half
        {0xBFBF40, 3}, // three quarters yellow on blue: 12034 to olive and dark grey
        {0x4040BF, 4}, // a quarter yellow on blue: 12161 to dark blue and three others
        {0x6060C0, 8},  {0xFEFEFE, 15}, // white that lost a bit
    };
    for (const auto& [rgb, index] : cases) {
        EXPECT_EQ(NearestPaletteIndex(rgb), index) << std::hex << rgb;
    }
}

// The table against the search that defines the answer. Every colour there is would take
// several seconds in a Debug build, so this takes a grid through the cube and, densely, the
// colours where a wrong cell or candidate would show: either side of every edge between cells
// (of 4, 8 or 16 alike), the corners where most palette colours tie, and the colours on and
// next to the plane of equal distance to each pair of palette colours.
TEST(NearestIndexTable, AgreesWithTheSearch) {
    const NearestIndexTable& nearest = NearestIndexTable::Get();
    int wrong = 0;
    std::uint32_t first = 0;
    const auto check = [&](const std::array<int, 3>& c) {
        const auto rgb =
            static_cast<std::uint32_t>(std::clamp(c[0], 0, 255) << 16 |
                                       std::clamp(c[1], 0, 255) << 8 | std::clamp(c[2], 0, 255));
        if (nearest(rgb) != NearestPaletteIndex(rgb) && wrong++ == 0) {
            first = rgb;
        }
    };
    const auto values = [](int step, std::initializer_list<int> around) {
        std::vector<int> all;
        for (int v = 0; v <= 256; v += step) {
            for (const int offset : around) {
                all.push_back(v + offset);
            }
        }
        return all;
    };
    const auto everyColourOf = [&](const auto& r, const auto& g, const auto& b) {
        for (const int x : r) {
            for (const int y : g) {
                for (const int z : b) {
                    check({x, y, z});
                }
            }
        }
    };
    // A step of 3 meets every position within a cell.
    const std::vector<int> grid = values(3, {0});
    const std::vector<int> coarse = values(5, {0});
    const std::vector<int> edges = values(4, {-1, 0});
    const std::vector<int> corners = values(8, {-1, 0});
    everyColourOf(grid, grid, grid);
    everyColourOf(edges, coarse, coarse);
    everyColourOf(coarse, edges, coarse);
    everyColourOf(coarse, coarse, edges);
    everyColourOf(corners, corners, corners);
    const auto channels = [](std::uint32_t rgb) {
        return std::array{static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                          static_cast<int>(rgb & 0xFF)};
    };
    const std::vector<int> sparse = values(11, {0});
    for (const std::uint32_t pColour : kStandardPalette) {
        for (const std::uint32_t qColour : kStandardPalette) {
            const std::array<int, 3> p = channels(pColour);
            const std::array<int, 3> q = channels(qColour);
            const int constant =
                q[0] * q[0] + q[1] * q[1] + q[2] * q[2] - (p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
            // The plane 2x.(q - p) = |q|^2 - |p|^2, solved for each channel in which q is more.
            for (std::size_t c = 0; c < 3; ++c) {
                const std::size_t u = (c + 1) % 3;
                const std::size_t w = (c + 2) % 3;
                for (const int a : (q[c] > p[c] ? sparse : std::vector<int>{})) {
                    for (const int b : sparse) {
                        const double x =
                            (constant - 2.0 * (a * (q[u] - p[u]) + b * (q[w] - p[w]))) /
                            (2.0 * (q[c] - p[c]));
                        for (const int v : {-1, 0, 1}) {
                            std::array<int, 3> colour{};
                            colour[c] = static_cast<int>(std::floor(x)) + v;
                            colour[u] = a;
                            colour[w] = b;
                            check(colour);
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "the first: " << std::hex << first;
}

TEST(NearestIndexTable, IgnoresTheByteAboveTheColour) {
    const NearestIndexTable& nearest = NearestIndexTable::Get();
    EXPECT_EQ(nearest(0xFF0000FF), 12);
    EXPECT_EQ(nearest(0xFFFFFFFF), 15);
    EXPECT_EQ(nearest(0x80404040), 0);
}

} // namespace
} // namespace orvo
