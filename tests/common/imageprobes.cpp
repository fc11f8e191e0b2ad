#include "imageprobes.h"

namespace testsupport {

QRgb ToRgb(kestrum::COLORREF colour) {
    return kestrum::ToQColor(colour).rgb();
}

std::set<QRgb> Colours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y) | 0xFF000000u);
        }
    }
    return colours;
}

QRect ColourBounds(const QImage& image, const QColor& colour) {
    return Bounds(image, [rgb = colour.rgb()](QRgb pixel) { return pixel == rgb; });
}

QRect InkBounds(const QImage& image, const QColor& background) {
    return Bounds(image, [rgb = background.rgb()](QRgb pixel) { return pixel != rgb; });
}

int CountPixels(const QImage& image, const QColor& colour, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += (image.pixel(x, y) | 0xFF000000u) == colour.rgb() ? 1 : 0;
        }
    }
    return count;
}

} // namespace testsupport
