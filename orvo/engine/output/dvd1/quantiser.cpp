#include "output/dvd1/quantiser.h"

#include "render/pixelfill.h"

#include <cstring>

namespace orvo {
namespace {

// Whether eight pixels from pixels on all repeat the pixel that pair holds twice.
bool EightRepeat(const std::uint32_t* pixels, std::uint64_t pair) {
    const auto differs = [pixels, pair](int word) {
        std::uint64_t two = 0;
        std::memcpy(&two, pixels + 2 * word, sizeof two);
        return two ^ pair;
    };
    return (differs(0) | differs(1) | differs(2) | differs(3)) == 0;
}

} // namespace

void QuantiseRow(std::size_t width, CanvasPixels row, std::uint8_t* indices,
                 const NearestIndexTable& nearest) {
    const std::uint32_t* pixels = row.pixels;
    std::uint32_t previous = pixels[0];
    std::uint8_t index = nearest(row(0));
    for (std::size_t x = 0; x < width;) {
        if (pixels[x] != previous) {
            previous = pixels[x];
            index = nearest(row(x));
            indices[x++] = index;
            continue;
        }
        const std::uint64_t pair = std::uint64_t{previous} << 32 | previous;
        const std::uint64_t eightIndices = index * std::uint64_t{0x0101010101010101};
        for (; x + 8 <= width && EightRepeat(pixels + x, pair); x += 8) {
            std::memcpy(indices + x, &eightIndices, sizeof eightIndices);
        }
        for (; x < width && pixels[x] == previous; ++x) {
            indices[x] = index;
        }
    }
}

bool IsOneColour(const std::uint8_t* bgr, std::size_t width) {
    return std::memcmp(bgr, bgr + 3, (width - 1) * 3) == 0;
}

void AppendPackedRow(std::span<const std::uint8_t> indices, std::size_t rowSize, Dib& out) {
    const std::size_t start = out.size();
    for (std::size_t x = 0; x < indices.size(); x += 2) {
        const std::uint8_t low = x + 1 < indices.size() ? indices[x + 1] : 0;
        out.push_back(static_cast<std::uint8_t>(indices[x] << 4 | low));
    }
    out.resize(start + rowSize, 0);
}

// Converts 24-bit captures to 4 bits, uncompressed or BI_RLE4: what the export needs. Other
// depths (1, 8 and 24 bits, RLE8, keeping the depth) and other sources have no user here and
// give none rather than an untested guess.
std::optional<Dib> ChangeDibFormat(const Dib& dib, int bitCount, int compression) {
    const bool rle = compression == static_cast<int>(kBiRle4);
    if (bitCount != 4 || (compression != static_cast<int>(kBiRgb) && !rle)) {
        return std::nullopt;
    }
    const std::optional<Capture> capture = ReadCapture(dib);
    if (!capture) {
        return std::nullopt;
    }
    FourBitRows rows(capture->width, rle);
    Dib out = FourBitHeader(capture->width, capture->height, rle);
    const NearestIndexTable& nearest = NearestIndexTable::Get();
    for (std::size_t row = 0; row < capture->height; ++row) {
        const std::uint8_t* bgr = capture->rows + row * capture->rowSize;
        rows.Append(IsOneColour(bgr, capture->width), CapturedRgb{bgr, capture->width}, nearest,
                    out);
    }
    FinishFourBit(rle, out);
    return out;
}

QImage InStandardColours(const QImage& canvas) {
    const QImage source = canvas.format() == QImage::Format_RGB32
                              ? canvas
                              : canvas.convertToFormat(QImage::Format_RGB32);
    QImage shown(source.size(), QImage::Format_RGB32);
    const NearestIndexTable& nearest = NearestIndexTable::Get();
    const auto standard = [&nearest](std::uint32_t rgb) {
        return 0xFF000000u | kStandardPalette[nearest(rgb & 0xFFFFFFu)];
    };
    const auto width = static_cast<std::size_t>(source.width());
    for (int y = 0; y < source.height(); ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(source.constScanLine(y));
        auto* to = reinterpret_cast<std::uint32_t*>(shown.scanLine(y));
        // Most rows of a subtitle canvas are one colour, and the rest mostly runs of one.
        if (std::memcmp(from, from + 1, (width - 1) * sizeof *from) == 0) {
            FillPixels(to, width, standard(from[0]));
            continue;
        }
        std::uint32_t run = from[0];
        std::uint32_t colour = standard(run);
        for (std::size_t x = 0; x < width; ++x) {
            if (from[x] != run) {
                run = from[x];
                colour = standard(run);
            }
            to[x] = colour;
        }
    }
    return shown;
}

} // namespace orvo
