#pragma once

#include <kestrum/kestrum_widgets_export.h>
#include <kestrum/propstore/cpropdb.h>

#include <string_view>

class QTreeWidget;

namespace kestrum {

class CImageList;

// Shows the structure of db in tree, names only: a root item with image 0 holding the keys of
// the default set, then one item with image 0 per section, in the database's order, holding
// that section's keys. Key items get image. With sort, the keys under the root and under each
// section are in alphabetical order; the sections are never sorted among themselves. The tree
// is emptied first, so filling it twice gives one copy. Every item keeps its image indexes
// and the stored bytes of its name (common/treeitems.h); with images, items show pictures.
KESTRUM_WIDGETS_EXPORT void FillTree(const CPropDb& db, QTreeWidget& tree, int image,
                                     std::string_view rootText, bool sort,
                                     const CImageList* images = nullptr);

// The same for a tree given by pointer; a null pointer fills nothing.
KESTRUM_WIDGETS_EXPORT void FillTree(const CPropDb& db, QTreeWidget* tree, int image,
                                     std::string_view rootText, bool sort,
                                     const CImageList* images = nullptr);

} // namespace kestrum
