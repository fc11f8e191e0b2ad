#include "output/palettepng.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <new>

namespace orvo {
namespace {

constexpr int kMaxPaletteEntries = 256;
// A subtitle is a few runs a row in few colours: run-length matching alone compresses it as
// well as a full search, and a small hash table spares clearing 64 KB for every picture. Set
// up for the general case, the library spent more time per picture than the drawing.
constexpr int kMemoryLevel = 2;

struct PngOutput {
    std::vector<std::uint8_t>* bytes;
    bool outOfMemory;
};

// Appends without letting an exception pass through the library's C frames.
void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    try {
        output->bytes->insert(output->bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        output->outOfMemory = true;
    }
}

void FlushNothing(png_structp /*png*/) {}

// The library reports an error by jumping back here, so that this frame holds only plain
// values that need no destructor; false after an error.
bool WritePng(png_structp png, png_infop info, const QImage& indexed, const QRect& bounds,
              std::span<const QRgb> colours, int bitDepth, PngOutput* output) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, output, AppendBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bounds.width()),
                 static_cast<png_uint_32>(bounds.height()), bitDepth, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[kMaxPaletteEntries];
    png_byte alphas[kMaxPaletteEntries];
    // The transparency chunk ends with the last entry that is not opaque.
    int translucent = 0;
    for (std::size_t index = 0; index < colours.size(); ++index) {
        const QRgb colour = colours[index];
        palette[index] = {static_cast<png_byte>(qRed(colour)),
                          static_cast<png_byte>(qGreen(colour)),
                          static_cast<png_byte>(qBlue(colour))};
        alphas[index] = static_cast<png_byte>(qAlpha(colour));
        if (qAlpha(colour) != 0xFF) {
            translucent = static_cast<int>(index) + 1;
        }
    }
    png_set_PLTE(png, info, palette, static_cast<int>(colours.size()));
    if (translucent > 0) {
        png_set_tRNS(png, info, alphas, translucent, nullptr);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_strategy(png, Z_RLE);
    png_set_compression_mem_level(png, kMemoryLevel);
    png_write_info(png, info);
    png_set_packing(png); // a byte a pixel in, fewer bits a pixel out
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        png_write_row(png, indexed.constScanLine(y) + bounds.left());
    }
    png_write_end(png, nullptr);
    return true;
}

// Whether every pixel of bounds names an entry of a palette of entries that the depth holds.
bool FitsPalette(const QImage& indexed, const QRect& bounds, std::size_t entries) {
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        const std::uint8_t* row = indexed.constScanLine(y) + bounds.left();
        if (*std::max_element(row, row + bounds.width()) >= entries) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePalettePng(const QImage& indexed, const QRect& bounds,
                                           std::span<const QRgb> colours, int bitDepth) {
    const std::size_t depthEntries = std::size_t{1} << bitDepth;
    if (indexed.format() != QImage::Format_Indexed8 || bounds.isEmpty() ||
        !indexed.rect().contains(bounds) || colours.empty() || colours.size() > depthEntries ||
        !FitsPalette(indexed, bounds, colours.size())) {
        return {};
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<std::uint8_t> bytes;
    PngOutput output{&bytes, false};
    const bool written =
        info != nullptr && WritePng(png, info, indexed, bounds, colours, bitDepth, &output);
    png_destroy_write_struct(&png, &info);
    if (!written || output.outOfMemory) {
        return {};
    }
    return bytes;
}

} // namespace orvo
