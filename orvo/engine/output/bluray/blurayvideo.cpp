#include "output/bluray/blurayvideo.h"

#include "model/texts.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace orvo {
namespace {

// A real rate, whatever its timecode counts: 29.97 and 29.97ndf are one video rate.
struct VideoRate {
    int numerator;
    int denominator;
    std::string_view name;
};

constexpr VideoRate k23976{24000, 1001, "23.976"};
constexpr VideoRate k24{24, 1, "24"};
constexpr VideoRate k25{25, 1, "25"};
constexpr VideoRate k2997{30000, 1001, "29.97"};
constexpr VideoRate k50{50, 1, "50"};
constexpr VideoRate k5994{60000, 1001, "59.94"};

struct DiscVideo {
    int lines;
    std::initializer_list<VideoRate> rates;
};

const std::array<DiscVideo, 4> kDiscVideos{{
    {1080, {k23976, k24, k25, k2997}},
    {720, {k23976, k24, k50, k5994}},
    {576, {k25}},
    {480, {k2997}},
}};

bool IsRate(const VideoRate& video, const FrameRate& rate) {
    return static_cast<long long>(video.numerator) * rate.denominator ==
           static_cast<long long>(rate.numerator) * video.denominator;
}

std::string RateList(std::initializer_list<VideoRate> rates) {
    std::vector<std::string_view> names;
    for (const VideoRate& rate : rates) {
        names.push_back(rate.name);
    }
    return texts::Listed(names, " or ");
}

} // namespace

std::string_view BluRayRateName(const FrameRate& rate) {
    for (const VideoRate& video : {k23976, k24, k25, k2997, k50, k5994}) {
        if (IsRate(video, rate)) {
            return video.name;
        }
    }
    return {};
}

std::optional<std::string> BluRayVideoProblem(const CanvasSpec& canvas, const FrameRate& rate) {
    const auto video =
        std::find_if(kDiscVideos.begin(), kDiscVideos.end(),
                     [&](const DiscVideo& disc) { return disc.lines == canvas.height; });
    if (video == kDiscVideos.end()) {
        return "A Blu-ray disc holds no video of " + std::to_string(canvas.height) + " lines.";
    }
    if (std::any_of(video->rates.begin(), video->rates.end(),
                    [&rate](const VideoRate& allowed) { return IsRate(allowed, rate); })) {
        return std::nullopt;
    }
    return "A Blu-ray disc holds no " + std::string(canvas.name) + " video at " + rate.name +
           " fps: it plays " + std::string(canvas.name) + " at " + RateList(video->rates) + " fps.";
}

} // namespace orvo
