#include "render/lookscaling.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvo {
namespace {

RenderSettings PalLook() {
    RenderSettings look;
    look.Font.height = -24;
    look.LeftMargin = 40;
    look.RightMargin = 150;
    look.OutlineSpacing = 2;
    look.OutlineWidth = 1;
    look.ShadowOffset = 1;
    return look;
}

TEST(LookScalingTest, HdCanvasScalesEveryLengthByTheLines) {
    const RenderSettings at1080 = LookOnCanvas(PalLook(), kPalCanvas, k1080Canvas);
    EXPECT_EQ(at1080.Resolution, 1080);
    EXPECT_TRUE(at1080.PAL);
    EXPECT_EQ(at1080.Font.height, -45);
    EXPECT_EQ(at1080.LeftMargin, 75);
    EXPECT_EQ(at1080.RightMargin, 281);
    EXPECT_EQ(at1080.OutlineSpacing, 4); // 3.75
    EXPECT_EQ(at1080.OutlineWidth, 2);   // 1.875
    EXPECT_EQ(at1080.ShadowOffset, 2);

    RenderSettings cell = PalLook();
    cell.Font.height = 20; // a cell height keeps its sign: 25
    cell.LeftMargin = 50;  // 62.5 rounds up
    cell.PAL = false;
    const RenderSettings at720 = LookOnCanvas(cell, kNtscCanvas, k720Canvas);
    EXPECT_EQ(at720.Resolution, 720);
    EXPECT_FALSE(at720.PAL);
    EXPECT_EQ(at720.Font.height, 25);
    EXPECT_EQ(at720.LeftMargin, 63);
    EXPECT_EQ(at720.RightMargin, 188);
    EXPECT_EQ(at720.OutlineWidth, 1); // 1.25

    const RenderSettings between = LookOnCanvas(at720, k720Canvas, k1080Canvas);
    EXPECT_EQ(between.Font.height, 38);  // 37.5
    EXPECT_EQ(between.RightMargin, 281); // 282 is beyond the range
}

TEST(LookScalingTest, RangesHoldOnBothWays) {
    RenderSettings wide = PalLook();
    wide.OutlineSpacing = 5;
    wide.OutlineWidth = 4;
    wide.ShadowOffset = 4;
    const RenderSettings up = LookOnCanvas(wide, kPalCanvas, k1080Canvas);
    EXPECT_EQ(up.OutlineSpacing, 5);
    EXPECT_EQ(up.OutlineWidth, 4);
    EXPECT_EQ(up.ShadowOffset, 4);
    const RenderSettings down = LookOnCanvas(up, k1080Canvas, kPalCanvas);
    EXPECT_EQ(down.OutlineSpacing, 3); // 2.67
    EXPECT_EQ(down.OutlineWidth, 2);
    EXPECT_EQ(down.Resolution, 0);
    EXPECT_TRUE(down.PAL);
    // No ring narrower than one pixel, whatever came in.
    wide.OutlineWidth = 0;
    EXPECT_EQ(LookOnCanvas(wide, kPalCanvas, k720Canvas).OutlineWidth, 1);
}

// Upscaled by more than one, every value comes back where the ranges let it.
TEST(LookScalingTest, RoundTripToHdAndBackKeepsTheLook) {
    for (const CanvasSpec* hd : {&k720Canvas, &k1080Canvas}) {
        for (int length = 0; length <= kMaxMargin; ++length) {
            RenderSettings look = PalLook();
            look.Font.height = -length;
            look.LeftMargin = look.RightMargin = look.VerticalOffset = length;
            look.OutlineSpacing = std::min(length, 2);
            look.OutlineWidth = std::clamp(length, 1, 2);
            look.ShadowOffset = std::min(length, 2);
            EXPECT_EQ(LookOnCanvas(LookOnCanvas(look, kPalCanvas, *hd), *hd, kPalCanvas), look)
                << hd->name << " " << length;
        }
    }
}

// Both standard-definition canvases measure in PAL's lines: only the canvas changes.
TEST(LookScalingTest, PalAndNtscKeepTheLook) {
    RenderSettings look = PalLook();
    look.LeftMargin = 400; // out of range: still left alone
    look.OutlineWidth = 0;
    RenderSettings ntsc = LookOnCanvas(look, kPalCanvas, kNtscCanvas);
    EXPECT_FALSE(ntsc.PAL);
    ntsc.PAL = true;
    EXPECT_EQ(ntsc, look);
    EXPECT_EQ(LookOnCanvas(ntsc, kNtscCanvas, kPalCanvas), look);
}

} // namespace
} // namespace orvo
