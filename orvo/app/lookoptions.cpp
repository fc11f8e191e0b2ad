#include "lookoptions.h"

#include "render/lookscaling.h"
#include "render/palette.h"

#include <kestrum-gui/colorref.h>

#include <QColor>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace orvo {
namespace {

// The 16 standard colours by the names the command line takes, in the palette's order.
constexpr std::array<std::string_view, 16> kColourNames = {
    "black",     "dark-red", "dark-green", "olive",  "dark-blue", "purple",  "teal", "light-grey",
    "dark-grey", "red",      "green",      "yellow", "blue",      "magenta", "cyan", "white",
};

constexpr int kMaxFontSize = 300;

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace

bool LookOptions::Empty() const {
    return !canvas && !font && !textColor && !textBkgColor && !bkgColor && !outline && !shadow &&
           !box && !margins && !align;
}

void LookOptions::ApplyTo(RenderSettings& look) const {
    // A picture of another size scales the stored look first, so that the values given here
    // are the picture's own.
    if (canvas) {
        look = LookOnCanvas(look, CanvasOf(look), *canvas);
    }
    look.Font = font.value_or(look.Font);
    look.TextColor = textColor.value_or(look.TextColor);
    look.TextBkgColor = textBkgColor.value_or(look.TextBkgColor);
    look.BkgColor = bkgColor.value_or(look.BkgColor);
    // The box and the outline exclude each other, as the window's buttons do.
    if (box) {
        look.Box = true;
        look.Outline = 0;
    }
    if (outline) {
        look.Outline = *outline > 0 ? 1 : 0;
        look.OutlineWidth = std::max(*outline, 1);
        look.Box = look.Box && *outline == 0;
    }
    look.ShadowOffset = shadow.value_or(look.ShadowOffset);
    if (margins) {
        look.LeftMargin = (*margins)[0];
        look.RightMargin = (*margins)[1];
        look.VerticalOffset = (*margins)[2];
    }
    look.Align = align.value_or(look.Align);
}

std::optional<LOGFONT> ParseFontOption(std::string_view text, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::string_view face = text.substr(0, colon);
    std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
    const std::string_view size = rest.substr(0, rest.find(':'));
    const std::optional<int> pixels = Number(size, 1, kMaxFontSize);
    // The record holds 31 bytes of a face name and its end.
    if (face.empty() || face.size() > 31 || !pixels) {
        error = "give FACE:SIZE[:bold][:italic], SIZE in pixels 1-" + std::to_string(kMaxFontSize);
        return std::nullopt;
    }
    LOGFONT font = LOGFONT::Make(std::string(face), -*pixels);
    font.weight = 400;
    for (rest = rest.substr(std::min(rest.size(), size.size() + 1)); !rest.empty();) {
        const std::string_view style = rest.substr(0, rest.find(':'));
        if (style == "bold") {
            font.weight = 700;
        } else if (style == "italic") {
            font.italic = 1;
        } else {
            error = "unknown style '" + std::string(style) + "': give bold or italic";
            return std::nullopt;
        }
        rest.remove_prefix(std::min(rest.size(), style.size() + 1));
    }
    return font;
}

std::optional<COLORREF> ParseColourOption(std::string_view text, bool& standard,
                                          std::string& error) {
    if (const auto named = std::find(kColourNames.begin(), kColourNames.end(), text);
        named != kColourNames.end()) {
        standard = true;
        return kestrum::ToColorRef(QColor::fromRgb(
            kStandardPalette[static_cast<std::size_t>(named - kColourNames.begin())]));
    }
    std::uint32_t rgb = 0;
    const bool hex = text.size() == 7 && text.front() == '#' &&
                     std::all_of(text.begin() + 1, text.end(), [](char ch) {
                         return std::isxdigit(static_cast<unsigned char>(ch)) != 0;
                     });
    if (!hex || std::from_chars(text.data() + 1, text.data() + 7, rgb, 16).ec != std::errc()) {
        error = "give one of " + StandardColourNames() + ", or #RRGGBB";
        return std::nullopt;
    }
    standard =
        std::find(kStandardPalette.begin(), kStandardPalette.end(), rgb) != kStandardPalette.end();
    return kestrum::ToColorRef(QColor::fromRgb(rgb));
}

std::optional<std::array<int, 3>> ParseMarginsOption(std::string_view text, std::string& error) {
    std::array<int, 3> margins{};
    for (std::size_t index = 0; index < margins.size(); ++index) {
        const std::size_t comma = text.find(',');
        const bool last = index + 1 == margins.size();
        const std::optional<int> margin = Number(text.substr(0, comma), 0, kMaxMargin);
        if (!margin || (comma == std::string_view::npos) != last) {
            error = "give LEFT,RIGHT,BOTTOM, each 0-" + std::to_string(kMaxMargin);
            return std::nullopt;
        }
        margins[index] = *margin;
        text.remove_prefix(last ? text.size() : comma + 1);
    }
    return margins;
}

std::optional<int> ParseAlignOption(std::string_view text, std::string& error) {
    if (text == "left") {
        return 0;
    }
    if (text == "center") {
        return 1;
    }
    if (text == "right") {
        return 2;
    }
    error = "give left, center or right";
    return std::nullopt;
}

std::string StandardColourNames() {
    std::string names;
    for (const std::string_view name : kColourNames) {
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

} // namespace orvo
