#include "output/bluray/showntimes.h"

#include <algorithm>

namespace orvo {

ShownTimes TimesShownOnDisc(const SubtitleStore& store, const std::vector<SubtitleTimes>& times) {
    ShownTimes shown;
    shown.times = times;
    for (std::size_t next = 1; next < shown.times.size(); ++next) {
        SubtitleTimes& before = shown.times[next - 1];
        const std::int64_t start = shown.times[next].startMicroseconds;
        if (start <= before.startMicroseconds) {
            std::string place = store[next].Place();
            place.front() = 'S';
            shown.problem = place + " starts at " + ClockTime(start) + ", not after " +
                            store[next - 1].Place() +
                            ": a Blu-ray stream shows the subtitles in "
                            "the order of their times, so sort the list by them first.";
            shown.cut.clear();
            return shown;
        }
        if (start < before.endMicroseconds) {
            shown.cut.push_back({next, store[next - 1].Place() + ": still shows when " +
                                           store[next].Place() + " starts (" + ClockTime(start) +
                                           ", until " + ClockTime(before.endMicroseconds) +
                                           "): it is cleared then"});
            before.endMicroseconds = start;
        }
    }
    return shown;
}

void ReportCuts(const ShownTimes& shown, const SubtitleStore& store, RunOutcome& outcome) {
    std::vector<std::string>& warnings = outcome.timecodeWarnings;
    for (const ShownTimes::Cut& cut : shown.cut) {
        const std::string named = store[cut.next].Place() + ": ";
        if (std::none_of(warnings.begin(), warnings.end(), [&named](const std::string& warning) {
                return warning.starts_with(named);
            })) {
            warnings.push_back(cut.text);
        }
    }
}

} // namespace orvo
