#include "time/timecodecheck.h"

#include "time/timecode.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace orvo {
namespace {

bool AllInTimecodeForm(const SubtitleStore& store) {
    return std::all_of(store.begin(), store.end(), [](const std::string& line) {
        const ListTimes times = TimesOfLine(line);
        return HasTimecodeForm(times.start) && HasTimecodeForm(times.end);
    });
}

void Add(std::string& problems, const std::string& problem) {
    problems += (problems.empty() ? "" : "; ") + problem;
}

std::optional<std::int64_t> Frame(std::string_view text, const char* which, const FrameRate& rate,
                                  std::string& problems) {
    ParsedTimecode parsed = ParseTimecode(text, rate);
    if (!parsed.frame) {
        Add(problems,
            std::string(which) + " " + std::string(text) + " does not exist: " + parsed.problem);
    }
    return parsed.frame;
}

} // namespace

std::string TimecodeWarning::Text() const {
    return place + ": " + problems;
}

std::vector<TimecodeWarning> CheckTimecodes(const SubtitleStore& store, const FrameRate& rate,
                                            const SourceLines& source) {
    std::vector<TimecodeWarning> warnings;
    if (!AllInTimecodeForm(store)) {
        return warnings;
    }
    std::optional<std::int64_t> previousEnd;
    std::string_view previousNumber;
    for (std::size_t index = 0; index < store.size(); ++index) {
        const ListTimes times = TimesOfLine(store[index]);
        std::string problems;
        const auto start = Frame(times.start, "start", rate, problems);
        const auto end = Frame(times.end, "end", rate, problems);
        if (start && end && *end < *start) {
            Add(problems, "ends before it starts (" + std::string(times.start) + ", " +
                              std::string(times.end) + ")");
        }
        if (start && previousEnd && *start < *previousEnd) {
            Add(problems, "starts at " + std::string(times.start) + ", before subtitle " +
                              std::string(previousNumber) + " ends");
        }
        if (end) {
            previousEnd = end;
            previousNumber = times.number;
        }
        if (!problems.empty()) {
            warnings.push_back({SubtitlePlace(times.number, index, source), problems});
        }
    }
    return warnings;
}

} // namespace orvo
