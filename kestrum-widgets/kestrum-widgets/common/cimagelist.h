#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <QIcon>
#include <QPixmap>
#include <QRgb>
#include <QString>

#include <vector>

namespace kestrum {

// The pictures of a tree: one strip image cut into cells of one width, as high as the strip,
// in which one colour stands for "transparent" (as in the strip bitmaps of the system the
// format comes from).
class KESTRUM_WIDGETS_EXPORT CImageList {
public:
    // The teal that every strip of the library uses as its transparent colour.
    static constexpr QRgb kTransparent = qRgb(0, 128, 128);

    CImageList() = default;
    // An empty list when the strip cannot be loaded.
    CImageList(const QString& strip, int cellWidth, QRgb transparent = kTransparent);

    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    // A null pixmap for an index outside the list.
    QPixmap GetImage(int index) const;
    // An icon drawn with normal for unselected and selected for selected items.
    QIcon GetIcon(int normal, int selected) const;

private:
    std::vector<QPixmap> m_images;
};

} // namespace kestrum
