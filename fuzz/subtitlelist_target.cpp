// libFuzzer target for the subtitle list reader: the bytes are read as a list file, and the text
// of every line it keeps is joined and decoded as a subtitle's text would be for drawing. A crash,
// a sanitizer report or a broken promise of the reader (below) is a finding.
#include "input/subtitlelist.h"

#include <kestrum/util/textcodec.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

namespace {

void Require(bool promise) {
    if (!promise) {
        std::abort();
    }
}

// The reader takes a path: the bytes go into an anonymous file in memory.
std::string MemoryFile(const std::uint8_t* data, std::size_t size, int& fd) {
    fd = memfd_create("subtitle-list", MFD_CLOEXEC);
    Require(fd >= 0);
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = write(fd, data + done, size - done);
        Require(written > 0);
        done += static_cast<std::size_t>(written);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

void CheckLoaded(const orvo::SubtitleStore& store, std::string_view bytes) {
    std::size_t kept = 0;
    const std::vector<std::string> lines = orvo::ListLines(store);
    for (std::size_t index = 0; index < store.size(); ++index) {
        const std::string& line = lines[index];
        Require(std::count(line.begin(), line.end(), '\t') >= 3);
        Require(line.find('\n') == std::string::npos);
        kept += line.size() + 1;
        // Every tab after the third starts a text line of its own, and none is lost.
        const orvo::Subtitle& subtitle = store[index];
        Require(subtitle.lines.LineCount() ==
                static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t') - 2));
        const std::string text = subtitle.Text();
        Require(text.find('\t') == std::string::npos);
        kestrum::DecodeCodePoints(text);
    }
    Require(kept <= bytes.size() + 1);
}

void CheckRefused(const orvo::ListLoadResult& result, const orvo::SubtitleStore& store,
                  std::string_view bytes) {
    Require(store.empty());
    const auto lineEnds = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    Require(result.line >= 1 && result.line <= lineEnds + 1);
    Require(result.message ==
            "Error reading line " + std::to_string(result.line) + " !\r\nLoading aborted!");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = -1;
    const std::string path = MemoryFile(data, size, fd);
    orvo::SubtitleStore store;
    store.subtitles.emplace_back(); // of an earlier list
    const orvo::ListLoadResult result =
        orvo::LoadSubtitleList(path, orvo::DefaultFrameRate(true), store);
    close(fd);

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    switch (result.status) {
    case orvo::ListLoadResult::Status::Loaded:
        CheckLoaded(store, bytes);
        break;
    case orvo::ListLoadResult::Status::InvalidLine:
        CheckRefused(result, store, bytes);
        break;
    default:
        // The file exists and can be read: neither failure may happen.
        std::abort();
    }
    return 0;
}
