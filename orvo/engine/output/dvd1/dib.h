#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The device-independent bitmap: the format of a BMP file after its 14-byte file header.
namespace orvo {

// A packed device-independent bitmap: the 40-byte info header, the colour table and the
// pixel data in one buffer.
using Dib = std::vector<std::uint8_t>;

constexpr std::size_t kFileHeaderSize = 14;
// The compressions of the info header.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
// Where the info header holds the size of the pixel data.
constexpr std::size_t kDibImageSizeOffset = 20;

// Bytes of one uncompressed row: rows are padded to 32 bits.
std::uint64_t RowSize(std::uint64_t bitCount, std::uint64_t width);

// Colour-table entries that a DIB header announces (40-byte or 12-byte core header).
std::uint16_t DibColorCount(std::span<const std::uint8_t> header);
// Bytes of the colour table: 4 per entry after a 40-byte header, 3 after a core header.
std::uint32_t DibPaletteSize(std::span<const std::uint8_t> header);

// The canvas captured at its own depth (24 bits for an RGB32 canvas); null without a canvas.
std::optional<Dib> BitmapToDib(const QImage* bitmap);

// The 24-bit pixels of a capture as BitmapToDib makes it: uncompressed, bottom-up.
struct Capture {
    const std::uint8_t* rows = nullptr; // the bottom row first
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t rowSize = 0;
};

// None for any other DIB than BitmapToDib makes.
std::optional<Capture> ReadCapture(const Dib& dib);

// The header and the standard colour table of a 4-bit DIB; the rows follow.
Dib FourBitHeader(std::size_t width, std::size_t height, bool rle);
// The end of the bitmap's runs and the size of its pixel data.
void FinishFourBit(bool rle, Dib& out);

// The bytes a DIB occupies and what SaveDib writes of it; none when the block holds no DIB
// that can be written.
struct DibExtent {
    std::size_t headerAndPalette = 0;
    std::size_t size = 0;
    bool storesImageSize = false; // an uncompressed DIB with a 40-byte header
    std::uint32_t imageSize = 0;
};

std::optional<DibExtent> MeasureDib(const Dib& dib);

} // namespace orvo
