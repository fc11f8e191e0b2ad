// libFuzzer target for the readers of subtitle files of every kind: the first byte chooses the
// file's name (its extension steers the probe and the fallback to a list) and the frame rate,
// the rest is the file. A crash, a sanitizer report or a broken promise (below) is a finding.
#include "input/subtitleinput.h"
#include "time/framerate.h"
#include "time/timecode.h"
#include "time/timecodecheck.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::array<const char*, 6> kNames{"film.srt", "film.vtt", "film.ass",
                                            "film.sub", "film.txt", "film"};

void Require(bool promise) {
    if (!promise) {
        std::abort();
    }
}

std::string_view Field(std::string_view line, int index) {
    for (int skip = 0; skip < index; ++skip) {
        line.remove_prefix(line.find('\t') + 1);
    }
    return line.substr(0, line.find('\t'));
}

// A file of another kind gives list lines numbered from 1 with timecodes at the rate, text in
// UTF-8, and nothing that would split a line or a field.
void CheckConverted(const orvo::SubtitleStore& store, const orvo::FrameRate& rate) {
    const std::vector<std::string> lines = orvo::ListLines(store);
    for (std::size_t index = 0; index < store.size(); ++index) {
        const std::string& line = lines[index];
        Require(std::count(line.begin(), line.end(), '\t') >= 3);
        Require(line.find_first_of("\r\n") == std::string::npos);
        Require(Field(line, 0) == std::to_string(index + 1));
        for (int field : {1, 2}) {
            const orvo::ParsedTimecode time = orvo::ParseTimecode(Field(line, field), rate);
            Require(time.frame.has_value());
            Require(orvo::FormatTimecode(*time.frame, rate) == Field(line, field));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto rates = orvo::FrameRates();
    const std::string name = kNames[data[0] % kNames.size()];
    const orvo::FrameRate rate = rates[data[0] / kNames.size() % rates.size()];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    orvo::SubtitleStore store;
    store.subtitles.emplace_back(); // of an earlier list
    const orvo::ListLoadResult result = orvo::ReadSubtitles(bytes, name, rate, store);
    if (result.status != orvo::ListLoadResult::Status::Loaded) {
        Require(store.empty());
        Require(!result.reason.empty());
        return 0;
    }
    if (!result.kind.empty()) {
        CheckConverted(store, rate);
    }
    for (const orvo::TimecodeWarning& warning : orvo::CheckTimecodes(store)) {
        Require(!warning.Text().empty());
    }
    Require(orvo::ListFileText(store).size() >= store.size() * 2);
    return 0;
}
