#pragma once

#include <QFont>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orvo {

// The 60-byte font description stored under the "Font" key, laid out as programs on the
// system where these settings files come from write it (little-endian, face name in
// Windows-1252, zero-terminated). Settings files travel between machines, so the bytes are
// kept exactly.
struct LOGFONT {
    std::int32_t height = -24; // negative: character height in pixels; positive: cell height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 4;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{'A', 'r', 'i', 'a', 'l'};

    bool operator==(const LOGFONT&) const = default;
};

constexpr std::size_t kLogFontSize = 60;
constexpr std::uint8_t kNonAntialiasedQuality = 3;
constexpr std::uint8_t kAntialiasedQuality = 4;

std::array<std::uint8_t, kLogFontSize> LogFontToBytes(const LOGFONT& font);
// Null unless bytes holds exactly one record.
std::optional<LOGFONT> LogFontFromBytes(std::span<const std::uint8_t> bytes);

// The face, size, weight and style of font; quality 3 draws without antialiasing. A face that
// is missing on this machine resolves through fontconfig (Arial to Liberation Sans).
QFont LogFontToQFont(const LOGFONT& font);
// The description of a font chosen on this machine, with quality 4.
LOGFONT LogFontFromQFont(const QFont& font);

} // namespace orvo
