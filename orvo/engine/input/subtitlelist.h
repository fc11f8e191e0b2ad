#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// One whole list line per subtitle, without its line end, bytes unchanged.
using SubtitleStore = std::vector<std::string>;

// A film's list is a few hundred kilobytes; the limit only keeps a wrong file (a disk image, a
// device) from filling the memory.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

// Where the subtitles of a store stand in the file they were read from: the line each begins
// at, from 1, or 0 where the file's reader does not say. Without lines the file is a list,
// whose subtitle i is its line i + 1.
struct SourceLines {
    std::vector<int> lines;

    int LineOf(std::size_t index) const {
        return lines.empty() ? static_cast<int>(index) + 1 : lines[index];
    }
};

// "subtitle 12, line 51" of the subtitle numbered 12 at index, as the warnings name it; without
// the line where it is not known.
std::string SubtitlePlace(std::string_view number, std::size_t index, const SourceLines& source);

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
    SourceLines source;
};

// Reads a tab-separated subtitle list: every line needs at least four fields (number, start,
// end, first text line). A file that cannot be read whole, or that is not a regular file of at
// most 256 MB, leaves the store as it was; once it is read the store is emptied, and it is
// filled only when every line is valid.
[[nodiscard]] ListLoadResult LoadSubtitleList(const std::string& path, SubtitleStore& store);

// The same for a list already read: bytes are the whole file.
[[nodiscard]] ListLoadResult ParseSubtitleList(std::string_view bytes, SubtitleStore& store);

// Fields 0 to 2 of a list line: number, start and end, as written.
struct ListTimes {
    std::string_view number;
    std::string_view start;
    std::string_view end;
};

// The times of a list line; a field the line lacks is empty.
ListTimes TimesOfLine(std::string_view line);

// The text of a list line: fields 3 and on, one text line each, with CR LF between them.
std::string JoinTextFields(const std::string& line);

} // namespace orvo
