#include "output/dvd1/dib.h"
#include "output/dvd1/quantiser.h"
#include "render/palette.h"

#include "bitmaptestsupport.h"

#include <QFont>
#include <QFontInfo>

#include <algorithm>
#include <array>

namespace orvo::test {
namespace {

constexpr int kRle4 = 2;

Bytes InfoHeader(std::uint16_t bitCount, std::uint32_t colorsUsed = 0) {
    Bytes header(40, 0);
    header[0] = 40;
    header[14] = static_cast<std::uint8_t>(bitCount);
    header[32] = static_cast<std::uint8_t>(colorsUsed);
    header[33] = static_cast<std::uint8_t>(colorsUsed >> 8);
    return header;
}

Bytes CoreHeader(std::uint16_t bitCount) {
    Bytes header(12, 0);
    header[0] = 12;
    header[10] = static_cast<std::uint8_t>(bitCount);
    return header;
}

Dib Capture(const QImage& image) {
    std::optional<Dib> dib = BitmapToDib(&image);
    EXPECT_TRUE(dib.has_value());
    return dib.value_or(Dib{});
}

// The pixels of a 4-bit RLE DIB as ChangeDibFormat made it.
Rle4Picture DecodeDib(const Dib& dib) {
    const std::size_t pixels = 40 + 64;
    EXPECT_EQ(ReadLe32(dib, 20), dib.size() - pixels);
    return DecodeRle4(std::span(dib).subspan(pixels), static_cast<int>(ReadLe32(dib, 4)),
                      static_cast<int>(ReadLe32(dib, 8)));
}

void ExpectRoundTrip(const QImage& canvas) {
    const std::optional<Dib> rle = ChangeDibFormat(Capture(canvas), 4, kRle4);
    ASSERT_TRUE(rle.has_value());
    const Rle4Picture picture = DecodeDib(*rle);
    ASSERT_EQ(picture.error, "");
    EXPECT_TRUE(SameBytes(picture.indices, ExpectedIndices(canvas)));
}

TEST(DibColorCount, FollowsTheBitCountOfEitherHeader) {
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {{1, 2},  {4, 16}, {8, 256},
                                                             {16, 0}, {24, 0}, {32, 0}};
    for (const auto& [bitCount, colours] : cases) {
        SCOPED_TRACE(bitCount);
        EXPECT_EQ(DibColorCount(InfoHeader(bitCount)), colours);
        EXPECT_EQ(DibPaletteSize(InfoHeader(bitCount)), colours * 4u);
        EXPECT_EQ(DibColorCount(CoreHeader(bitCount)), colours);
        EXPECT_EQ(DibPaletteSize(CoreHeader(bitCount)), colours * 3u);
    }
}

TEST(DibColorCount, TakesTheColoursUsedFieldWhenSet) {
    EXPECT_EQ(DibColorCount(InfoHeader(8, 5)), 5);
    EXPECT_EQ(DibPaletteSize(InfoHeader(8, 5)), 20u);
    EXPECT_EQ(DibColorCount(InfoHeader(24, 300)), 300);
    EXPECT_EQ(DibPaletteSize(InfoHeader(24, 300)), 1200u);
}

TEST(DibColorCount, IsZeroForAHeaderCutShort) {
    const Bytes info = InfoHeader(4);
    const Bytes core = CoreHeader(4);
    EXPECT_EQ(DibColorCount({}), 0);
    EXPECT_EQ(DibColorCount(std::span(info).first(39)), 0);
    EXPECT_EQ(DibColorCount(std::span(core).first(11)), 0);
    EXPECT_EQ(DibPaletteSize(std::span(core).first(11)), 0u);
}

TEST(BitmapToDib, GivesNoneWithoutABitmap) {
    EXPECT_FALSE(BitmapToDib(nullptr).has_value());
    const QImage null;
    EXPECT_FALSE(BitmapToDib(&null).has_value());
}

TEST(BitmapToDib, CapturesAt24BitsWithTheBottomRowFirst) {
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            image.setPixel(x, y, qRgb(x * 10 + y, 100 + y, 200 + x));
        }
    }
    const Dib dib = Capture(image);
    const std::size_t rowSize = 16; // 15 bytes padded to 32 bits
    ASSERT_EQ(dib.size(), 40 + 3 * rowSize);
    EXPECT_EQ(ReadLe32(dib, 0), 40u);
    EXPECT_EQ(ReadLe32(dib, 4), 5u);
    EXPECT_EQ(ReadLe32(dib, 8), 3u);
    EXPECT_EQ(ReadLe16(dib, 12), 1);
    EXPECT_EQ(ReadLe16(dib, 14), 24);
    EXPECT_EQ(ReadLe32(dib, 16), 0u);
    EXPECT_EQ(ReadLe32(dib, 20), 3 * rowSize);
    for (std::size_t field = 24; field < 40; field += 4) {
        EXPECT_EQ(ReadLe32(dib, field), 0u) << field;
    }
    for (int y = 0; y < 3; ++y) {
        const std::size_t row = 40 + static_cast<std::size_t>(2 - y) * rowSize;
        for (int x = 0; x < 5; ++x) {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            EXPECT_EQ(dib[at], 200 + x);        // blue
            EXPECT_EQ(dib[at + 1], 100 + y);    // green
            EXPECT_EQ(dib[at + 2], x * 10 + y); // red
        }
        EXPECT_EQ(dib[row + 15], 0);
    }
}

