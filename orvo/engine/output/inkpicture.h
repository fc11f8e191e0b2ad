#pragma once

#include "render/subtitlerenderer.h"

#include <QImage>
#include <QPoint>

#include <cstdint>

namespace orvo {

// The index of the pixels the video shows through, in every ink picture.
constexpr std::uint8_t kInkTransparent = 0xFF;
// The colours an ink picture holds besides the transparent one.
constexpr int kMaxInkColours = 255;

// A subtitle's ink as the Blu-ray outputs carry it: the smallest rectangle of the canvas that
// holds every pixel that is not fully transparent, as an 8-bit indexed picture whose colour
// table holds straight-alpha colours. A canvas without ink gives one transparent pixel at the
// top left, so that a subtitle without text still shows and hides.
struct InkPicture {
    QImage picture;  // Format_Indexed8, 256 table entries, kInkTransparent transparent
    QPoint position; // of its top-left pixel on the canvas
    int colours = 0; // table entries in use, not counting kInkTransparent
};

// The ink of a canvas with premultiplied alpha, looked for in rows only: outside them the
// drawing left every pixel transparent. A picture of up to kMaxInkColours colours keeps them
// exactly; one of more is reduced to that many by cutting the colour space at the median of
// its pixels, so that the colours that cover most of the picture stay closest.
InkPicture IndexedInk(const QImage& canvas, CanvasRows rows);

} // namespace orvo
