#pragma once

#include <string>
#include <vector>

namespace orvo {

// One whole list line per subtitle, without its line end, bytes unchanged.
using SubtitleStore = std::vector<std::string>;

struct ListLoadResult {
    enum class Status { Loaded, CannotOpen, InvalidLine };
    Status status = Status::Loaded;
    int line = 0;        // the 1-based number of the invalid line
    std::string message; // the text to show the user for a failure; empty when loaded
    std::string reason;  // why, in a line of its own: the system's error, what the line lacks
};

// Reads a tab-separated subtitle list: every line needs at least four fields (number, start,
// end, first text line). A file that cannot be read whole, or that is not a regular file of at
// most 256 MB, leaves the store as it was; once it is read the store is emptied, and it is
// filled only when every line is valid.
ListLoadResult LoadSubtitleList(const std::string& path, SubtitleStore& store);

// The text of a list line: fields 3 and on, one text line each, with CR LF between them.
std::string JoinTextFields(const std::string& line);

} // namespace orvo
