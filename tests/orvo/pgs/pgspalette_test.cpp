#include "output/pgs/pgspalette.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvo {
namespace {

::testing::AssertionResult Near(const PgsPaletteEntry& actual, int y, int cb, int cr) {
    if (std::abs(actual.y - y) <= 1 && std::abs(actual.cb - cb) <= 1 &&
        std::abs(actual.cr - cr) <= 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "Y " << int{actual.y} << " Cb " << int{actual.cb} << " Cr " << int{actual.cr};
}

TEST(PgsColourTest, LimitedRangeInTheVideosColourSpace) {
    for (const int height : {576, 1080}) {
        EXPECT_TRUE(Near(PgsColour(1, qRgb(255, 255, 255), height), 235, 128, 128));
        EXPECT_TRUE(Near(PgsColour(1, qRgb(0, 0, 0), height), 16, 128, 128));
        EXPECT_TRUE(Near(PgsColour(1, qRgb(128, 128, 128), height), 126, 128, 128));
    }
    // Red and blue weigh less in HD luma.
    EXPECT_TRUE(Near(PgsColour(1, qRgb(255, 0, 0), 576), 81, 90, 240));
    EXPECT_TRUE(Near(PgsColour(1, qRgb(255, 0, 0), 720), 63, 102, 240));
    EXPECT_TRUE(Near(PgsColour(1, qRgb(0, 0, 255), 480), 41, 240, 110));
    EXPECT_TRUE(Near(PgsColour(1, qRgb(0, 0, 255), 1080), 32, 240, 118));
}

TEST(PgsColourTest, KeepsIndexAndStraightAlpha) {
    const PgsPaletteEntry entry = PgsColour(7, qRgba(255, 255, 255, 64), 1080);
    EXPECT_EQ(entry.index, 7);
    EXPECT_EQ(entry.alpha, 64);
    // Not premultiplied: a faint white is still white.
    EXPECT_TRUE(Near(entry, 235, 128, 128));
    EXPECT_EQ(PgsColour(0, qRgba(0, 0, 0, 255), 1080).alpha, 255);
}

} // namespace
} // namespace orvo
