#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/quantiser.h"
#include "render/palette.h"

#include "bitmaptestsupport.h"

#include <QImage>

#include <set>

namespace orvo::test {
namespace {

// The pixels of the bitmap that SaveCanvasBitmap writes for the canvas, top row first, as
// colours: what the preview has to show.
QImage ReadBack(const QImage& canvas) {
    const TempDir dir;
    const std::string path = dir.File("canvas.bmp");
    EXPECT_EQ(SaveCanvasBitmap(&canvas, path).code, kDibWritten);
    const Bytes file = ReadFile(path);
    const Rle4Picture picture =
        DecodeRle4(std::span(file).subspan(118), canvas.width(), canvas.height());
    EXPECT_EQ(picture.error, "");
    QImage shown(canvas.size(), QImage::Format_RGB32);
    if (picture.indices.size() != static_cast<std::size_t>(canvas.width() * canvas.height())) {
        return {};
    }
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const auto at =
                static_cast<std::size_t>((canvas.height() - 1 - y) * canvas.width() + x);
            shown.setPixel(x, y, 0xFF000000u | kStandardPalette.at(picture.indices[at]));
        }
    }
    return shown;
}

std::set<QRgb> Colours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours;
}

// Odd widths leave a half byte at the end of each packed row; noise and every run length go
// through the run-length path; the text canvas has the fringes the preview is for.
TEST(InStandardColours, ShowsEveryPixelAsTheSavedBitmapHoldsIt) {
    const QImage canvases[] = {
        TextCanvas(576, 30, true), TextCanvas(480, 26, false), RandomCanvas(37, 23, 7),
        NoiseCanvas(51, 9, 3),     RandomCanvas(1, 5, 11),
    };
    for (const QImage& canvas : canvases) {
        const QImage shown = InStandardColours(canvas);
        ASSERT_EQ(shown.format(), QImage::Format_RGB32);
        EXPECT_EQ(shown, ReadBack(canvas)) << canvas.width() << " x " << canvas.height();
    }
}

TEST(InStandardColours, LeavesTheCanvasAsItWas) {
    const QImage canvas = TextCanvas(576, 30, true);
    const QImage copy = canvas.copy();
    const std::set<QRgb> before = Colours(canvas);
    ASSERT_GT(before.size(), 6u) << "the antialiased edges should blend colours";

    const QImage shown = InStandardColours(canvas);
    EXPECT_EQ(canvas, copy);
    const std::set<QRgb> after = Colours(shown);
    EXPECT_LT(after.size(), before.size());
    for (const QRgb colour : after) {
        EXPECT_EQ(kStandardPalette.at(NearestPaletteIndex(colour)), colour & 0xFFFFFFu)
            << std::hex << colour;
    }
}

// Black and white are their own nearest colours: a row's run tracking that started from black or
// from the previous row's last colour would leave the pixels after them unconverted.
TEST(InStandardColours, ConvertsTheFirstPixelOfEveryRow) {
    QImage canvas(3, 2, QImage::Format_RGB32);
    canvas.fill(0xFFFFFFFFu);
    canvas.setPixel(0, 0, 0xFF000000u);
    canvas.setPixel(0, 1, 0xFF7F7F80u);
    canvas.setPixel(1, 0, 0xFF7F7F80u);
    const QImage shown = InStandardColours(canvas);
    EXPECT_EQ(shown.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(shown.pixel(1, 0), 0xFF808080u);
    EXPECT_EQ(shown.pixel(0, 1), 0xFF808080u);
    EXPECT_EQ(shown.pixel(1, 1), 0xFFFFFFFFu);
}

TEST(InStandardColours, TakesOtherFormatsAndNoImage) {
    QImage canvas(4, 1, QImage::Format_ARGB32);
    canvas.fill(0x80DFDFDFu);
    EXPECT_EQ(InStandardColours(canvas).pixel(3, 0), 0xFFC0C0C0u);
    EXPECT_TRUE(InStandardColours(QImage()).isNull());
}

} // namespace
} // namespace orvo::test
