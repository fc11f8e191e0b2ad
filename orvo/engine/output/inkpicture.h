#pragma once

#include "render/subtitlerenderer.h"

#include <QImage>
#include <QList>
#include <QPoint>

#include <cstdint>
#include <vector>

namespace orvo {

// The index of the pixels the video shows through, in every ink picture.
constexpr std::uint8_t kInkTransparent = 0xFF;
// The colours an ink picture holds besides the transparent one.
constexpr int kMaxInkColours = 255;

// One colour's stretch of a row of an ink picture.
struct InkRun {
    std::uint8_t index;
    int length;
};

// A subtitle's ink as the Blu-ray outputs carry it: the smallest rectangle of the canvas that
// holds every pixel that is not fully transparent, in 8-bit indexes to a table of straight-alpha
// colours, kept as the runs of its rows, which the stream's code is made of. A canvas without
// ink gives one transparent pixel at the top left, so that a subtitle without text still shows
// and hides.
struct InkPicture {
    QSize size;
    QPoint position;          // of its top-left pixel on the canvas
    QList<QRgb> colourTable;  // 256 entries, kInkTransparent transparent
    int colours = 0;          // table entries in use, not counting kInkTransparent
    std::vector<InkRun> runs; // row after row; each row's runs fill its width

    // As an image: Format_Indexed8 with the colour table.
    QImage Picture() const;
};

// The ink of a canvas with premultiplied alpha, looked for in rows only: outside them the
// drawing left every pixel transparent. A picture of up to kMaxInkColours colours keeps them
// exactly; one of a few more gives its rarest the index of the colour nearest each; one of more
// still is reduced to that many by cutting the colour space at the median of its pixels, so that
// the colours that cover most of the picture stay closest.
InkPicture IndexedInk(const QImage& canvas, CanvasRows rows);

// An 8-bit indexed picture drawn elsewhere, at position, as runs; its table as it stands.
InkPicture InkOfIndexed(const QImage& indexed, QPoint position);

} // namespace orvo
