#pragma once

#include "model/subtitle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvo {

// When a subtitle shows, in real time from the start of the video.
struct SubtitleTimes {
    std::int64_t startMicroseconds = 0;
    std::int64_t endMicroseconds = 0;
};

struct StoreTimes {
    std::vector<SubtitleTimes> times; // one per subtitle, when every one could be read
    std::string problem;              // the first subtitle whose times could not, with its line
};

// The times of every subtitle of the store at its rate, for outputs that carry them: each start
// and end a timecode of the rate, each end after its start. A video player cannot guess a time,
// so that one unreadable subtitle leaves none. The problem names the subtitle's line in the
// file the store was read from.
StoreTimes ReadStoreTimes(const SubtitleStore& store);

// HH:MM:SS.mmm, as messages name a real time: a colon before the milliseconds would read like a
// timecode's frames.
std::string ClockTime(std::int64_t microseconds);

} // namespace orvo
