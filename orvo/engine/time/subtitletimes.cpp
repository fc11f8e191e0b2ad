#include "time/subtitletimes.h"

#include "time/timecode.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace orvo {
namespace {

// A sentence of its own: "Subtitle 12, line 51: ..."
std::string Problem(const Subtitle& subtitle, const std::string& what) {
    std::string place = subtitle.Place();
    place.front() = 'S';
    return place + ": " + what;
}

std::string Unreadable(const SubtitleTime& time, const FrameRate& rate) {
    return "the time \"" + time.text + "\" cannot be read at " + rate.name + " fps (" +
           time.problem + ")";
}

} // namespace

StoreTimes ReadStoreTimes(const SubtitleStore& store) {
    StoreTimes result;
    result.times.reserve(store.size());
    for (const Subtitle& subtitle : store) {
        const SubtitleTime& start = subtitle.start;
        const SubtitleTime& end = subtitle.end;
        if (!start.frame || !end.frame) {
            result.problem = Problem(subtitle, Unreadable(start.frame ? end : start, store.rate));
        } else if (*end.frame <= *start.frame) {
            result.problem = Problem(subtitle, "it does not end after it starts");
        } else {
            result.times.push_back(
                {TimeOfFrame(*start.frame, store.rate), TimeOfFrame(*end.frame, store.rate)});
            continue;
        }
        result.times.clear();
        return result;
    }
    return result;
}

std::string ClockTime(std::int64_t microseconds) {
    const long long ms = std::max<std::int64_t>(microseconds, 0) / 1000;
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%02lld:%02lld:%02lld.%03lld", ms / 3600000,
                  ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text.data();
}

} // namespace orvo
