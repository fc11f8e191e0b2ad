#pragma once

#include <kestrum-widgets/common/cimagelist.h>
#include <kestrum/kestrum_widgets_export.h>

#include <QPixmap>
#include <QRgb>
#include <QString>

#include <vector>

namespace kestrum {

// Six 24 x 24 status symbols that the library ships, on the transparent colour
// CImageList::kTransparent: idle, good, warning, error, information, and a spare last one that
// a CSymDisplay never shows.
inline constexpr const char* kStatusSymbols = ":/kestrum/controls/statussymbols.png";
inline constexpr int kStatusSymbolSize = 24;

// An image list cut from one strip image that also keeps each picture as an image of its own,
// drawn on the list's transparent colour, for places that take a plain picture (a button, a
// label, a menu item) while trees still use the list. A CImageList is a value type: never
// delete a CBitmapList through a pointer to its base.
class KESTRUM_WIDGETS_EXPORT CBitmapList : public CImageList {
public:
    CBitmapList() = default;

    // Builds the list from strip (a file or resource path) cut into images cx pixels wide, with
    // mask as the transparent colour, then one separate image per picture: the picture on
    // mask. 1 on success; 0 when the strip cannot be loaded or holds no whole image, and then
    // the list is empty. A second call replaces everything, and earlier pointers from
    // GetBitmap dangle.
    int Create(const QString& strip, int cx, QRgb mask);

    // The separate image of picture index, sharing its pixels; a null pixmap outside the list.
    QPixmap GetHandle(int index) const;
    // The separate image of picture index, owned by the list; null outside the list.
    const QPixmap* GetBitmap(int index) const;

private:
    std::vector<QPixmap> m_Bitmaps;
};

} // namespace kestrum
