#include "kestrum-gui/logfont.h"

#include "kestrum-gui/displaytext.h"

#include <kestrum/util/littleendian.h>
#include <kestrum/util/textcodec.h>

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace kestrum {

namespace {

// Field offsets of the stored record.
enum Offset : std::size_t {
    kHeight = 0,
    kWidth = 4,
    kEscapement = 8,
    kOrientation = 12,
    kWeight = 16,
    kItalic = 20,
    kUnderline = 21,
    kStrikeOut = 22,
    kCharSet = 23,
    kOutPrecision = 24,
    kClipPrecision = 25,
    kQuality = 26,
    kPitchAndFamily = 27,
    kFaceName = 28,
};

// Heights come from files: cut them to something a font engine can draw.
constexpr int kMaxPixels = 2048;
// Points are turned into pixels at the resolution the stored heights assume.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::int32_t>(ReadLe32(bytes, at));
}

void WriteInt32(std::span<std::uint8_t> bytes, std::size_t at, std::int32_t value) {
    WriteLe32(bytes, at, static_cast<std::uint32_t>(value));
}

std::string_view Face(const LOGFONT& font) {
    const auto end = std::find(font.faceName.begin(), font.faceName.end(), '\0');
    return {font.faceName.data(), static_cast<std::size_t>(end - font.faceName.begin())};
}

void SetFace(LOGFONT& font, std::string_view face) {
    font.faceName.fill('\0');
    // The last byte stays zero, terminating the name.
    std::copy_n(face.begin(), std::min(face.size(), font.faceName.size() - 1),
                font.faceName.begin());
}

int ClampPixels(std::int64_t pixels) {
    return static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kMaxPixels));
}

// A positive height is the cell (ascent plus descent), not the character height.
int PixelsForCell(QFont font, int cell) {
    font.setPixelSize(cell);
    const QFontMetricsF metrics(font);
    const double drawn = metrics.ascent() + metrics.descent();
    return drawn > 0 ? ClampPixels(std::llround(cell * cell / drawn)) : cell;
}

int PixelHeight(const QFont& font) {
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    return static_cast<int>(std::lround(font.pointSizeF() * kPixelsPerPoint));
}

} // namespace

LOGFONT LOGFONT::Make(std::string_view face, std::int32_t height) {
    LOGFONT font;
    font.height = height;
    SetFace(font, face);
    return font;
}

std::optional<LOGFONT> LOGFONT::FromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize) {
        return std::nullopt;
    }
    LOGFONT font;
    font.height = ReadInt32(bytes, kHeight);
    font.width = ReadInt32(bytes, kWidth);
    font.escapement = ReadInt32(bytes, kEscapement);
    font.orientation = ReadInt32(bytes, kOrientation);
    font.weight = ReadInt32(bytes, kWeight);
    font.italic = bytes[kItalic];
    font.underline = bytes[kUnderline];
    font.strikeOut = bytes[kStrikeOut];
    font.charSet = bytes[kCharSet];
    font.outPrecision = bytes[kOutPrecision];
    font.clipPrecision = bytes[kClipPrecision];
    font.quality = bytes[kQuality];
    font.pitchAndFamily = bytes[kPitchAndFamily];
    std::copy_n(bytes.begin() + kFaceName, font.faceName.size(), font.faceName.begin());
    return font;
}

std::array<std::uint8_t, LOGFONT::kSize> LOGFONT::ToBytes() const {
    std::array<std::uint8_t, kSize> bytes{};
    WriteInt32(bytes, kHeight, height);
    WriteInt32(bytes, kWidth, width);
    WriteInt32(bytes, kEscapement, escapement);
    WriteInt32(bytes, kOrientation, orientation);
    WriteInt32(bytes, kWeight, weight);
    bytes[kItalic] = italic;
    bytes[kUnderline] = underline;
    bytes[kStrikeOut] = strikeOut;
    bytes[kCharSet] = charSet;
    bytes[kOutPrecision] = outPrecision;
    bytes[kClipPrecision] = clipPrecision;
    bytes[kQuality] = quality;
    bytes[kPitchAndFamily] = pitchAndFamily;
    std::copy(faceName.begin(), faceName.end(), bytes.begin() + kFaceName);
    return bytes;
}

QFont LOGFONT::ToQFont() const {
    QFont font;
    if (const std::string_view face = Face(*this); !face.empty()) {
        const std::u32string points = DecodeWindows1252(face);
        font.setFamily(QString::fromUcs4(points.data(), static_cast<qsizetype>(points.size())));
    }
    if (weight > 0) {
        font.setWeight(static_cast<QFont::Weight>(std::clamp<std::int32_t>(weight, 1, 1000)));
    }
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    font.setStrikeOut(strikeOut != 0);
    // Greyscale antialiasing where it is asked for: subpixel colours would add hues that a
    // 16-colour bitmap has to map onto its palette.
    font.setStyleStrategy(
        quality == kNonAntialiasedQuality
            ? QFont::NoAntialias
            : QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    if (height < 0) {
        font.setPixelSize(ClampPixels(-static_cast<std::int64_t>(height)));
    } else if (height > 0) {
        font.setPixelSize(PixelsForCell(font, ClampPixels(height)));
    }
    return font;
}

LOGFONT LOGFONT::WithFont(const QFont& font) const {
    LOGFONT result = *this;
    result.height = -PixelHeight(font);
    result.weight = font.weight();
    result.italic = font.italic() ? 1 : 0;
    result.underline = font.underline() ? 1 : 0;
    result.strikeOut = font.strikeOut() ? 1 : 0;
    SetFace(result, EncodeWindows1252(font.family()));
    return result;
}

} // namespace kestrum
