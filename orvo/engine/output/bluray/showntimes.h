#pragma once

#include "model/subtitle.h"
#include "time/subtitletimes.h"

#include <string>
#include <vector>

namespace orvo {

// When the subtitles show on a disc, which shows one picture at a time.
struct ShownTimes {
    std::vector<SubtitleTimes> times; // one per subtitle of the store
    // One text per subtitle that still showed when the next started: it is cleared then, and
    // the run says so rather than let the next take its place unseen.
    std::vector<std::string> cut;
    // The first subtitle that starts with or before the one before it: the stream shows them
    // in the order of their times, so the list must be sorted first. Empty when it is.
    std::string problem;
};

// The times of the store's subtitles, each ending at the latest when the next starts.
ShownTimes TimesShownOnDisc(const SubtitleStore& store, const std::vector<SubtitleTimes>& times);

} // namespace orvo
