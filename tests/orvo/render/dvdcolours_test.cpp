#include "render/dvdcolours.h"

#include "model/texts.h"
#include "output/dvd1/bitmapfile.h"
#include "render/subtitlerenderer.h"
#include "storedcolours.h"

#include "common/childprogram.h"
#include "common/imageprobes.h"
#include "common/tempdir.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orvo {
namespace {

using testsupport::Colours;
using testsupport::ToRgb;

constexpr QRgb kGreyPixel = 0xFF808080;

const std::string kText = texts::kTestText;

struct KeyedCase {
    QRgb pixel;
    bool antiAlias;
    DvdClass expected;
};

TEST(DvdClassTest, EachKeyedPixelFallsIntoTheClassOfTheLayersThatMadeIt) {
    const KeyedCase cases[] = {
        {0xFF000000, true, DvdClass::Background},
        {0xFF0000FF, true, DvdClass::TextBackground},
        {0xFFFF00FF, true, DvdClass::Text},
        {0xFFFF00FF, false, DvdClass::Text},
        // Glyph edges on the text background: the nearest of band, shade (half) and text.
        {0xFF3F00FF, true, DvdClass::TextBackground},
        {0xFF4000FF, true, DvdClass::Shade},
        {0xFF8000FF, true, DvdClass::Shade},
        {0xFFBF00FF, true, DvdClass::Shade},
        {0xFFC000FF, true, DvdClass::Text},
        {0xFFFE00FF, true, DvdClass::Text},
        {0xFF4000FF, false, DvdClass::TextBackground},
        {0xFFC000FF, false, DvdClass::Text},
        // Glyph edges on the background are never shaded: the shade is a text background mix.
        {0xFF400040, true, DvdClass::Background},
        {0xFFC000C0, true, DvdClass::Text},
        {0xFF400040, false, DvdClass::Background},
    };
    for (const KeyedCase& test : cases) {
        EXPECT_EQ(ClassOfKeyed(test.pixel, test.antiAlias), test.expected)
            << std::hex << test.pixel << " antialiased " << test.antiAlias;
    }
}

// A picture of the cases above in runs and single pixels, its first pixel not the background,
// then a row of background only and one whose last pixel alone is text: each pixel's class is
// the one of its key, whatever stands before it, and is painted in its class's colour.
TEST(DvdClassTest, APictureOfKeysBecomesThePictureOfTheirClasses) {
    const QRgb keys[] = {0xFF8000FF, 0xFF000000, 0xFF000000, 0xFF0000FF, 0xFF8000FF,
                         0xFF8000FF, 0xFFFF00FF, 0xFF400040, 0xFF000000, 0xFFC000C0};
    const int width = static_cast<int>(std::size(keys)) * 4;
    QImage keyed(width, 4, QImage::Format_RGB32);
    keyed.fill(0xFF000000);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < width; ++x) {
            keyed.setPixel(x, y, keys[static_cast<std::size_t>(x + y) % std::size(keys)]);
        }
    }
    keyed.setPixel(width - 1, 3, 0xFFFF00FF);
    const std::array<QRgb, 4> colours = {0xFF102030, 0xFF000080, 0xFFFFFFFF, 0xFF808080};
    for (const bool antiAlias : {true, false}) {
        QImage painted = keyed;
        QImage classes;
        PaintDvdClasses(painted, antiAlias, colours, &classes);
        ASSERT_EQ(classes.format(), QImage::Format_Indexed8);
        ASSERT_EQ(classes.size(), keyed.size());
        for (int y = 0; y < keyed.height(); ++y) {
            for (int x = 0; x < keyed.width(); ++x) {
                const auto expected = ClassOfKeyed(keyed.pixel(x, y), antiAlias);
                EXPECT_EQ(classes.constScanLine(y)[x], static_cast<int>(expected))
                    << x << "," << y << " antialiased " << antiAlias;
                EXPECT_EQ(painted.pixel(x, y), colours[static_cast<std::size_t>(expected)])
                    << x << "," << y << " antialiased " << antiAlias;
            }
        }
    }
}

struct ShadeCase {
    COLORREF text;
    COLORREF textBackground;
    std::uint32_t shade;
};

TEST(DvdShadeTest, IsTheStandardColourNearestTheMidpoint) {
    const ShadeCase cases[] = {
        {kYellow, kBlue, 0x808080},  // the default look: midpoint 7F7F7F
        {kWhite, kBlack, 0x808080},  // midpoint 7F7F7F
        {kWhite, kRed, 0xC0C0C0},    // FF7F7F: silver is nearer than red, white or grey
        {kRed, kBlack, 0x800000},    // 7F0000: maroon
        {kYellow, kWhite, 0xC0C0C0}, // FFFF7F: silver is nearer than yellow or white
        {kBlue, kBlue, 0x0000FF},
    };
    for (const ShadeCase& test : cases) {
        EXPECT_EQ(DvdShade(test.text, test.textBackground), test.shade)
            << std::hex << test.text << " on " << test.textBackground;
    }
}

