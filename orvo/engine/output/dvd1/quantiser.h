#pragma once

#include "output/dvd1/dib.h"
#include "output/dvd1/rle4.h"
#include "render/palette.h"

#include <QImage>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

// Pixels to the standard 16 colours: each its nearest, the rows as a 4-bit bitmap holds them.
namespace orvo {

// The pixel at bgr as 0x00RRGGBB, reading one byte beyond it.
inline std::uint32_t RgbReadingOver(const std::uint8_t* bgr) {
    std::uint32_t value = 0;
    std::memcpy(&value, bgr, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = __builtin_bswap32(value);
    }
    return value & 0xFFFFFFu;
}

inline std::uint32_t Rgb(const std::uint8_t* bgr) {
    return static_cast<std::uint32_t>(bgr[0]) | static_cast<std::uint32_t>(bgr[1]) << 8 |
           static_cast<std::uint32_t>(bgr[2]) << 16;
}

// Each pixel's nearest palette index; rgbAt(x) gives pixel x as 0x00RRGGBB. Runs of one colour
// are looked up once.
template <class ReadRgb>
void QuantiseRow(std::size_t width, ReadRgb rgbAt, std::uint8_t* indices,
                 const NearestIndexTable& nearest) {
    std::uint32_t previous = rgbAt(0);
    std::uint8_t index = nearest(previous);
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t rgb = rgbAt(x);
        if (rgb != previous) {
            previous = rgb;
            index = nearest(rgb);
        }
        indices[x] = index;
    }
}

// The pixels of a canvas row, straight from an RGB32 canvas without a 24-bit copy: every
// pixel of an RGB32 image has the same top byte, so that whole pixels compare as their colours
// do.
struct CanvasPixels {
    const std::uint32_t* pixels;

    std::uint32_t operator()(std::size_t x) const { return pixels[x] & 0xFFFFFFu; }
};

// QuantiseRow for a canvas row, faster over runs of one colour.
void QuantiseRow(std::size_t width, CanvasPixels row, std::uint8_t* indices,
                 const NearestIndexTable& nearest);

// The pixels of a captured 24-bit row.
struct CapturedRgb {
    const std::uint8_t* bgr;
    std::size_t width;

    // A four-byte read is much faster than three single ones; only the row's last pixel may
    // end the block.
    std::uint32_t operator()(std::size_t x) const {
        return x + 1 < width ? RgbReadingOver(bgr + 3 * x) : Rgb(bgr + 3 * x);
    }
};

// Whether the row is one colour: the row compared with itself shifted by one pixel, at the
// speed of memcmp.
bool IsOneColour(const std::uint8_t* bgr, std::size_t width);

// Two indices per byte, the first in the high nibble; the row padded to 32 bits.
void AppendPackedRow(std::span<const std::uint8_t> indices, std::size_t rowSize, Dib& out);

// Appends captured 24-bit rows to a 4-bit DIB, each pixel its nearest standard colour.
class FourBitRows {
public:
    FourBitRows(std::size_t width, bool rle)
        : m_width(width)
        , m_rle(rle)
        , m_rowSize(static_cast<std::size_t>(RowSize(4, width)))
        , m_indices(width) {}

    // rgbAt(x) gives pixel x of the row as 0x00RRGGBB; oneColour says that they are all one.
    template <class ReadRgb>
    void Append(bool oneColour, ReadRgb rgbAt, const NearestIndexTable& nearest, Dib& out) {
        // Most rows of a subtitle canvas are one colour.
        if (m_rle && oneColour) {
            EncodeRle4OneColourLine(nearest(rgbAt(0)), m_width, out);
            return;
        }
        QuantiseRow(m_width, rgbAt, m_indices.data(), nearest);
        if (m_rle) {
            EncodeRle4Line(m_indices, out);
        } else {
            AppendPackedRow(m_indices, m_rowSize, out);
        }
    }

private:
    std::size_t m_width;
    bool m_rle;
    std::size_t m_rowSize;
    std::vector<std::uint8_t> m_indices;
};

// The DIB converted to the standard 16-colour palette: every pixel becomes its nearest palette
// colour; compression 2 is run-length encoding of 4-bit pixels.
std::optional<Dib> ChangeDibFormat(const Dib& dib, int bitCount, int compression);
// The canvas as its bitmap holds it: every pixel the standard colour that ChangeDibFormat
// gives it, as RGB32. The canvas itself keeps its colours for the test image and the run.
QImage InStandardColours(const QImage& canvas);

} // namespace orvo
