#include "time/timecode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace orvo {
namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;

// Drop-frame counting at 30 frames a second skips frame numbers 0 and 1 at the start of
// every minute except each tenth: a minute then holds 1798 frames, ten minutes 17982.
constexpr std::int64_t kDroppedPerMinute = 2;
constexpr std::int64_t kDropFrameMinute = 60 * 30 - kDroppedPerMinute;
constexpr std::int64_t kDropFrameTenMinutes = 10 * 60 * 30 - 9 * kDroppedPerMinute;

// The frame count as if no number were skipped: what the timecode's digits show.
std::int64_t DropFrameLabel(std::int64_t frame) {
    const std::int64_t tens = frame / kDropFrameTenMinutes;
    const std::int64_t rest = frame % kDropFrameTenMinutes;
    // The first minute of each ten keeps all its numbers; each later one loses two.
    const std::int64_t minutes =
        rest < kDroppedPerMinute ? 0 : (rest - kDroppedPerMinute) / kDropFrameMinute;
    return frame + 9 * kDroppedPerMinute * tens + kDroppedPerMinute * minutes;
}

int Digits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

} // namespace

std::int64_t FrameAtTime(std::int64_t microseconds, const FrameRate& rate) {
    const std::int64_t time = std::clamp<std::int64_t>(microseconds, 0, kMaxTimeMicroseconds);
    // Half a frame is added before the division so that it rounds to the nearest frame.
    const std::int64_t perFrame = std::int64_t{rate.denominator} * kMicrosecondsPerSecond;
    return (2 * time * rate.numerator + perFrame) / (2 * perFrame);
}

std::int64_t TimeOfFrame(std::int64_t frame, const FrameRate& rate) {
    const std::int64_t perFrame = std::int64_t{rate.denominator} * kMicrosecondsPerSecond;
    return (2 * frame * perFrame + rate.numerator) / (2 * rate.numerator);
}

std::string FormatTimecode(std::int64_t frame, const FrameRate& rate) {
    const std::int64_t label = rate.dropFrame ? DropFrameLabel(frame) : frame;
    const std::int64_t seconds = label / rate.framesPerSecond;
    std::array<char, 48> text{};
    std::snprintf(text.data(), text.size(), "%02lld:%02lld:%02lld%c%02lld",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60), rate.dropFrame ? ';' : ':',
                  static_cast<long long>(label % rate.framesPerSecond));
    return text.data();
}

bool HasTwoDigitHours(std::int64_t frame, const FrameRate& rate) {
    constexpr std::int64_t kHours = 100;
    const std::int64_t label = rate.dropFrame ? DropFrameLabel(frame) : frame;
    return label < kHours * 3600 * rate.framesPerSecond;
}

bool HasTimecodeForm(std::string_view text) {
    constexpr std::string_view kForm = "00:00:00:00";
    if (text.size() != kForm.size()) {
        return false;
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[at])) != 0;
        const bool wanted = kForm[at] == '0'
                                ? digit
                                : text[at] == ':' || (at == kForm.size() - 3 && text[at] == ';');
        if (!wanted) {
            return false;
        }
    }
    return true;
}

ParsedTimecode ParseTimecode(std::string_view text, const FrameRate& rate) {
    if (!HasTimecodeForm(text)) {
        return {std::nullopt, "not of the form HH:MM:SS:FF"};
    }
    const int hours = Digits(text, 0);
    const int minutes = Digits(text, 3);
    const int seconds = Digits(text, 6);
    const int frames = Digits(text, 9);
    if (minutes >= 60) {
        return {std::nullopt, "minute " + std::to_string(minutes)};
    }
    if (seconds >= 60) {
        return {std::nullopt, "second " + std::to_string(seconds)};
    }
    if (frames >= rate.framesPerSecond) {
        return {std::nullopt, "frame " + std::to_string(frames) + " at " + rate.name + " fps"};
    }
    const std::int64_t totalMinutes = std::int64_t{hours} * 60 + minutes;
    std::int64_t frame = (totalMinutes * 60 + seconds) * rate.framesPerSecond + frames;
    if (rate.dropFrame) {
        if (seconds == 0 && frames < kDroppedPerMinute && minutes % 10 != 0) {
            return {std::nullopt, "frame " + std::to_string(frames) + " is skipped at minute " +
                                      std::to_string(minutes) + " at " + rate.name + " fps"};
        }
        frame -= kDroppedPerMinute * (totalMinutes - totalMinutes / 10);
    }
    return {frame, {}};
}

} // namespace orvo
