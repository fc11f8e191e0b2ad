#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// What the blocks of an SRT file say beside the events its reader gave. The reader starts an
// event at every timing line it can read; a block whose timing line it cannot read is not
// reported, its lines are added to the event before it. So every numbered block (a line of
// digits at the start or after a blank line) whose next line is no readable timing line is
// one subtitle lost, named here with its number and line. A block with a timing line and no
// text gives no event either: it is counted as empty.
struct SrtBlockScan {
    int numberedBlocks = 0;
    int emptyBlocks = 0;
    std::vector<std::string> warnings;
};

SrtBlockScan ScanSrtBlocks(std::string_view text);

// Whether line is a timing line as the reader reads it: "H:M:S,mmm --> H:M:S,mmm", any
// number of digits in each place, "." for ",", blanks around the arrow, anything after it.
bool IsSrtTimingLine(std::string_view line);

// The warning when the counts still differ after the lost blocks are named: the events read
// against the numbered blocks less the empty ones. Empty when they agree.
std::string SrtCountWarning(const SrtBlockScan& scan, int events);

} // namespace orvo
