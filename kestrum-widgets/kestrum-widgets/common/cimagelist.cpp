#include "kestrum-widgets/common/cimagelist.h"

#include <QImage>

namespace kestrum {

CImageList::CImageList(const QString& strip, int cellWidth, QRgb transparent) {
    QImage image(strip);
    if (image.isNull() || cellWidth <= 0) {
        return;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == (transparent & RGB_MASK)) {
                line[x] = 0;
            }
        }
    }
    for (int x = 0; x + cellWidth <= image.width(); x += cellWidth) {
        m_images.push_back(QPixmap::fromImage(image.copy(x, 0, cellWidth, image.height())));
    }
}

QPixmap CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return m_images[static_cast<std::size_t>(index)];
}

QIcon CImageList::GetIcon(int normal, int selected) const {
    QIcon icon(GetImage(normal));
    // Given even when it is the normal image: otherwise the style tints the selected picture.
    icon.addPixmap(GetImage(selected), QIcon::Selected);
    return icon;
}

} // namespace kestrum
