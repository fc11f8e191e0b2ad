#include "output/dvd1/dib.h"

#include "render/palette.h"

#include <kestrum/util/littleendian.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace orvo {
namespace {

using kestrum::ReadLe16;
using kestrum::ReadLe32;
using kestrum::WriteLe16;
using kestrum::WriteLe32;

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;

// Byte offsets of the fields of the 40-byte info header and the 12-byte core header.
namespace info {
constexpr std::size_t kWidth = 4;
constexpr std::size_t kHeight = 8;
constexpr std::size_t kPlanes = 12;
constexpr std::size_t kBitCount = 14;
constexpr std::size_t kCompression = 16;
constexpr std::size_t kImageSize = kDibImageSizeOffset;
constexpr std::size_t kColorsUsed = 32;
} // namespace info
namespace core {
constexpr std::size_t kWidth = 4;
constexpr std::size_t kHeight = 6;
constexpr std::size_t kBitCount = 10;
} // namespace core

Dib InfoHeader(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount,
               std::uint32_t compression, std::uint32_t imageSize) {
    Dib header(kInfoHeaderSize, 0);
    WriteLe32(header, 0, kInfoHeaderSize);
    WriteLe32(header, info::kWidth, width);
    WriteLe32(header, info::kHeight, height);
    WriteLe16(header, info::kPlanes, 1);
    WriteLe16(header, info::kBitCount, bitCount);
    WriteLe32(header, info::kCompression, compression);
    WriteLe32(header, info::kImageSize, imageSize);
    return header;
}

// Little-endian whatever the machine, in one store.
void PutU64(std::uint8_t* at, std::uint64_t value) {
    if constexpr (std::endian::native == std::endian::big) {
        value = __builtin_bswap64(value);
    }
    std::memcpy(at, &value, sizeof value);
}

void ConvertRow(const std::uint32_t* pixels, std::size_t width, std::uint8_t* bgr) {
    std::size_t x = 0;
    // Eight pixels fill 24 bytes: three wide stores instead of 24 byte stores.
    for (; x + 8 <= width; x += 8, bgr += 24) {
        std::array<std::uint64_t, 8> p{};
        for (std::size_t i = 0; i < 8; ++i) {
            p[i] = pixels[x + i] & 0xFFFFFFu;
        }
        PutU64(bgr, p[0] | p[1] << 24 | p[2] << 48);
        PutU64(bgr + 8, p[2] >> 16 | p[3] << 8 | p[4] << 32 | p[5] << 56);
        PutU64(bgr + 16, p[5] >> 8 | p[6] << 16 | p[7] << 40);
    }
    for (; x < width; ++x, bgr += 3) {
        const std::uint32_t pixel = pixels[x];
        bgr[0] = static_cast<std::uint8_t>(pixel);
        bgr[1] = static_cast<std::uint8_t>(pixel >> 8);
        bgr[2] = static_cast<std::uint8_t>(pixel >> 16);
    }
}

// The capture of a top-down RGB32 row as a DIB row: blue, green, red per pixel.
void CaptureRow(const std::uint32_t* pixels, std::size_t width, std::uint8_t* bgr) {
    // Most rows of a subtitle canvas are one colour: comparing the row with itself shifted by
    // one pixel finds them, and copying the first pixel over the row at the speed of memcpy is
    // several times faster than converting pixel by pixel.
    if (std::memcmp(pixels, pixels + 1, (width - 1) * sizeof *pixels) != 0) {
        ConvertRow(pixels, width, bgr);
        return;
    }
    ConvertRow(pixels, 1, bgr);
    const std::size_t size = width * 3;
    for (std::size_t filled = 3; filled < size; filled *= 2) {
        std::memcpy(bgr + filled, bgr, std::min(filled, size - filled));
    }
}

constexpr std::size_t kFourBitPixelStart = kInfoHeaderSize + kStandardPalette.size() * 4;

bool IsBitCount(std::uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

} // namespace

std::uint64_t RowSize(std::uint64_t bitCount, std::uint64_t width) {
    return (bitCount * width + 31) / 32 * 4;
}

std::uint16_t DibColorCount(std::span<const std::uint8_t> header) {
    if (header.size() < 4) {
        return 0;
    }
    std::uint16_t bitCount = 0;
    if (ReadLe32(header, 0) == kCoreHeaderSize) {
        if (header.size() < kCoreHeaderSize) {
            return 0;
        }
        bitCount = ReadLe16(header, core::kBitCount);
    } else {
        if (header.size() < kInfoHeaderSize) {
            return 0;
        }
        if (const std::uint32_t used = ReadLe32(header, info::kColorsUsed); used != 0) {
            return static_cast<std::uint16_t>(used);
        }
        bitCount = ReadLe16(header, info::kBitCount);
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

std::uint32_t DibPaletteSize(std::span<const std::uint8_t> header) {
    const bool core = header.size() >= 4 && ReadLe32(header, 0) == kCoreHeaderSize;
    return DibColorCount(header) * (core ? 3u : 4u);
}

// Every image is captured at 24 bits, also one of a depth of 8 bits or less: the canvas is
// always RGB32, and ChangeDibFormat reads 24-bit captures only.
std::optional<Dib> BitmapToDib(const QImage* bitmap) {
    if (bitmap == nullptr || bitmap->isNull()) {
        return std::nullopt;
    }
    const QImage image = bitmap->format() == QImage::Format_RGB32
                             ? *bitmap
                             : bitmap->convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::size_t>(image.width());
    const auto height = static_cast<std::size_t>(image.height());
    const auto rowSize = static_cast<std::size_t>(RowSize(24, width));
    Dib dib = InfoHeader(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24,
                         kBiRgb, static_cast<std::uint32_t>(rowSize * height));
    dib.reserve(kInfoHeaderSize + rowSize * height);
    // Row by row, bottom row first, so that the zeros of the padding are written while the row
    // is in the cache rather than in a pass of their own over the whole block.
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::size_t start = dib.size();
        dib.resize(start + rowSize, 0);
        CaptureRow(reinterpret_cast<const std::uint32_t*>(image.constScanLine(y)), width,
                   dib.data() + start);
    }
    return dib;
}

std::optional<Capture> ReadCapture(const Dib& dib) {
    if (dib.size() < kInfoHeaderSize || ReadLe32(dib, 0) != kInfoHeaderSize ||
        ReadLe16(dib, info::kPlanes) != 1 || ReadLe16(dib, info::kBitCount) != 24 ||
        ReadLe32(dib, info::kCompression) != kBiRgb) {
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(ReadLe32(dib, info::kWidth));
    const auto height = static_cast<std::int32_t>(ReadLe32(dib, info::kHeight));
    // A top-down capture would need its rows reversed for run-length data, which has to be
    // bottom-up; BitmapToDib never makes one.
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    const std::uint64_t rowSize = RowSize(24, static_cast<std::uint64_t>(width));
    const std::uint64_t offset = kInfoHeaderSize + DibPaletteSize(dib);
    if (offset + rowSize * static_cast<std::uint64_t>(height) > dib.size()) {
        return std::nullopt;
    }
    return Capture{dib.data() + offset, static_cast<std::size_t>(width),
                   static_cast<std::size_t>(height), static_cast<std::size_t>(rowSize)};
}

Dib FourBitHeader(std::size_t width, std::size_t height, bool rle) {
    Dib out = InfoHeader(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 4,
                         rle ? kBiRle4 : kBiRgb, 0);
    // Enough for a typical subtitle canvas; more text grows it.
    out.reserve(kFourBitPixelStart + height * (rle ? 32 : RowSize(4, width)) + 2);
    for (const std::uint32_t colour : kStandardPalette) {
        const std::array<std::uint8_t, 4> entry{static_cast<std::uint8_t>(colour),
                                                static_cast<std::uint8_t>(colour >> 8),
                                                static_cast<std::uint8_t>(colour >> 16), 0};
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

void FinishFourBit(bool rle, Dib& out) {
    if (rle) {
        out.push_back(0); // end of bitmap
        out.push_back(1);
    }
    WriteLe32(out, info::kImageSize, static_cast<std::uint32_t>(out.size() - kFourBitPixelStart));
}

std::optional<DibExtent> MeasureDib(const Dib& dib) {
    if (dib.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t headerSize = ReadLe32(dib, 0);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    if (headerSize == kCoreHeaderSize && dib.size() >= kCoreHeaderSize) {
        width = ReadLe16(dib, core::kWidth);
        height = ReadLe16(dib, core::kHeight);
        bitCount = ReadLe16(dib, core::kBitCount);
    } else if (headerSize == kInfoHeaderSize && dib.size() >= kInfoHeaderSize) {
        width = static_cast<std::int32_t>(ReadLe32(dib, info::kWidth));
        height = std::abs(std::int64_t{static_cast<std::int32_t>(ReadLe32(dib, info::kHeight))});
        bitCount = ReadLe16(dib, info::kBitCount);
        compression = ReadLe32(dib, info::kCompression);
    } else {
        return std::nullopt;
    }
    const bool rle =
        (compression == kBiRle8 && bitCount == 8) || (compression == kBiRle4 && bitCount == 4);
    if (width < 0 || !IsBitCount(bitCount) || (compression != kBiRgb && !rle)) {
        return std::nullopt;
    }
    const std::uint64_t imageSize = rle ? ReadLe32(dib, info::kImageSize)
                                        : RowSize(bitCount, static_cast<std::uint64_t>(width)) *
                                              static_cast<std::uint64_t>(height);
    const std::uint64_t headerAndPalette = std::uint64_t{headerSize} + DibPaletteSize(dib);
    const std::uint64_t size = headerAndPalette + imageSize;
    // The file size field has 32 bits.
    if (size > dib.size() || size + kFileHeaderSize > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return DibExtent{static_cast<std::size_t>(headerAndPalette), static_cast<std::size_t>(size),
                     headerSize == kInfoHeaderSize && !rle, static_cast<std::uint32_t>(imageSize)};
}

} // namespace orvo
