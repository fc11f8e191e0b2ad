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
    std::string_view name;        // "PAL", "NTSC", "1080p": the picture's name in files
    std::string_view videoFormat; // "576i", "480i", "720p", "1080p", as Blu-ray names them

    constexpr QSize Size() const { return {width, height}; }
    bool operator==(const CanvasSpec& other) const {
        return width == other.width && height == other.height && name == other.name;
    }
};

// The two pictures of a standard-definition DVD, both measured in PAL's rectangle. Their pixel
// aspects are those of a 4:3 picture.
inline constexpr CanvasSpec kPalCanvas{720, 576, 16, 15, QRect(0, 0, 720, 576), "PAL", "576i"};
inline constexpr CanvasSpec kNtscCanvas{720, 480, 8, 9, QRect(0, 0, 720, 576), "NTSC", "480i"};
// The pictures of HD video, square pixels, each measured in itself.
inline constexpr CanvasSpec k720Canvas{1280, 720, 1, 1, QRect(0, 0, 1280, 720), "720p", "720p"};
inline constexpr CanvasSpec k1080Canvas{1920,    1080,   1, 1, QRect(0, 0, 1920, 1080),
                                        "1080p", "1080p"};

constexpr bool IsHighDefinition(const CanvasSpec& spec) {
    return spec.height > kPalCanvas.height;
}

// The standard-definition canvas: PAL or NTSC as the look stores it.
constexpr const CanvasSpec& CanvasOf(bool pal) {
    return pal ? kPalCanvas : kNtscCanvas;
}
// The canvas the look draws on: an HD one by its lines, else PAL or NTSC.
inline const CanvasSpec& CanvasOf(const RenderSettings& settings) {
    if (settings.Resolution == k1080Canvas.height) {
        return k1080Canvas;
    }
    if (settings.Resolution == k720Canvas.height) {
        return k720Canvas;
    }
    return CanvasOf(settings.PAL);
}

} // namespace orvo
