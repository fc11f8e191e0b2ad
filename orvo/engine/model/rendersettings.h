#pragma once

#include <kestrum-gui/colorref.h>
#include <kestrum-gui/logfont.h>

namespace orvo {

using kestrum::LOGFONT;

// Arial at a character height of 24 pixels, normal weight, antialiased.
inline LOGFONT DefaultFont() {
    LOGFONT font = LOGFONT::Make("Arial", -24);
    font.weight = 400;
    font.quality = LOGFONT::kAntialiasedQuality;
    return font;
}

using kestrum::COLORREF;

// The look of the subtitles, named like the keys under which it is stored. The renderer takes
// every value as it is: the window keeps them in range.
struct RenderSettings {
    LOGFONT Font = DefaultFont();
    bool AntiAlias = true;
    int LeftMargin = 50;
    int RightMargin = 50;
    int VerticalOffset = 50; // from the canvas bottom to the bottom of the text block
    int Align = 1;           // 0 left, 1 centre, 2 right
    COLORREF TextColor = 0x0000FFFF;
    COLORREF TextBkgColor = 0x00FF0000; // band behind the glyphs, box and outline
    COLORREF BkgColor = 0x00FFFFFF;
    bool Box = false;
    int Outline = 0; // a truth value, stored as an int
    bool ExtendBlanks = false;
    int OutlineSpacing = 2;
    bool PAL = true; // 720 x 576; NTSC is 720 x 480
    // An HD picture by its lines, 720 or 1080; 0 is the standard-definition picture of PAL.
    int Resolution = 0;
    // Four colours, each pixel classed by the layer that drew it, as a DVD subpicture holds.
    bool DvdColors = false;
    // The run's own, never stored: the background left transparent on a canvas with alpha, for
    // the outputs that blend the text over the video in its own colours.
    bool Transparent = false;
    // The outline's ring, 1-4 pixels wide: 1 is the ring of the eight neighbours.
    int OutlineWidth = 1;
    // The glyphs again in the text background colour, 0-4 pixels down and to the right; 0 is
    // none. The text is then drawn without the band behind its lines, as with the outline.
    int ShadowOffset = 0;
    // A line that wraps into two breaks where both are about as wide, the lower not shorter.
    bool BalancedBreaks = false;
    // For a 16:9 picture stored in a 4:3 frame: the text drawn narrower by the pixel aspect, so
    // that it shows in its shape when the player widens the picture.
    bool Anamorphic = false;

    bool operator==(const RenderSettings&) const = default;
};

} // namespace orvo
