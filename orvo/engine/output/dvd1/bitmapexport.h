#pragma once

#include "render/palette.h"
#include "render/subtitlerenderer.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kestrum {
class FileReplacer;
}

namespace orvo {

// A packed device-independent bitmap: the 40-byte info header, the colour table and the
// pixel data in one buffer.
using Dib = std::vector<std::uint8_t>;

enum SaveDibResult : std::uint16_t {
    kDibWritten = 0,
    kDibNotAccessible = 3,
    kDibFileError = 4,
    kNoDib = 20,
};

// Colour-table entries that a DIB header announces (40-byte or 12-byte core header).
std::uint16_t DibColorCount(std::span<const std::uint8_t> header);
// Bytes of the colour table: 4 per entry after a 40-byte header, 3 after a core header.
std::uint32_t DibPaletteSize(std::span<const std::uint8_t> header);

// The canvas captured at its own depth (24 bits for an RGB32 canvas); null without a canvas.
std::optional<Dib> BitmapToDib(const QImage* bitmap);
// The DIB converted to the standard 16-colour palette: every pixel becomes its nearest palette
// colour; compression 2 is run-length encoding of 4-bit pixels.
std::optional<Dib> ChangeDibFormat(const Dib& dib, int bitCount, int compression);
// The canvas as its bitmap holds it: every pixel the standard colour that ChangeDibFormat
// gives it, as RGB32. The canvas itself keeps its colours for the test image and the run.
QImage InStandardColours(const QImage& canvas);
// A save's result code and, after a file error, the system's reason.
struct DibSaveOutcome {
    std::uint16_t code = kDibWritten;
    std::error_code error;

    // Why the bitmap was not written, for a message.
    [[nodiscard]] std::string Reason() const;
};

// Writes the 14-byte file header and the DIB, through a temporary file that replaces the old
// file whole; a run passes its replacer, which reuses the files that replacements free.
[[nodiscard]] std::uint16_t SaveDib(const Dib* dib, const std::string& fileName,
                                    kestrum::FileReplacer* replacer = nullptr);
[[nodiscard]] DibSaveOutcome SaveDibWithReason(const Dib* dib, const std::string& fileName,
                                               kestrum::FileReplacer* replacer = nullptr);
// Writes in pieces of at most 32767 bytes; length on success, 0 after any short write.
[[nodiscard]] std::size_t WriteInChunks(int fd, std::span<const std::uint8_t> data);

// The canvas as a 4-bit run-length-encoded BMP file; the result of SaveDib. A run goes on after
// a bitmap that could not be written, but tells its driver.
[[nodiscard]] std::uint16_t SaveCanvasBitmap(const QImage* bitmap, const std::string& fileName,
                                             kestrum::FileReplacer* replacer = nullptr);
[[nodiscard]] DibSaveOutcome SaveCanvasBitmapWithReason(const QImage* bitmap,
                                                        const std::string& fileName,
                                                        kestrum::FileReplacer* replacer = nullptr);

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
