#include "output/dvd1/bitmapexport.h"

#include "output/dvd1/rle4.h"
#include "render/palette.h"
#include "render/pixelfill.h"

#include <kestrum/util/fileio.h>
#include <kestrum/util/littleendian.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace orvo {
namespace {

using kestrum::ReadLe16;
using kestrum::ReadLe32;
using kestrum::WriteLe16;
using kestrum::WriteLe32;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;

// Byte offsets of the fields of the 40-byte info header and the 12-byte core header.
namespace info {
constexpr std::size_t kWidth = 4;
constexpr std::size_t kHeight = 8;
constexpr std::size_t kPlanes = 12;
constexpr std::size_t kBitCount = 14;
constexpr std::size_t kCompression = 16;
constexpr std::size_t kImageSize = 20;
constexpr std::size_t kColorsUsed = 32;
} // namespace info
namespace core {
constexpr std::size_t kWidth = 4;
constexpr std::size_t kHeight = 6;
constexpr std::size_t kBitCount = 10;
} // namespace core

// The file's writes keep to a signed 16-bit count, as the export always wrote its files.
constexpr std::size_t kMaxChunk = 32767;

// Bytes of one uncompressed row: rows are padded to 32 bits.
std::uint64_t RowSize(std::uint64_t bitCount, std::uint64_t width) {
    return (bitCount * width + 31) / 32 * 4;
}

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

// The 24-bit pixels of a capture as BitmapToDib makes it: uncompressed, bottom-up.
struct Capture {
    const std::uint8_t* rows = nullptr; // the bottom row first
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t rowSize = 0;
};

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

// The pixel at bgr as 0x00RRGGBB, reading one byte beyond it.
std::uint32_t RgbReadingOver(const std::uint8_t* bgr) {
    std::uint32_t value = 0;
    std::memcpy(&value, bgr, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = __builtin_bswap32(value);
    }
    return value & 0xFFFFFFu;
}

std::uint32_t Rgb(const std::uint8_t* bgr) {
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

// Whether eight pixels from pixels on all repeat the pixel that pair holds twice.
bool EightRepeat(const std::uint32_t* pixels, std::uint64_t pair) {
    const auto differs = [pixels, pair](int word) {
        std::uint64_t two = 0;
        std::memcpy(&two, pixels + 2 * word, sizeof two);
        return two ^ pair;
    };
    return (differs(0) | differs(1) | differs(2) | differs(3)) == 0;
}

// The pixels of a canvas row, straight from an RGB32 canvas without a 24-bit copy: every
// pixel of an RGB32 image has the same top byte, so that whole pixels compare as their colours
// do.
struct CanvasPixels {
    const std::uint32_t* pixels;

    std::uint32_t operator()(std::size_t x) const { return pixels[x] & 0xFFFFFFu; }
};

// QuantiseRow for a canvas row. Past a run's second pixel the row is compared eight pixels at a
// time: most of a text's rows is the background between and around the letters, while the
// antialiased edges are runs of one or two pixels that take no such comparison.
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
bool IsOneColour(const std::uint8_t* bgr, std::size_t width) {
    return std::memcmp(bgr, bgr + 3, (width - 1) * 3) == 0;
}

// Two indices per byte, the first in the high nibble; the row padded to 32 bits.
void AppendPackedRow(std::span<const std::uint8_t> indices, std::size_t rowSize, Dib& out) {
    const std::size_t start = out.size();
    for (std::size_t x = 0; x < indices.size(); x += 2) {
        const std::uint8_t low = x + 1 < indices.size() ? indices[x + 1] : 0;
        out.push_back(static_cast<std::uint8_t>(indices[x] << 4 | low));
    }
    out.resize(start + rowSize, 0);
}

constexpr std::size_t kFourBitPixelStart = kInfoHeaderSize + kStandardPalette.size() * 4;

// The header and the standard colour table of a 4-bit DIB; the rows follow.
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

// The end of the bitmap's runs and the size of its pixel data.
void FinishFourBit(bool rle, Dib& out) {
    if (rle) {
        out.push_back(0); // end of bitmap
        out.push_back(1);
    }
    WriteLe32(out, info::kImageSize, static_cast<std::uint32_t>(out.size() - kFourBitPixelStart));
}

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

// The bytes a DIB occupies and what SaveDib writes of it; none when the block holds no DIB
// that can be written.
struct DibExtent {
    std::size_t headerAndPalette = 0;
    std::size_t size = 0;
    bool storesImageSize = false; // an uncompressed DIB with a 40-byte header
    std::uint32_t imageSize = 0;
};

bool IsBitCount(std::uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
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

std::array<std::uint8_t, kFileHeaderSize> FileHeader(const DibExtent& extent) {
    std::array<std::uint8_t, kFileHeaderSize> header{'B', 'M'};
    WriteLe32(header, 2, static_cast<std::uint32_t>(kFileHeaderSize + extent.size));
    WriteLe32(header, 10, static_cast<std::uint32_t>(kFileHeaderSize + extent.headerAndPalette));
    return header;
}

bool IsStream(const std::string& fileName) {
    struct stat status {};
    return ::stat(fileName.c_str(), &status) == 0 &&
           (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode));
}

std::error_code WriteIntoStream(const std::string& fileName,
                                const std::function<std::error_code(int)>& write) {
    kestrum::UniqueFd fd(::open(fileName.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return {errno, std::generic_category()};
    }
    const std::error_code error = write(fd.Get());
    const std::error_code closed = fd.Close();
    return error ? error : closed;
}

// Pieces of at most 32767 bytes, each written whole: the file API that the format comes from
// took a 16-bit signed length.
std::error_code WriteChunks(int fd, std::span<const std::uint8_t> data) {
    for (std::size_t done = 0; done < data.size(); done += kMaxChunk) {
        const std::error_code error =
            kestrum::WriteAll(fd, data.subspan(done, std::min(data.size() - done, kMaxChunk)));
        if (error) {
            return error;
        }
    }
    return {};
}

} // namespace

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

std::string DibSaveOutcome::Reason() const {
    if (error) {
        return error.message();
    }
    switch (code) {
    case kDibNotAccessible:
        // Only a block that holds no valid bitmap gives this code; file errors carry their own.
        return "the picture is no valid bitmap";
    case kDibFileError:
        return "write error";
    case kNoDib:
        return "no picture to write";
    default:
        return "error " + std::to_string(code);
    }
}

std::uint16_t SaveDib(const Dib* dib, const std::string& fileName,
                      kestrum::FileReplacer* replacer) {
    return SaveDibWithReason(dib, fileName, replacer).code;
}

DibSaveOutcome SaveDibWithReason(const Dib* dib, const std::string& fileName,
                                 kestrum::FileReplacer* replacer) {
    if (dib == nullptr) {
        return {kNoDib, {}};
    }
    // Checked before the file is created, so that a block that holds no DIB leaves an existing
    // file as it was.
    const std::optional<DibExtent> extent = MeasureDib(*dib);
    if (!extent) {
        return {kDibNotAccessible, {}};
    }
    // The file in one piece: a write of the header alone would make the file system read
    // the first block of a recycled file that is no longer cached, only to write it over.
    const auto fileHeader = FileHeader(*extent);
    std::vector<std::uint8_t> file(kFileHeaderSize + extent->size);
    std::memcpy(file.data(), fileHeader.data(), kFileHeaderSize);
    std::memcpy(file.data() + kFileHeaderSize, dib->data(), extent->size);
    if (extent->storesImageSize && ReadLe32(*dib, info::kImageSize) != extent->imageSize) {
        WriteLe32(std::span(file).subspan(kFileHeaderSize), info::kImageSize, extent->imageSize);
    }
    const auto write = [&file](int fd) { return WriteChunks(fd, file); };
    // Through a temporary file and a rename: a run that is killed leaves each bitmap old or
    // new, never cut short. A device or a pipe is written into as it is; a run's thousands of
    // regular files spare asking, as its replacer refuses what is no regular file unwritten.
    std::error_code error;
    if (replacer == nullptr) {
        error = IsStream(fileName) ? WriteIntoStream(fileName, write)
                                   : kestrum::ReplaceFile(fileName, write);
    } else {
        error = replacer->Replace(fileName, write);
        if (error == std::errc::invalid_argument && IsStream(fileName)) {
            error = WriteIntoStream(fileName, write);
        }
    }
    if (error) {
        return {kDibFileError, error};
    }
    return {kDibWritten, {}};
}

std::size_t WriteInChunks(int fd, std::span<const std::uint8_t> data) {
    return WriteChunks(fd, data) ? 0 : data.size();
}

std::uint16_t SaveCanvasBitmap(const QImage* bitmap, const std::string& fileName,
                               kestrum::FileReplacer* replacer) {
    return SaveCanvasBitmapWithReason(bitmap, fileName, replacer).code;
}

DibSaveOutcome SaveCanvasBitmapWithReason(const QImage* bitmap, const std::string& fileName,
                                          kestrum::FileReplacer* replacer) {
    std::optional<Dib> converted;
    if (const std::optional<Dib> capture = BitmapToDib(bitmap)) {
        converted = ChangeDibFormat(*capture, 4, static_cast<int>(kBiRle4));
    }
    return SaveDibWithReason(converted ? &*converted : nullptr, fileName, replacer);
}

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
