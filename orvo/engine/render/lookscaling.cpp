#include "render/lookscaling.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orvo {

namespace {

// length pixels measured in from lines, in to lines; a font height of any stored size must not
// overflow on the way.
int Scaled(int length, int from, int to) {
    const std::int64_t doubled = std::abs(static_cast<std::int64_t>(length)) * to * 2;
    const std::int64_t magnitude = (doubled + from) / (2 * std::int64_t{from});
    const std::int64_t scaled = length < 0 ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<std::int64_t>(scaled, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

int Scaled(int length, const CanvasSpec& from, const CanvasSpec& to) {
    return Scaled(length, from.measure.height(), to.measure.height());
}

void NameCanvas(RenderSettings& look, const CanvasSpec& canvas) {
    if (IsHighDefinition(canvas)) {
        // PAL stays: it still says which frame rates the look's lists come at.
        look.Resolution = canvas.height;
        return;
    }
    look.Resolution = 0;
    look.PAL = canvas == kPalCanvas;
}

} // namespace

int MaxMargin(const CanvasSpec& canvas) {
    return Scaled(kMaxMargin, kPalCanvas, canvas);
}

RenderSettings LookOnCanvas(const RenderSettings& look, const CanvasSpec& from,
                            const CanvasSpec& to) {
    RenderSettings moved = look;
    NameCanvas(moved, to);
    if (from.measure.height() == to.measure.height() || from.measure.height() <= 0) {
        return moved;
    }
    moved.Font.height = Scaled(look.Font.height, from, to);
    const int maxMargin = MaxMargin(to);
    for (int RenderSettings::*margin : {&RenderSettings::LeftMargin, &RenderSettings::RightMargin,
                                        &RenderSettings::VerticalOffset}) {
        moved.*margin = std::clamp(Scaled(look.*margin, from, to), 0, maxMargin);
    }
    // The spacing is set between the letters in the canvas's pixels, as the ring and the
    // shadow are drawn.
    moved.OutlineSpacing = std::clamp(Scaled(look.OutlineSpacing, from, to), 0, kMaxOutlineSpacing);
    moved.OutlineWidth =
        std::clamp(Scaled(look.OutlineWidth, from, to), kMinOutlineWidth, kMaxOutlineWidth);
    moved.ShadowOffset = std::clamp(Scaled(look.ShadowOffset, from, to), 0, kMaxShadowOffset);
    return moved;
}

} // namespace orvo
