#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvo {

// The video's frame rate: how real time becomes frames, and how frames are counted in a
// timecode. At 23.976 and 29.97 a second of timecode is 24 or 30 frames while a real second
// holds 1000/1001 of that; 29.97 drop-frame skips frame numbers so that its timecodes keep up
// with the clock.
struct FrameRate {
    const char* name;    // as typed and stored: "25", "29.97", "29.97ndf"
    int framesPerSecond; // frames in a second of timecode: 24, 25 or 30
    int numerator;       // frames in a real second, numerator / denominator
    int denominator;
    bool dropFrame;

    bool operator==(const FrameRate& other) const { return std::string_view(name) == other.name; }
};

// Every rate Orvo converts to, in the order a list offers them.
std::span<const FrameRate> FrameRates();

// The rate of a name as stored; none for any other text.
std::optional<FrameRate> FindFrameRate(std::string_view name);

// What a picture size implies: PAL is 25 frames, NTSC 29.97 drop-frame.
FrameRate DefaultFrameRate(bool pal);

// The stored name when it is one of ours, else the picture size's default.
FrameRate StoredFrameRate(const std::string& stored, bool pal);

// "23.976, 24, 25, 29.97, 29.97ndf, 30", for help and messages.
std::string FrameRateNames();

} // namespace orvo
