#pragma once

#include "model/rendersettings.h"

#include <QRect>
#include <QSize>

#include <string_view>

namespace orvo {

// The picture every subtitle is drawn on and every writer stores: its size, the shape of its
// pixels on the screen, and the rectangle in which text is measured.
struct CanvasSpec {
    int width = 0;
    int height = 0;
    // How much wider than tall a pixel shows: numerator / denominator.
    int pixelAspectNumerator = 1;
    int pixelAspectDenominator = 1;
    // Where text is measured, whatever the height: a subtitle must wrap the same way in PAL
    // and NTSC, so that the lines a run reports do not depend on the picture size.
    QRect measure;
    std::string_view name; // "PAL", "NTSC": the picture's name in files and labels

    constexpr QSize Size() const { return {width, height}; }
    bool operator==(const CanvasSpec& other) const {
        return width == other.width && height == other.height && name == other.name;
    }
};

// The two pictures of a standard-definition DVD, both measured in PAL's rectangle. Their pixel
// aspects are those of a 4:3 picture.
inline constexpr CanvasSpec kPalCanvas{720, 576, 16, 15, QRect(0, 0, 720, 576), "PAL"};
inline constexpr CanvasSpec kNtscCanvas{720, 480, 8, 9, QRect(0, 0, 720, 576), "NTSC"};

// The canvas the look draws on: PAL or NTSC as the look stores it.
constexpr const CanvasSpec& CanvasOf(bool pal) {
    return pal ? kPalCanvas : kNtscCanvas;
}
inline const CanvasSpec& CanvasOf(const RenderSettings& settings) {
    return CanvasOf(settings.PAL);
}

} // namespace orvo
