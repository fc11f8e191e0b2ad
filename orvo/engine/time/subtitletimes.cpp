#include "time/subtitletimes.h"

#include "time/timecode.h"

#include <string_view>

namespace orvo {
namespace {

// A sentence of its own: "Subtitle 12, line 51: ..."
std::string Problem(const ListTimes& fields, std::size_t index, const SourceLines& source,
                    const std::string& what) {
    std::string place = SubtitlePlace(fields.number, index, source);
    place.front() = 'S';
    return place + ": " + what;
}

std::string Unreadable(std::string_view text, const FrameRate& rate, const std::string& why) {
    return "the time \"" + std::string(text) + "\" cannot be read at " + rate.name + " fps (" +
           why + ")";
}

} // namespace

StoreTimes ReadStoreTimes(const SubtitleStore& store, const FrameRate& rate,
                          const SourceLines& source) {
    StoreTimes result;
    result.times.reserve(store.size());
    for (std::size_t index = 0; index < store.size(); ++index) {
        const ListTimes fields = TimesOfLine(store[index]);
        const ParsedTimecode start = ParseTimecode(fields.start, rate);
        const ParsedTimecode end = ParseTimecode(fields.end, rate);
        if (!start.frame || !end.frame) {
            const bool startFailed = !start.frame;
            result.problem = Problem(fields, index, source,
                                     Unreadable(startFailed ? fields.start : fields.end, rate,
                                                startFailed ? start.problem : end.problem));
        } else if (*end.frame <= *start.frame) {
            result.problem = Problem(fields, index, source, "it does not end after it starts");
        } else {
            result.times.push_back(
                {TimeOfFrame(*start.frame, rate), TimeOfFrame(*end.frame, rate)});
            continue;
        }
        result.times.clear();
        return result;
    }
    return result;
}

} // namespace orvo