TEST(DvdColoursProblemTest, TwoLayersOfOneColourAreRefusedOnlyInTheMode) {
    RenderSettings settings;
    settings.DvdColors = true;
    EXPECT_EQ(DvdColoursProblem(settings), std::nullopt);
    for (COLORREF RenderSettings::*first :
         {&RenderSettings::TextColor, &RenderSettings::TextBkgColor, &RenderSettings::BkgColor}) {
        for (COLORREF RenderSettings::*second :
             {&RenderSettings::TextColor, &RenderSettings::TextBkgColor,
              &RenderSettings::BkgColor}) {
            if (first == second) {
                continue;
            }
            RenderSettings clash = settings;
            clash.*first = clash.*second;
            EXPECT_EQ(DvdColoursProblem(clash),
                      "The DVD colours need different colours for text, text background and "
                      "background.");
            clash.DvdColors = false;
            EXPECT_EQ(DvdColoursProblem(clash), std::nullopt);
            // The top byte of a stored colour is not drawn.
            clash.DvdColors = true;
            clash.*first |= 0xFF000000u;
            EXPECT_NE(DvdColoursProblem(clash), std::nullopt);
        }
    }
}

struct LookCase {
    const char* name;
    bool antiAlias;
    bool box;
    int outline;
};

class DvdRenderTest : public ::testing::TestWithParam<LookCase> {
protected:
    DvdRenderTest() {
        settings.AntiAlias = GetParam().antiAlias;
        settings.Box = GetParam().box;
        settings.Outline = GetParam().outline;
        // Colours that no standard colour stands for: the classes must come from the layers.
        settings.TextColor = 0x0030E0F0;
        settings.TextBkgColor = 0x00701010;
        settings.BkgColor = 0x00F0F0E0;
    }

    QImage Render(bool dvd, RenderResult* result = nullptr) {
        RenderSettings look = settings;
        look.DvdColors = dvd;
        QImage canvas = MakeCanvas(CanvasOf(look));
        const SubtitleRenderer renderer(look);
        const RenderResult drawn = renderer.RenderSubtitle(look, kText, canvas);
        if (result != nullptr) {
            *result = drawn;
        }
        return canvas;
    }

    RenderSettings settings;
};

TEST_P(DvdRenderTest, EveryLayersPixelsTakeItsColourAndOnlyEdgesTheShade) {
    RenderResult plainResult;
    RenderResult dvdResult;
    const QImage plain = Render(false, &plainResult);
    const QImage dvd = Render(true, &dvdResult);
    EXPECT_EQ(dvdResult.lines, plainResult.lines);
    EXPECT_EQ(dvdResult.textRect, plainResult.textRect);

    const QRgb text = ToRgb(settings.TextColor);
    const QRgb textBackground = ToRgb(settings.TextBkgColor);
    const QRgb background = ToRgb(settings.BkgColor);
    const QRgb shade = 0xFF000000u | DvdShade(settings.TextColor, settings.TextBkgColor);
    std::set<QRgb> expected{text, textBackground, background};
    if (settings.AntiAlias) {
        expected.insert(shade);
    }
    EXPECT_EQ(Colours(dvd), expected);

    int mismatches = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb drawn = plain.pixel(x, y);
            const QRgb classed = dvd.pixel(x, y);
            const bool layer = drawn == text || drawn == textBackground || drawn == background;
            // A pixel one layer drew alone keeps its colour, so the shade is only ever a blend.
            if (layer && classed != drawn) {
                ++mismatches;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Looks, DvdRenderTest,
                         ::testing::Values(LookCase{"Band", true, false, 0},
                                           LookCase{"BandWithoutAntialiasing", false, false, 0},
                                           LookCase{"Box", true, true, 0},
                                           LookCase{"Outline", true, false, 1},
                                           LookCase{"OutlineWithoutAntialiasing", false, false, 1}),
                         [](const auto& test) { return std::string(test.param.name); });

// The count another program finds in the written bitmap, which is what an authoring tool reads.
class DvdBitmapTest : public ::testing::TestWithParam<bool> {};

TEST_P(DvdBitmapTest, TheBitmapHoldsFourColoursOrThreeWithoutAntialiasing) {
    RenderSettings settings;
    settings.DvdColors = true;
    settings.AntiAlias = GetParam();
    QImage canvas = MakeCanvas(CanvasOf(settings));
    const SubtitleRenderer renderer(settings);
    renderer.RenderSubtitle(settings, kText, canvas);
    const testsupport::TempDir dir;
    const std::string path = dir.File("dvd.bmp");
    ASSERT_EQ(SaveCanvasBitmap(&canvas, path).code, kDibWritten);

    const std::size_t count = settings.AntiAlias ? 4 : 3;
    const QImage read(QString::fromStdString(path));
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(Colours(read).size(), count);
    EXPECT_EQ(Colours(read).contains(kGreyPixel), settings.AntiAlias);

    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed: the colour count of the bitmap "
                        "is not checked by another program";
    }
    const testsupport::ProgramOutcome identified =
        testsupport::RunProgram({{identify.toStdString(), "-format", "%k", path},
                                 dir.Path().string(),
                                 testsupport::EnvironmentWithout({}),
                                 dir.File("stdout"),
                                 dir.File("stderr")});
    EXPECT_EQ(identified.status, 0) << identified.err;
    EXPECT_EQ(identified.out, std::to_string(count));
}

INSTANTIATE_TEST_SUITE_P(Antialiasing, DvdBitmapTest, ::testing::Bool(),
                         [](const auto& test) { return std::string(test.param ? "On" : "Off"); });

} // namespace
} // namespace orvo
