#pragma once

#include "model/subtitle.h"

#include <string>
#include <vector>

namespace orvo {

// One subtitle whose times look wrong; the run goes on.
struct TimecodeWarning {
    std::string place; // "subtitle 12, line 51": its number and its line in the file read
    std::string problems;

    // "subtitle 12, line 51: ends before it starts (00:00:05:00, 00:00:04:00)"
    std::string Text() const;
};

// The times of the store at its rate: a timecode that does not exist at the rate, an end before
// its start, a start before the previous subtitle's end. Times are checked only when every one
// of them is written HH:MM:SS:FF or HH:MM:SS;FF: a list in another form is the concern of the
// tool that reads the script, and is left alone.
std::vector<TimecodeWarning> CheckTimecodes(const SubtitleStore& store);

} // namespace orvo
