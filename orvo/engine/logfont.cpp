#include "orvo/engine/logfont.h"

#include "orvo/engine/textdecoding.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace orvo {

namespace {

// Byte offsets inside the stored record.
constexpr std::size_t kHeightOffset = 0;
constexpr std::size_t kWidthOffset = 4;
constexpr std::size_t kEscapementOffset = 8;
constexpr std::size_t kOrientationOffset = 12;
constexpr std::size_t kWeightOffset = 16;
constexpr std::size_t kItalicOffset = 20;
constexpr std::size_t kUnderlineOffset = 21;
constexpr std::size_t kStrikeOutOffset = 22;
constexpr std::size_t kCharSetOffset = 23;
constexpr std::size_t kOutPrecisionOffset = 24;
constexpr std::size_t kClipPrecisionOffset = 25;
constexpr std::size_t kQualityOffset = 26;
constexpr std::size_t kPitchAndFamilyOffset = 27;
constexpr std::size_t kFaceNameOffset = 28;

// Stored heights come from files; a height beyond any canvas is cut here so that it can
// neither overflow when negated nor make the font engine build giant glyphs.
constexpr std::int64_t kMaxPixelSize = 2048;
// The resolution at which the system the settings come from turns points into pixels.
constexpr double kPointsToPixels = 96.0 / 72.0;
constexpr int kDefaultWeight = 400; // what a weight of 0 ("any weight") gets

void PutInt32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
}

std::int32_t GetInt32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return static_cast<std::int32_t>(word);
}

std::string_view FaceName(const LOGFONT& font) {
    // A record from a file need not hold the terminating zero.
    const std::size_t length =
        std::find(font.faceName.begin(), font.faceName.end(), '\0') - font.faceName.begin();
    return {font.faceName.data(), length};
}

int ClampedPixelSize(std::int64_t pixels) {
    return static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kMaxPixelSize));
}

// A positive height asks for the cell height (ascent plus descent) rather than the em size:
// scale the em size by the face's own proportion of the two.
int PixelSizeForCellHeight(QFont font, int cellHeight) {
    font.setPixelSize(cellHeight);
    const QFontMetricsF metrics(font);
    const double cell = metrics.ascent() + metrics.descent();
    if (cell <= 0) {
        return cellHeight;
    }
    return ClampedPixelSize(std::llround(cellHeight * cellHeight / cell));
}

void ApplyHeight(QFont& font, std::int32_t height) {
    if (height < 0) {
        font.setPixelSize(ClampedPixelSize(-static_cast<std::int64_t>(height)));
    } else if (height > 0) {
        font.setPixelSize(PixelSizeForCellHeight(font, ClampedPixelSize(height)));
    }
    // A height of 0 asks for the default size, which the font keeps.
}

QFont::Weight ToQtWeight(std::int32_t weight) {
    // Both scales run from 100 (thin) to 900 (black) with the same steps.
    if (weight == 0) {
        return static_cast<QFont::Weight>(kDefaultWeight);
    }
    return static_cast<QFont::Weight>(std::clamp<std::int32_t>(weight, 1, 1000));
}

int PixelHeight(const QFont& font) {
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    return static_cast<int>(std::lround(font.pointSizeF() * kPointsToPixels));
}

} // namespace

std::array<std::uint8_t, kLogFontSize> LogFontToBytes(const LOGFONT& font) {
    std::array<std::uint8_t, kLogFontSize> bytes{};
    PutInt32(bytes, kHeightOffset, font.height);
    PutInt32(bytes, kWidthOffset, font.width);
    PutInt32(bytes, kEscapementOffset, font.escapement);
    PutInt32(bytes, kOrientationOffset, font.orientation);
    PutInt32(bytes, kWeightOffset, font.weight);
    bytes[kItalicOffset] = font.italic;
    bytes[kUnderlineOffset] = font.underline;
    bytes[kStrikeOutOffset] = font.strikeOut;
    bytes[kCharSetOffset] = font.charSet;
    bytes[kOutPrecisionOffset] = font.outPrecision;
    bytes[kClipPrecisionOffset] = font.clipPrecision;
    bytes[kQualityOffset] = font.quality;
    bytes[kPitchAndFamilyOffset] = font.pitchAndFamily;
    std::memcpy(bytes.data() + kFaceNameOffset, font.faceName.data(), font.faceName.size());
    return bytes;
}

std::optional<LOGFONT> LogFontFromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kLogFontSize) {
        return std::nullopt;
    }
    LOGFONT font;
    font.height = GetInt32(bytes, kHeightOffset);
    font.width = GetInt32(bytes, kWidthOffset);
    font.escapement = GetInt32(bytes, kEscapementOffset);
    font.orientation = GetInt32(bytes, kOrientationOffset);
    font.weight = GetInt32(bytes, kWeightOffset);
    font.italic = bytes[kItalicOffset];
    font.underline = bytes[kUnderlineOffset];
    font.strikeOut = bytes[kStrikeOutOffset];
    font.charSet = bytes[kCharSetOffset];
    font.outPrecision = bytes[kOutPrecisionOffset];
    font.clipPrecision = bytes[kClipPrecisionOffset];
    font.quality = bytes[kQualityOffset];
    font.pitchAndFamily = bytes[kPitchAndFamilyOffset];
    std::memcpy(font.faceName.data(), bytes.data() + kFaceNameOffset, font.faceName.size());
    return font;
}

// Width, escapement, orientation, character set, precisions and pitch are not carried over:
// the font dialog writes none of them, and Qt chooses glyphs by Unicode, not by character set.
QFont LogFontToQFont(const LOGFONT& font) {
    QFont result;
    const std::string_view face = FaceName(font);
    if (!face.empty()) {
        result.setFamily(DecodeWindows1252(face));
    }
    result.setWeight(ToQtWeight(font.weight));
    result.setItalic(font.italic != 0);
    result.setUnderline(font.underline != 0);
    result.setStrikeOut(font.strikeOut != 0);
    // Greyscale antialiasing, as quality 4 asks for: subpixel colours would add hues that
    // the bitmap export has to map onto its 16-colour palette.
    result.setStyleStrategy(
        font.quality == kNonAntialiasedQuality
            ? QFont::NoAntialias
            : QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    ApplyHeight(result, font.height);
    return result;
}

LOGFONT LogFontFromQFont(const QFont& font) {
    LOGFONT result;
    result.height = -PixelHeight(font);
    result.weight = font.weight();
    result.italic = font.style() != QFont::StyleNormal ? 1 : 0;
    result.underline = font.underline() ? 1 : 0;
    result.strikeOut = font.strikeOut() ? 1 : 0;
    result.quality = kAntialiasedQuality;
    // One byte is left for the terminating zero.
    const std::string face = EncodeWindows1252(font.family()).substr(0, result.faceName.size() - 1);
    result.faceName.fill('\0');
    std::copy(face.begin(), face.end(), result.faceName.begin());
    return result;
}

} // namespace orvo
