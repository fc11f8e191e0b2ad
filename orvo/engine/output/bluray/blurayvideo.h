#pragma once

#include "model/canvasspec.h"
#include "time/framerate.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// Why a Blu-ray disc holds no video of this picture at this rate, so that subtitles made for it
// would play nowhere; none when it does. 1080 lines play at 23.976, 24, 25 and 29.97, 720 at
// 23.976, 24, 50 and 59.94, PAL at 25 and NTSC at 29.97.
std::optional<std::string> BluRayVideoProblem(const CanvasSpec& canvas, const FrameRate& rate);

// The rate's name as a disc's video names it, whatever its timecode counts ("29.97" also for
// 29.97ndf); empty for a rate no disc plays.
std::string_view BluRayRateName(const FrameRate& rate);

} // namespace orvo
