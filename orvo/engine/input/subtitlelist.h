#pragma once

#include "model/subtitle.h"
#include "time/framerate.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// A film's list is a few hundred kilobytes; the limit only keeps a wrong file (a disk image, a
// device) from filling the memory.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

struct ListLoadResult {
    // NotSubtitleFile and Damaged come from files of other kinds than a list.
    enum class Status { Loaded, CannotOpen, InvalidLine, NotSubtitleFile, Damaged };
    Status status = Status::Loaded;
    int line = 0;        // the 1-based number of the invalid line
    std::string message; // the text to show the user for a failure; empty when loaded
    std::string reason;  // why, in a line of its own: the system's error, what the line lacks
    // For a subtitle file of another kind: what it is ("SRT"), its events without text, and
    // what its reader got past. Empty and 0 for a list.
    std::string kind;
    int emptySkipped = 0;
    std::vector<std::string> warnings;
};

// Reads a tab-separated subtitle list: every line needs at least four fields (number, start,
// end, first text line), and each becomes a subtitle whose times are read at rate and whose
// text fields are its lines, their bytes unchanged. A file that cannot be read whole, or that
// is not a regular file of at most 256 MB, leaves the store as it was; once it is read the
// store is emptied, and it is filled only when every line is valid.
[[nodiscard]] ListLoadResult LoadSubtitleList(const std::string& path, const FrameRate& rate,
                                              SubtitleStore& store);

// The same for a list already read: bytes are the whole file.
[[nodiscard]] ListLoadResult ParseSubtitleList(std::string_view bytes, const FrameRate& rate,
                                               SubtitleStore& store);

} // namespace orvo
