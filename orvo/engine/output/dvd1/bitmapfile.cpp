#include "output/dvd1/bitmapfile.h"

#include "output/dvd1/quantiser.h"

#include <kestrum/util/fileio.h>
#include <kestrum/util/littleendian.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvo {
namespace {

using kestrum::ReadLe32;
using kestrum::WriteLe32;

// The file's writes keep to a signed 16-bit count, as the export always wrote its files.
constexpr std::size_t kMaxChunk = 32767;

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

} // namespace

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

DibSaveOutcome SaveDib(const Dib* dib, const std::string& fileName,
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
    if (extent->storesImageSize && ReadLe32(*dib, kDibImageSizeOffset) != extent->imageSize) {
        WriteLe32(std::span(file).subspan(kFileHeaderSize), kDibImageSizeOffset, extent->imageSize);
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

DibSaveOutcome SaveCanvasBitmap(const QImage* bitmap, const std::string& fileName,
                                kestrum::FileReplacer* replacer) {
    std::optional<Dib> converted;
    if (const std::optional<Dib> capture = BitmapToDib(bitmap)) {
        converted = ChangeDibFormat(*capture, 4, static_cast<int>(kBiRle4));
    }
    return SaveDib(converted ? &*converted : nullptr, fileName, replacer);
}

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

} // namespace orvo
