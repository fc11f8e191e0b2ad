#include "time/framerate.h"

#include <array>

namespace orvo {
namespace {

// 50 and 59.94 are the rates of HD video; 59.94 counts its frames without skipping any.
constexpr std::array<FrameRate, 8> kFrameRates{{
    {"23.976", 24, 24000, 1001, false},
    {"24", 24, 24, 1, false},
    {"25", 25, 25, 1, false},
    {"29.97", 30, 30000, 1001, true},
    {"29.97ndf", 30, 30000, 1001, false},
    {"30", 30, 30, 1, false},
    {"50", 50, 50, 1, false},
    {"59.94", 60, 60000, 1001, false},
}};

constexpr std::size_t kPal = 2;
constexpr std::size_t kNtsc = 3;

} // namespace

std::span<const FrameRate> FrameRates() {
    return kFrameRates;
}

std::optional<FrameRate> FindFrameRate(std::string_view name) {
    for (const FrameRate& rate : kFrameRates) {
        if (name == rate.name) {
            return rate;
        }
    }
    return std::nullopt;
}

FrameRate DefaultFrameRate(bool pal) {
    return kFrameRates[pal ? kPal : kNtsc];
}

FrameRate StoredFrameRate(const std::string& stored, bool pal) {
    return FindFrameRate(stored).value_or(DefaultFrameRate(pal));
}

std::string FrameRateNames() {
    std::string names;
    for (const FrameRate& rate : kFrameRates) {
        names += (names.empty() ? "" : ", ") + std::string(rate.name);
    }
    return names;
}

} // namespace orvo
