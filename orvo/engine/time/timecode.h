#pragma once

#include "time/framerate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// The latest time a subtitle may have: beyond it frame counts and their products with a rate
// would no longer fit the arithmetic, and no film is that long.
constexpr std::int64_t kMaxTimeMicroseconds = std::int64_t{1000} * 3600 * 1000000;

// The frame shown at a real time, rounded to the nearest frame; times before the start are
// frame 0 and times past kMaxTimeMicroseconds its frame.
std::int64_t FrameAtTime(std::int64_t microseconds, const FrameRate& rate);

// The real time at which a frame starts, rounded to the nearest microsecond: the inverse of
// FrameAtTime for frames up to kMaxTimeMicroseconds.
std::int64_t TimeOfFrame(std::int64_t frame, const FrameRate& rate);

// HH:MM:SS:FF, or HH:MM:SS;FF at a drop-frame rate, for a frame count from 0. Hours past 99
// take more digits.
std::string FormatTimecode(std::int64_t frame, const FrameRate& rate);

// Whether a frame's timecode has two digits of hours, as the script's readers expect.
bool HasTwoDigitHours(std::int64_t frame, const FrameRate& rate);

// Whether text is written HH:MM:SS:FF or HH:MM:SS;FF, two digits each: a list whose times are
// all of that form can be checked, any other is left alone.
bool HasTimecodeForm(std::string_view text);

struct ParsedTimecode {
    std::optional<std::int64_t> frame;
    std::string problem; // why there is no frame: "frame 25 at 25 fps", ...
};

// The frame count of a timecode of that form at rate: minutes and seconds below 60, frames
// below the rate, and at a drop-frame rate none of the frame numbers it skips.
ParsedTimecode ParseTimecode(std::string_view text, const FrameRate& rate);

} // namespace orvo