TEST(BitmapToDib, CapturesOtherFormatsAt24BitsToo) {
    QImage indexed(7, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(250, 128, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) {
            indexed.setPixel(x, y, static_cast<uint>((x + y) % 3));
        }
    }
    EXPECT_TRUE(
        SameBytes(Capture(indexed), Capture(indexed.convertToFormat(QImage::Format_RGB32))));
    const QImage argb = RandomCanvas(9, 5, 1).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(SameBytes(Capture(argb), Capture(argb.convertToFormat(QImage::Format_RGB32))));
}

TEST(ChangeDibFormat, ConvertsOnlyTo4Bits) {
    const Dib dib = Capture(RandomCanvas(16, 4, 2));
    const std::pair<int, int> unsupported[] = {{0, 0}, {0, 2}, {1, 0},  {4, 1}, {4, 3},
                                               {8, 0}, {8, 1}, {24, 0}, {32, 0}};
    for (const auto& [bitCount, compression] : unsupported) {
        EXPECT_FALSE(ChangeDibFormat(dib, bitCount, compression).has_value())
            << bitCount << "/" << compression;
    }
    EXPECT_TRUE(ChangeDibFormat(dib, 4, 0).has_value());
    EXPECT_TRUE(ChangeDibFormat(dib, 4, kRle4).has_value());
}

TEST(ChangeDibFormat, GivesNoneForWhatIsNotA24BitCapture) {
    const Dib dib = Capture(RandomCanvas(16, 4, 3));
    const auto with = [&](std::size_t at, std::uint8_t value) {
        Dib changed = dib;
        changed[at] = value;
        return changed;
    };
    EXPECT_FALSE(ChangeDibFormat(Dib(dib.begin(), dib.end() - 1), 4, kRle4)) << "cut short";
    EXPECT_FALSE(ChangeDibFormat(Dib(dib.begin(), dib.begin() + 39), 4, kRle4)) << "no header";
    EXPECT_FALSE(ChangeDibFormat(with(0, 12), 4, kRle4)) << "core header";
    EXPECT_FALSE(ChangeDibFormat(with(12, 2), 4, kRle4)) << "two planes";
    EXPECT_FALSE(ChangeDibFormat(with(14, 32), 4, kRle4)) << "32 bits";
    EXPECT_FALSE(ChangeDibFormat(with(16, 1), 4, kRle4)) << "compressed";
    EXPECT_FALSE(ChangeDibFormat(with(11, 0xFF), 4, kRle4)) << "top-down";
    EXPECT_FALSE(ChangeDibFormat(with(4, 0), 4, kRle4)) << "no width";
}

