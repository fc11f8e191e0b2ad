#include "time/timecodecheck.h"

#include "time/timecode.h"

#include <algorithm>
#include <optional>

namespace orvo {
namespace {

bool AllInTimecodeForm(const SubtitleStore& store) {
    return std::all_of(store.begin(), store.end(), [](const Subtitle& subtitle) {
        return HasTimecodeForm(subtitle.start.text) && HasTimecodeForm(subtitle.end.text);
    });
}

void Add(std::string& problems, const std::string& problem) {
    problems += (problems.empty() ? "" : "; ") + problem;
}

void AddIfUnknown(const SubtitleTime& time, const char* which, std::string& problems) {
    if (!time.frame) {
        Add(problems, std::string(which) + " " + time.text + " does not exist: " + time.problem);
    }
}

} // namespace

std::string TimecodeWarning::Text() const {
    return place + ": " + problems;
}

std::vector<TimecodeWarning> CheckTimecodes(const SubtitleStore& store) {
    std::vector<TimecodeWarning> warnings;
    if (!AllInTimecodeForm(store)) {
        return warnings;
    }
    std::optional<std::int64_t> previousEnd;
    const std::string* previousNumber = nullptr;
    for (const Subtitle& subtitle : store) {
        const SubtitleTime& start = subtitle.start;
        const SubtitleTime& end = subtitle.end;
        std::string problems;
        AddIfUnknown(start, "start", problems);
        AddIfUnknown(end, "end", problems);
        if (start.frame && end.frame && *end.frame < *start.frame) {
            Add(problems, "ends before it starts (" + start.text + ", " + end.text + ")");
        }
        if (start.frame && previousEnd && *start.frame < *previousEnd) {
            Add(problems,
                "starts at " + start.text + ", before subtitle " + *previousNumber + " ends");
        }
        if (end.frame) {
            previousEnd = end.frame;
            previousNumber = &subtitle.number;
        }
        if (!problems.empty()) {
            warnings.push_back({subtitle.Place(), problems});
        }
    }
    return warnings;
}

} // namespace orvo
