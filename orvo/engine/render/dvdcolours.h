#pragma once

#include "model/rendersettings.h"
#include "render/subtitlerenderer.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvo {

// The four colours a DVD subpicture holds, each pixel classed by the layer that drew it.
enum class DvdClass : std::uint8_t {
    Background,
    TextBackground, // the band, the box or the outline
    Text,
    Shade, // an antialiased glyph edge on the text background
};

// Why the look cannot be drawn in the DVD colours; none when it can or the mode is off. Two
// layers of one colour would make their classes one, and the player's palette could not tell
// them apart.
std::optional<std::string> DvdColoursProblem(const RenderSettings& settings);

// The standard colour nearest the midpoint of the text colour and the text background colour,
// as 0x00RRGGBB: the edge shade of a bitmap that keeps the standard colour table.
std::uint32_t DvdShade(COLORREF text, COLORREF textBackground);

// The look with each layer drawn in a key colour that ClassOfKeyed reads back: the drawing
// blends keys as it blends colours, so that a pixel tells which layers made it.
RenderSettings KeyedLook(const RenderSettings& settings);

// The class of a pixel of a canvas drawn with KeyedLook. A glyph edge on the text background
// is the shade where the text covers a quarter to three quarters of it; any other edge, also
// one on the background (the main font may reach past its outline) and every edge without
// antialiasing, goes to whichever layer covers more of it.
DvdClass ClassOfKeyed(QRgb pixel, bool antiAlias);

// The colour of each class in the look, by class, as opaque pixels.
std::array<QRgb, 4> DvdClassColours(const RenderSettings& settings);

// Replaces every pixel of a canvas drawn with KeyedLook by the colour of its class, by class as
// DvdClassColours gives them. classes, when given, receives each pixel's class as an 8-bit
// indexed picture of the canvas's size without a colour table; a picture of that size that no
// one else holds is written over, so that a run does not allocate a frame per subtitle.
void PaintDvdClasses(QImage& keyed, bool antiAlias, const std::array<QRgb, 4>& colours,
                     QImage* classes = nullptr);

// The classes of rows of a canvas drawn with KeyedLook, written into classes as PaintDvdClasses
// writes them, the canvas left as it is; the other rows of classes stay as they were, unless it
// is made anew, all background, when it is not a picture of the canvas's size that no one else
// holds (every row is classed then). The rows among them that hold more than background; an
// empty span at their top when none does.
CanvasRows ClassifyDvdKeys(const QImage& keyed, bool antiAlias, CanvasRows rows, QImage& classes);

} // namespace orvo
