#pragma once

#include "output/dvd1/dib.h"
#include "render/palette.h"
#include "render/subtitlerenderer.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvo {

// The bitmaps of a run, the same bytes as SaveCanvasBitmap's: the rows of the background colour
// above and below the text, most of every canvas, are compared with it at the speed of memcmp
// and take one line of runs encoded once per run, rather than being captured and converted one
// by one. Each encoder serves one thread.
class CanvasBitmapEncoder {
public:
    // background: the colour that the renderer fills the canvas with, as a pixel.
    explicit CanvasBitmapEncoder(QRgb background);

    // The canvas as a 4-bit BI_RLE4 DIB, as BitmapToDib and ChangeDibFormat make it; none for
    // a null canvas. Every row outside drawn must be the background throughout, as the
    // renderer reports it: those rows are not read.
    std::optional<Dib> Encode(const QImage& canvas, const CanvasRows& drawn);

private:
    void Prepare(std::size_t width);

    QRgb m_background;
    std::size_t m_width = 0;                    // of the canvas m_backgroundLine is for
    std::vector<std::uint8_t> m_backgroundLine; // a row of background, as runs
    const NearestIndexTable& m_nearest = NearestIndexTable::Get();
};

} // namespace orvo
