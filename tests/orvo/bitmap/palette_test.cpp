#include "palette.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

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

} // namespace
} // namespace orvo
