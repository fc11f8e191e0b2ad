// Saves and loads a value, reads its own version resource and fills a tree view through the
// installed libraries.
#include <kestrum-widgets/proptree/filltree.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/cversion.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The root item, with the one section below it and the key below that.
bool FillsTree(const kestrum::CPropDb& db) {
    QTreeWidget tree;
    kestrum::FillTree(db, tree, 2, "Root", true);
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    return root != nullptr && root->childCount() == 1 && root->child(0)->text(0) == "Look" &&
           root->child(0)->child(0)->text(0) == "ImgName";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer FILE\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    kestrum::CPropDb db;
    db.WritePropString("Look", "ImgName", "sub");
    if (!db.Save(argv[1])) {
        return 1;
    }
    kestrum::CPropDb loaded;
    if (!loaded.Load(argv[1]) || loaded.ReadPropString("Look", "ImgName", "", false) != "sub" ||
        !FillsTree(loaded)) {
        return 1;
    }
    kestrum::CVersion version;
    version.Init();
    std::printf("%s\n", version.GetVersion().c_str());
    return version.GetVersion() == "Version 3.4  Build 9  Demo" ? 0 : 1;
}
