#include "output/dvd1/canvasencoder.h"

#include "output/dvd1/quantiser.h"
#include "output/dvd1/rle4.h"

#include <cstring>

namespace orvo {

CanvasBitmapEncoder::CanvasBitmapEncoder(QRgb background)
    : m_background(0xFF000000u | background) {}

void CanvasBitmapEncoder::Prepare(std::size_t width) {
    if (m_width == width) {
        return;
    }
    m_width = width;
    m_backgroundLine.clear();
    EncodeRle4OneColourLine(m_nearest(m_background & 0xFFFFFFu), width, m_backgroundLine);
}

std::optional<Dib> CanvasBitmapEncoder::Encode(const QImage& canvas, const CanvasRows& drawn) {
    if (canvas.isNull()) {
        return std::nullopt;
    }
    const QImage image = canvas.format() == QImage::Format_RGB32
                             ? canvas
                             : canvas.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::size_t>(image.width());
    const auto height = static_cast<std::size_t>(image.height());
    Prepare(width);
    const CanvasRows read = drawn.ClampedTo(static_cast<int>(height));
    const auto top = static_cast<std::size_t>(read.top);
    const auto bottom = static_cast<std::size_t>(read.bottom);
    FourBitRows rows(width, true);
    Dib out = FourBitHeader(width, height, true);
    // Bottom-up, as run-length data has to be.
    for (std::size_t y = height; y-- > 0;) {
        if (y < top || y >= bottom) {
            out.insert(out.end(), m_backgroundLine.begin(), m_backgroundLine.end());
            continue;
        }
        const auto* pixels =
            reinterpret_cast<const std::uint32_t*>(image.constScanLine(static_cast<int>(y)));
        const bool oneColour = std::memcmp(pixels, pixels + 1, (width - 1) * sizeof *pixels) == 0;
        rows.Append(oneColour, CanvasPixels{pixels}, m_nearest, out);
    }
    FinishFourBit(true, out);
    return out;
}

} // namespace orvo
