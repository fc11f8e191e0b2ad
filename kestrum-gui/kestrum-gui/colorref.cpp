#include "kestrum-gui/colorref.h"

namespace kestrum {

QColor ToQColor(COLORREF colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

COLORREF ToColorRef(const QColor& colour) {
    const QRgb rgb = colour.rgb();
    return static_cast<COLORREF>(qRed(rgb)) | (static_cast<COLORREF>(qGreen(rgb)) << 8) |
           (static_cast<COLORREF>(qBlue(rgb)) << 16);
}

} // namespace kestrum
