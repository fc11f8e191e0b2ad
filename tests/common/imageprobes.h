#pragma once

#include <kestrum-gui/colorref.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <set>

namespace testsupport {

// A stored colour as the pixel an opaque image holds.
QRgb ToRgb(kestrum::COLORREF colour);

// The distinct colours of an image, all taken as opaque.
std::set<QRgb> Colours(const QImage& image);

// The smallest rectangle holding every pixel for which inside holds; empty when none does.
template <class Predicate>
QRect Bounds(const QImage& image, Predicate inside) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inside(image.pixel(x, y) | 0xFF000000u)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// Where the pixels of colour lie.
QRect ColourBounds(const QImage& image, const QColor& colour);

// Where anything else than the background lies: the text with its band or outline.
QRect InkBounds(const QImage& image, const QColor& background);

int CountPixels(const QImage& image, const QColor& colour, const QRect& area);

// A bare number may be a stored colour (0x00BBGGRR) or a pixel (0xAARRGGBB), which read the
// other way round find nothing; the caller says which by making it a QColor.
QRect ColourBounds(const QImage& image, std::uint32_t colour) = delete;
QRect InkBounds(const QImage& image, std::uint32_t background) = delete;
int CountPixels(const QImage& image, std::uint32_t colour, const QRect& area) = delete;

} // namespace testsupport
