#include "kestrum-widgets/proptree/filltree.h"

#include "kestrum-widgets/common/treeitems.h"

#include <QTreeWidget>

namespace kestrum {

namespace {

constexpr int kFolderImage = 0;

void AppendKeys(QTreeWidget& tree, QTreeWidgetItem& parent, const CPropSet& set, int image,
                bool sort, const CImageList* images) {
    for (const auto& entry : set.GetValues()) {
        AppendItem(tree, &parent, entry.first, image, image, images);
    }
    if (sort) {
        SortChildren(parent);
    }
}

} // namespace

void FillTree(const CPropDb& db, QTreeWidget& tree, int image, std::string_view rootText, bool sort,
              const CImageList* images) {
    tree.clear();
    QTreeWidgetItem* root = AppendItem(tree, nullptr, rootText, kFolderImage, kFolderImage, images);
    // The keys are sorted before the sections are added, so sections always follow them.
    AppendKeys(tree, *root, db.GetDefaultSet(), image, sort, images);
    for (const auto& [name, set] : db.GetSections()) {
        QTreeWidgetItem* section = AppendItem(tree, root, name, kFolderImage, kFolderImage, images);
        AppendKeys(tree, *section, *set, image, sort, images);
    }
}

void FillTree(const CPropDb& db, QTreeWidget* tree, int image, std::string_view rootText, bool sort,
              const CImageList* images) {
    if (tree != nullptr) {
        FillTree(db, *tree, image, rootText, sort, images);
    }
}

} // namespace kestrum
