#pragma once

#include "output/pgs/pgsobject.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

namespace orvo {

// An indexed picture of these colours, every pixel fill.
inline QImage IndexedPicture(QSize size, const std::vector<QRgb>& colours, std::uint8_t fill) {
    QImage picture(size, QImage::Format_Indexed8);
    picture.setColorTable(QList<QRgb>(colours.begin(), colours.end()));
    picture.fill(fill);
    return picture;
}

inline void FillIndex(QImage& picture, const QRect& area, std::uint8_t index) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            picture.scanLine(y)[x] = index;
        }
    }
}

// The picture's indexes line by line, as a decoder gives them back.
inline std::vector<std::uint8_t> Indexes(const QImage& picture) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < picture.height(); ++y) {
        pixels.insert(pixels.end(), picture.constScanLine(y),
                      picture.constScanLine(y) + picture.width());
    }
    return pixels;
}

} // namespace orvo
