#pragma once

#include <kestrum/kestrum_gui_export.h>

#include <QFont>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestrum {

// The 60-byte font description that settings files carry in font blobs, in the little-endian
// layout of the system the format comes from; the face name is Windows-1252, zero-padded.
struct KESTRUM_GUI_EXPORT LOGFONT {
    static constexpr std::size_t kSize = 60;
    static constexpr std::uint8_t kNonAntialiasedQuality = 3;
    static constexpr std::uint8_t kAntialiasedQuality = 4;

    std::int32_t height = 0; // < 0: character height in pixels; > 0: cell height; 0: default
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0; // 100 thin to 900 black, 0 for the default
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{};

    bool operator==(const LOGFONT&) const = default;

    // A description of face at a character height of pixels, all else 0.
    static LOGFONT Make(std::string_view face, std::int32_t height);
    // None unless bytes is exactly one record.
    static std::optional<LOGFONT> FromBytes(std::span<const std::uint8_t> bytes);
    std::array<std::uint8_t, kSize> ToBytes() const;

    // The font to draw with: face, size, weight, italic, underline and strike-out, and no
    // antialiasing for quality 3. A face missing on this machine resolves through fontconfig
    // (Arial to Liberation Sans). Width, escapement, orientation, character set, precisions
    // and pitch are not carried over: Qt chooses glyphs by Unicode, not by character set.
    QFont ToQFont() const;
    // This description with face, size, weight and styles taken from font; the fields a font
    // does not carry (quality, character set, ...) keep their values.
    LOGFONT WithFont(const QFont& font) const;
};

} // namespace kestrum
