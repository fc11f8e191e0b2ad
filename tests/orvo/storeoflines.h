#pragma once

#include "input/subtitlelist.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvo::test {

// The tests write their subtitles as the lines of a list: the store the list reader makes of
// them, at rate. Used by GoogleTest and Qt Test suites alike.
inline SubtitleStore StoreOf(const std::vector<std::string>& lines,
                             const FrameRate& rate = DefaultFrameRate(true)) {
    std::string list;
    for (const std::string& line : lines) {
        list += line + "\n";
    }
    SubtitleStore store;
    if (ParseSubtitleList(list, rate, store).status != ListLoadResult::Status::Loaded) {
        throw std::invalid_argument("not the lines of a list: " + list);
    }
    return store;
}

// One subtitle of text with CR LF between its lines, as an encoder takes it.
inline Subtitle SubtitleOf(std::string_view text) {
    Subtitle subtitle;
    subtitle.number = "1";
    subtitle.lines = LinesOfText(text);
    return subtitle;
}

using Lines = std::vector<std::string>;

} // namespace orvo::test
