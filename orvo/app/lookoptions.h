#pragma once

#include "model/canvasspec.h"
#include "model/rendersettings.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// The look as the command line changes it for a run: each value given replaces the stored
// one, and the list configuration file keeps it like the rest of the look.
struct LookOptions {
    std::optional<CanvasSpec> canvas;
    std::optional<LOGFONT> font;
    std::optional<COLORREF> textColor;
    std::optional<COLORREF> textBkgColor;
    std::optional<COLORREF> bkgColor;
    // A colour given as #RRGGBB that is none of the 16 standard ones: only the types that carry
    // their own palette can hold it.
    bool otherColours = false;
    std::optional<int> outline; // 0 off, else the ring's width
    std::optional<int> shadow;
    bool box = false;
    std::optional<std::array<int, 3>> margins; // left, right, bottom
    std::optional<int> align;                  // the look's codes: 0 left, 1 centre, 2 right

    bool Empty() const;
    void ApplyTo(RenderSettings& look) const;
};

// Each reads an option's text; none, with the reason in error, for one it refuses.
// "FACE:SIZE[:bold][:italic]", SIZE the character height in pixels.
std::optional<LOGFONT> ParseFontOption(std::string_view text, std::string& error);
// One of the 16 standard colours by name ("dark-blue"), or #RRGGBB; standard says which.
std::optional<COLORREF> ParseColourOption(std::string_view text, bool& standard,
                                          std::string& error);
// "L,R,BOTTOM", each 0-150.
std::optional<std::array<int, 3>> ParseMarginsOption(std::string_view text, std::string& error);
// "left", "center" or "right".
std::optional<int> ParseAlignOption(std::string_view text, std::string& error);

// "black, dark-red, ..., white", for help and messages.
std::string StandardColourNames();

} // namespace orvo
