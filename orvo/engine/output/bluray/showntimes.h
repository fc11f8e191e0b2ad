#pragma once

#include "model/subtitle.h"
#include "run/runparameters.h"
#include "time/subtitletimes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvo {

// When the subtitles show on a disc, which shows one picture at a time.
struct ShownTimes {
    std::vector<SubtitleTimes> times; // one per subtitle of the store
    // A subtitle that still showed when the next started: it is cleared then, and the run says
    // so rather than let the next take its place unseen.
    struct Cut {
        std::size_t next; // the index of the subtitle that starts too soon
        std::string text;
    };
    std::vector<Cut> cut;
    // The first subtitle that starts with or before the one before it: the stream shows them
    // in the order of their times, so the list must be sorted first. Empty when it is.
    std::string problem;
};

// The times of the store's subtitles, each ending at the latest when the next starts.
ShownTimes TimesShownOnDisc(const SubtitleStore& store, const std::vector<SubtitleTimes>& times);

// Adds each cut to the run's timecode warnings, but for those whose next subtitle the timecodes'
// own check named already.
void ReportCuts(const ShownTimes& shown, const SubtitleStore& store, RunOutcome& outcome);

} // namespace orvo
