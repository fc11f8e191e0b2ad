#include "kestrum-widgets/controls/cbitmaplist.h"

#include <QColor>
#include <QPainter>

namespace kestrum {

int CBitmapList::Create(const QString& strip, int cx, QRgb mask) {
    static_cast<CImageList&>(*this) = CImageList(strip, cx, mask);
    m_Bitmaps.clear();
    for (int i = 0; i < GetImageCount(); ++i) {
        const QPixmap image = GetImage(i);
        QPixmap bitmap(image.size());
        bitmap.fill(QColor::fromRgb(mask));
        QPainter(&bitmap).drawPixmap(0, 0, image);
        m_Bitmaps.push_back(bitmap);
    }
    return GetImageCount() > 0 ? 1 : 0;
}

QPixmap CBitmapList::GetHandle(int index) const {
    const QPixmap* bitmap = GetBitmap(index);
    return bitmap != nullptr ? *bitmap : QPixmap();
}

const QPixmap* CBitmapList::GetBitmap(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_Bitmaps.size()) {
        return nullptr;
    }
    return &m_Bitmaps[static_cast<std::size_t>(index)];
}

} // namespace kestrum