TEST(ChangeDibFormat, WritesTheHeaderAndTheStandardColourTable) {
    for (const int compression : {0, kRle4}) {
        SCOPED_TRACE(compression);
        const std::optional<Dib> dib =
            ChangeDibFormat(Capture(RandomCanvas(33, 7, 4)), 4, compression);
        ASSERT_TRUE(dib.has_value());
        ASSERT_GE(dib->size(), 104u);
        EXPECT_EQ(ReadLe32(*dib, 0), 40u);
        EXPECT_EQ(ReadLe32(*dib, 4), 33u);
        EXPECT_EQ(ReadLe32(*dib, 8), 7u);
        EXPECT_EQ(ReadLe16(*dib, 12), 1);
        EXPECT_EQ(ReadLe16(*dib, 14), 4);
        EXPECT_EQ(ReadLe32(*dib, 16), static_cast<std::uint32_t>(compression));
        EXPECT_EQ(ReadLe32(*dib, 20), dib->size() - 104);
        for (std::size_t field = 24; field < 40; field += 4) {
            EXPECT_EQ(ReadLe32(*dib, field), 0u) << field;
        }
        for (std::size_t i = 0; i < 16; ++i) {
            // Blue, green, red, 0.
            EXPECT_EQ(ReadLe32(*dib, 40 + 4 * i), kStandardPalette[i]) << i;
        }
    }
}

TEST(ChangeDibFormat, PacksUncompressedRowsTwoPixelsAByte) {
    const QImage canvas = RandomCanvas(5, 3, 5);
    const std::optional<Dib> dib = ChangeDibFormat(Capture(canvas), 4, 0);
    ASSERT_TRUE(dib.has_value());
    const std::size_t rowSize = 4; // 3 bytes padded to 32 bits
    ASSERT_EQ(dib->size(), 104 + 3 * rowSize);
    const Bytes expected = ExpectedIndices(canvas);
    for (std::size_t row = 0; row < 3; ++row) {
        const std::uint8_t* bytes = dib->data() + 104 + row * rowSize;
        const std::uint8_t* pixels = expected.data() + row * 5;
        EXPECT_EQ(bytes[0], pixels[0] << 4 | pixels[1]);
        EXPECT_EQ(bytes[1], pixels[2] << 4 | pixels[3]);
        EXPECT_EQ(bytes[2], pixels[4] << 4);
        EXPECT_EQ(bytes[3], 0);
    }
}

TEST(ChangeDibFormat, RunLengthDataDecodesToTheNearestColours) {
    for (const auto& [width, height] :
         {std::pair{1, 1}, {2, 3}, {3, 2}, {7, 5}, {255, 4}, {256, 4}, {511, 3}, {720, 64}}) {
        for (unsigned seed = 0; seed < 3; ++seed) {
            SCOPED_TRACE(::testing::Message() << width << "x" << height << " seed " << seed);
            ExpectRoundTrip(RandomCanvas(width, height, seed));
        }
    }
    ExpectRoundTrip(NoiseCanvas(720, 64, 9));
}

TEST(ChangeDibFormat, RunLengthDataOfTextCanvasesDecodesToTheNearestColours) {
    ASSERT_EQ(QFontInfo(QFont("Liberation Sans")).family(), "Liberation Sans");
    for (const int height : {576, 480}) {
        for (const bool antialiased : {true, false}) {
            for (const int pixelSize : {24, 40}) {
                SCOPED_TRACE(::testing::Message() << height << " " << pixelSize << " "
                                                  << (antialiased ? "antialiased" : "aliased"));
                ExpectRoundTrip(TextCanvas(height, pixelSize, antialiased));
            }
        }
    }
}

TEST(ChangeDibFormat, AntialiasedTextHasColoursBeyondTheThreeItWasDrawnWith) {
    const Bytes indices = ExpectedIndices(TextCanvas(576, 40, true));
    std::array<bool, 16> seen{};
    for (const std::uint8_t index : indices) {
        seen[index] = true;
    }
    // White, blue and yellow, and the blends of the glyph edges.
    EXPECT_TRUE(seen[15] && seen[12] && seen[11]);
    EXPECT_GT(std::count(seen.begin(), seen.end(), true), 3);
}

} // namespace
} // namespace orvo::test
