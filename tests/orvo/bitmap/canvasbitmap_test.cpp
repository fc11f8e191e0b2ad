#include "output/dvd1/bitmapfile.h"
#include "render/palette.h"

#include "bitmaptestsupport.h"

#include <QImage>

#include <filesystem>

namespace orvo::test {
namespace {

QImage Filled(int height, QRgb colour) {
    QImage canvas(720, height, QImage::Format_RGB32);
    canvas.fill(colour);
    return canvas;
}

Bytes Saved(const QImage& canvas, const TempDir& dir) {
    const std::string path = dir.File("canvas.bmp");
    EXPECT_EQ(SaveCanvasBitmap(&canvas, path).code, kDibWritten);
    return ReadFile(path);
}

// Every field of the 54 header bytes and the colour table of an exported canvas.
void ExpectHeaders(const Bytes& file, int height) {
    ASSERT_GE(file.size(), 118u);
    EXPECT_EQ(file[0], 0x42);
    EXPECT_EQ(file[1], 0x4D);
    EXPECT_EQ(ReadLe32(file, 2), file.size());
    EXPECT_EQ(ReadLe16(file, 6), 0);
    EXPECT_EQ(ReadLe16(file, 8), 0);
    EXPECT_EQ(ReadLe32(file, 10), 118u);
    EXPECT_EQ(ReadLe32(file, 14), 40u);
    EXPECT_EQ(ReadLe32(file, 18), 720u);
    EXPECT_EQ(ReadLe32(file, 22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(ReadLe16(file, 26), 1);
    EXPECT_EQ(ReadLe16(file, 28), 4);
    EXPECT_EQ(ReadLe32(file, 30), 2u);
    EXPECT_EQ(ReadLe32(file, 34), file.size() - 118);
    for (std::size_t field = 38; field < 54; field += 4) {
        EXPECT_EQ(ReadLe32(file, field), 0u) << field;
    }
    const Bytes table = {
        0x00, 0x00, 0x00, 0, 0x00, 0x00, 0x80, 0, 0x00, 0x80, 0x00, 0, 0x00, 0x80, 0x80, 0,
        0x80, 0x00, 0x00, 0, 0x80, 0x00, 0x80, 0, 0x80, 0x80, 0x00, 0, 0xC0, 0xC0, 0xC0, 0,
        0x80, 0x80, 0x80, 0, 0x00, 0x00, 0xFF, 0, 0x00, 0xFF, 0x00, 0, 0x00, 0xFF, 0xFF, 0,
        0xFF, 0x00, 0x00, 0, 0xFF, 0x00, 0xFF, 0, 0xFF, 0xFF, 0x00, 0, 0xFF, 0xFF, 0xFF, 0,
    };
    EXPECT_TRUE(SameBytes(std::span(file).subspan(54, 64), table));
}

// The run-length data of a canvas of one palette colour.
Bytes OneColourData(int height, std::uint8_t index) {
    const std::uint8_t pair = index * 0x11;
    Bytes file;
    for (int line = 0; line < height; ++line) {
        file.insert(file.end(), {0xFF, pair, 0xFF, pair, 0xD2, pair, 0x00, 0x00});
    }
    file.insert(file.end(), {0x00, 0x01});
    return file;
}

TEST(SaveCanvasBitmap, AllWhitePalCanvasIs4728Bytes) {
    TempDir dir;
    const Bytes file = Saved(Filled(576, qRgb(255, 255, 255)), dir);
    ASSERT_EQ(file.size(), 4728u);
    ExpectHeaders(file, 576);
    EXPECT_EQ(ReadLe32(file, 34), 4610u);
    EXPECT_TRUE(SameBytes(std::span(file).subspan(118), OneColourData(576, 15)));
}

TEST(SaveCanvasBitmap, AllWhiteNtscCanvasIs3960Bytes) {
    TempDir dir;
    const Bytes file = Saved(Filled(480, qRgb(255, 255, 255)), dir);
    ASSERT_EQ(file.size(), 3960u);
    ExpectHeaders(file, 480);
    EXPECT_EQ(ReadLe32(file, 34), 3842u);
    EXPECT_TRUE(SameBytes(std::span(file).subspan(118), OneColourData(480, 15)));
}

TEST(SaveCanvasBitmap, EveryPaletteColourGivesOneColourLines) {
    TempDir dir;
    for (std::uint8_t index = 0; index < 16; ++index) {
        SCOPED_TRACE(int{index});
        const Bytes file = Saved(Filled(576, 0xFF000000u | kStandardPalette[index]), dir);
        EXPECT_TRUE(SameBytes(std::span(file).subspan(118), OneColourData(576, index)));
    }
    // A colour beside the palette takes its nearest entry.
    const Bytes file = Saved(Filled(576, qRgb(0xFE, 0xFD, 0xFF)), dir);
    EXPECT_TRUE(SameBytes(std::span(file).subspan(118), OneColourData(576, 15)));
}

TEST(SaveCanvasBitmap, TextCanvasFileHoldsTheNearestColours) {
    TempDir dir;
    for (const int height : {576, 480}) {
        SCOPED_TRACE(height);
        const QImage canvas = TextCanvas(height, 24, true);
        const Bytes file = Saved(canvas, dir);
        ExpectHeaders(file, height);
        const Rle4Picture picture = DecodeRle4(std::span(file).subspan(118), 720, height);
        ASSERT_EQ(picture.error, "");
        const Bytes expected = ExpectedIndices(canvas);
        EXPECT_TRUE(SameBytes(picture.indices, expected));
        EXPECT_GT(picture.absoluteRuns, 0);

        // Qt's own BMP reader sees the same picture.
        const QImage read = QImage(QString::fromStdString(dir.File("canvas.bmp")), "BMP")
                                .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(read.size(), canvas.size());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 720; ++x) {
                const std::uint8_t index =
                    expected[static_cast<std::size_t>((height - 1 - y) * 720 + x)];
                ASSERT_EQ(read.pixel(x, y) & 0xFFFFFFu, kStandardPalette[index]) << x << "," << y;
            }
        }
    }
}

TEST(SaveCanvasBitmap, GivesTwentyWithoutACanvasAndWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("none.bmp");
    EXPECT_EQ(SaveCanvasBitmap(nullptr, path).code, kNoDib);
    const QImage null;
    EXPECT_EQ(SaveCanvasBitmap(&null, path).code, kNoDib);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaveCanvasBitmap, GivesFourForAFolderThatDoesNotExist) {
    TempDir dir;
    const QImage canvas = TextCanvas(576, 24, true);
    EXPECT_EQ(SaveCanvasBitmap(&canvas, dir.File("missing/1.bmp")).code, kDibFileError);
}

} // namespace
} // namespace orvo::test
