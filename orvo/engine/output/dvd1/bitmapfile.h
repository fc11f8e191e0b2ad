#pragma once

#include "output/dvd1/dib.h"

#include <QImage>

#include <cstdint>
#include <span>
#include <string>
#include <system_error>

namespace kestrum {
class FileReplacer;
}

// BMP files: the file header and the DIB, written whole or not at all.
namespace orvo {

enum SaveDibResult : std::uint16_t {
    kDibWritten = 0,
    kDibNotAccessible = 3,
    kDibFileError = 4,
    kNoDib = 20,
};

// A save's result code and, after a file error, the system's reason.
struct DibSaveOutcome {
    std::uint16_t code = kDibWritten;
    std::error_code error;

    // Why the bitmap was not written, for a message.
    [[nodiscard]] std::string Reason() const;
};

// Writes the 14-byte file header and the DIB, through a temporary file that replaces the old
// file whole; a run passes its replacer, which reuses the files that replacements free. A
// device or a pipe is written into as it is.
[[nodiscard]] DibSaveOutcome SaveDib(const Dib* dib, const std::string& fileName,
                                     kestrum::FileReplacer* replacer = nullptr);

// The canvas as a 4-bit run-length-encoded BMP file. A run goes on after a bitmap that could
// not be written, but tells its driver.
[[nodiscard]] DibSaveOutcome SaveCanvasBitmap(const QImage* bitmap, const std::string& fileName,
                                              kestrum::FileReplacer* replacer = nullptr);

// Writes data in pieces of at most 32767 bytes, each whole: the file API that the format comes
// from took a 16-bit signed length.
[[nodiscard]] std::error_code WriteChunks(int fd, std::span<const std::uint8_t> data);

} // namespace orvo
