#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <QTreeWidgetItem>

#include <string>
#include <string_view>

namespace kestrum {

class CImageList;

// Tree items of the library carry, beside their displayed text, the image indexes they were
// given and the exact bytes of the name they show: a displayed text cannot always be encoded
// back into the bytes it was decoded from.
enum TreeItemRole : int {
    kImageRole = Qt::UserRole,             // int: index of the normal image
    kSelectedImageRole = Qt::UserRole + 1, // int: index of the selected image
    kNameRole = Qt::UserRole + 2,          // QByteArray: the name as stored
};

// A new item holding name (decoded for display) and images, appended as the last child of
// parent, or as the last top-level item of tree when parent is null.
KESTRUM_WIDGETS_EXPORT QTreeWidgetItem* AppendItem(QTreeWidget& tree, QTreeWidgetItem* parent,
                                                   std::string_view name, int image,
                                                   int selectedImage,
                                                   const CImageList* images = nullptr);

// Sets both image indexes, and the icon when images is given.
KESTRUM_WIDGETS_EXPORT void SetItemImages(QTreeWidgetItem& item, int image, int selectedImage,
                                          const CImageList* images);
// -1 for an item without images.
KESTRUM_WIDGETS_EXPORT int GetItemImage(const QTreeWidgetItem& item);
KESTRUM_WIDGETS_EXPORT int GetItemSelectedImage(const QTreeWidgetItem& item);
KESTRUM_WIDGETS_EXPORT std::string GetItemName(const QTreeWidgetItem& item);

// Orders the direct children by their displayed text, ignoring case as the tree controls of
// the format's home system do; names differing only in case keep a stable, byte-wise order.
KESTRUM_WIDGETS_EXPORT void SortChildren(QTreeWidgetItem& item);

} // namespace kestrum
