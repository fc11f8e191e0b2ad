#include <kestrum-gui/logfont.h>

#include <QFontInfo>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace kestrum {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The subtitle font that settings files carry by default.
LOGFONT Arial24() {
    LOGFONT font = LOGFONT::Make("Arial", -24);
    font.weight = 400;
    font.quality = LOGFONT::kAntialiasedQuality;
    return font;
}

LOGFONT WithFace(LOGFONT font, const std::string& face) {
    font.faceName.fill('\0');
    std::memcpy(font.faceName.data(), face.data(), std::min(face.size(), font.faceName.size()));
    return font;
}

std::string FaceOf(const LOGFONT& font) {
    return std::string(font.faceName.data(), strnlen(font.faceName.data(), font.faceName.size()));
}

// Byte for byte as the example settings file holds it.
TEST(LogFontBytesTest, ArialRecordHasTheStoredLayout) {
    Bytes expected(LOGFONT::kSize, 0);
    const Bytes head = {0xE8, 0xFF, 0xFF, 0xFF};   // height -24 at 0
    const Bytes weight = {0x90, 0x01, 0x00, 0x00}; // 400 at 16
    std::copy(head.begin(), head.end(), expected.begin());
    std::copy(weight.begin(), weight.end(), expected.begin() + 16);
    expected[26] = 4; // quality
    const std::string face = "Arial";
    std::copy(face.begin(), face.end(), expected.begin() + 28);

    const auto bytes = Arial24().ToBytes();
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), expected);
}

// Distinct bytes in every field, a negative number and a face name without its zero.
TEST(LogFontBytesTest, EveryFieldSitsAtItsOffsetAndRoundTrips) {
    LOGFONT font = WithFace(Arial24(), std::string(32, 'W'));
    font.height = -2; // FE FF FF FF
    font.width = 0x05060708;
    font.escapement = 0x090A0B0C;
    font.orientation = 0x0D0E0F10;
    font.weight = 0x11121314;
    font.italic = 0x15;
    font.underline = 0x16;
    font.strikeOut = 0x17;
    font.charSet = 0x18;
    font.outPrecision = 0x19;
    font.clipPrecision = 0x1A;
    font.quality = 0x1B;
    font.pitchAndFamily = 0x1C;
    const auto bytes = font.ToBytes();
    const Bytes expectedHead = {0xFE, 0xFF, 0xFF, 0xFF, 0x08, 0x07, 0x06, 0x05, 0x0C, 0x0B,
                                0x0A, 0x09, 0x10, 0x0F, 0x0E, 0x0D, 0x14, 0x13, 0x12, 0x11,
                                0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 'W'};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 29), expectedHead);
    EXPECT_EQ(bytes[59], 'W');
    EXPECT_EQ(LOGFONT::FromBytes(bytes), font);
}

TEST(LogFontBytesTest, RefusesAnyOtherSize) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, LOGFONT::kSize - 1,
                                   LOGFONT::kSize + 1, std::size_t{92}}) {
        const Bytes bytes(size, 0);
        EXPECT_FALSE(LOGFONT::FromBytes(bytes).has_value()) << size;
    }
}

TEST(LogFontToQFontTest, ArialResolvesToAMetricCompatibleFace) {
    const QFont font = Arial24().ToQFont();
    const QFontInfo info(font);
    EXPECT_EQ(info.family(), "Liberation Sans");
    EXPECT_EQ(info.pixelSize(), 24);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(font.styleStrategy() & QFont::NoAntialias, 0);
    EXPECT_NE(font.styleStrategy() & QFont::PreferAntialias, 0);
}

TEST(LogFontToQFontTest, CarriesWeightStyleAndQuality) {
    LOGFONT description = WithFace(Arial24(), "Times New Roman");
    description.weight = 700;
    description.italic = 1;
    description.underline = 1;
    description.strikeOut = 1;
    description.quality = LOGFONT::kNonAntialiasedQuality;
    const QFont font = description.ToQFont();
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Serif");
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_TRUE(font.strikeOut());
    EXPECT_NE(font.styleStrategy() & QFont::NoAntialias, 0);
}

TEST(LogFontToQFontTest, WeightZeroMeansNormal) {
    LOGFONT description;
    description.weight = 0;
    EXPECT_EQ(description.ToQFont().weight(), QFont::Normal);
}

TEST(LogFontToQFontTest, FaceNameIsWindows1252) {
    const QFont font = WithFace(Arial24(), "Caf\xE9").ToQFont();
    EXPECT_EQ(font.family(), QString::fromUtf8("Caf\xC3\xA9"));
}

// A positive height is the cell height: ascent plus descent, not the em size.
TEST(LogFontToQFontTest, PositiveHeightIsTheCellHeight) {
    for (const int cell : {12, 27, 40, 80}) {
        LOGFONT description;
        description.height = cell;
        const QFont font = description.ToQFont();
        const QFontMetricsF metrics(font);
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), cell, 1.0) << cell;
        EXPECT_LT(font.pixelSize(), cell) << cell;
    }
}

TEST(LogFontToQFontTest, ExtremeHeightsStayUsable) {
    for (const std::int32_t height : {INT32_MIN, -1000000, INT32_MAX}) {
        LOGFONT description;
        description.height = height;
        const QFont font = description.ToQFont();
        EXPECT_GT(font.pixelSize(), 0) << height;
        EXPECT_LE(font.pixelSize(), 2048) << height;
    }
}

TEST(LogFontFromQFontTest, DescribesAChosenFont) {
    QFont font("Liberation Serif");
    font.setPixelSize(30);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    font.setUnderline(true);
    const LOGFONT description = Arial24().WithFont(font);
    EXPECT_EQ(description.height, -30);
    EXPECT_EQ(description.weight, 700);
    EXPECT_EQ(description.italic, 1);
    EXPECT_EQ(description.underline, 1);
    EXPECT_EQ(description.strikeOut, 0);
    EXPECT_EQ(description.quality, LOGFONT::kAntialiasedQuality);
    EXPECT_EQ(FaceOf(description), "Liberation Serif");
}

// Fonts from the font dialog come in points; the stored pixels are those of a 96 dpi screen.
TEST(LogFontFromQFontTest, PointSizesBecomePixels) {
    QFont font("Liberation Sans");
    font.setPointSize(18);
    EXPECT_EQ(Arial24().WithFont(font).height, -24);
}

TEST(LogFontFromQFontTest, FaceNameIsEncodedAndTruncated) {
    QFont font;
    font.setFamily(QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(FaceOf(Arial24().WithFont(font)), "Caf\xE9");

    font.setFamily(QString(40, u'N'));
    const LOGFONT description = Arial24().WithFont(font);
    EXPECT_EQ(FaceOf(description), std::string(31, 'N'));
    EXPECT_EQ(description.faceName[31], '\0');
}

TEST(LogFontFromQFontTest, RoundTripThroughQFontKeepsTheDescription) {
    LOGFONT description = WithFace(Arial24(), "Courier New");
    description.height = -31;
    description.weight = 600;
    description.italic = 1;
    description.strikeOut = 1;
    EXPECT_EQ(description.WithFont(description.ToQFont()), description);
}

} // namespace
} // namespace kestrum
