#include "output/spumux/subpicturepng.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <new>

namespace orvo {
namespace {

constexpr int kBitsPerPixel = 2;
// A subpicture is a few runs a row in four colours: run-length matching alone compresses it as
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
bool WritePng(png_structp png, png_infop info, const Subpicture& subpicture, const QRect& bounds,
              PngOutput* output) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, output, AppendBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bounds.width()),
                 static_cast<png_uint_32>(bounds.height()), kBitsPerPixel, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[kDvdClassCount];
    for (int index = 0; index < kDvdClassCount; ++index) {
        const QRgb colour = subpicture.colours[static_cast<std::size_t>(index)];
        palette[index] = {static_cast<png_byte>(qRed(colour)),
                          static_cast<png_byte>(qGreen(colour)),
                          static_cast<png_byte>(qBlue(colour))};
    }
    png_set_PLTE(png, info, palette, kDvdClassCount);
    png_byte backgroundAlpha = 0; // the video shows through
    png_set_tRNS(png, info, &backgroundAlpha, 1, nullptr);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_strategy(png, Z_RLE);
    png_set_compression_mem_level(png, kMemoryLevel);
    png_write_info(png, info);
    png_set_packing(png); // a byte a pixel in, two bits a pixel out
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        png_write_row(png, subpicture.classes.constScanLine(y) + bounds.left());
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeSubpicturePng(const Subpicture& subpicture, const QRect& bounds) {
    const QImage& classes = subpicture.classes;
    if (classes.format() != QImage::Format_Indexed8 || bounds.isEmpty() ||
        !classes.rect().contains(bounds)) {
        return {};
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<std::uint8_t> bytes;
    PngOutput output{&bytes, false};
    const bool written = info != nullptr && WritePng(png, info, subpicture, bounds, &output);
    png_destroy_write_struct(&png, &info);
    if (!written || output.outOfMemory) {
        return {};
    }
    return bytes;
}

} // namespace orvo
