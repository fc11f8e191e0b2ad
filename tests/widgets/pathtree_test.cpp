// The path tree over a temporary folder tree: lazy reading, order, folders made and removed
// meanwhile, opening a path, forming paths, and the medium check of removable mounts.
#include <kestrum-widgets/common/treeitems.h>
#include <kestrum-widgets/pathtree/cpathtree.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using kestrum::CMountPoint;
using kestrum::CPathTree;
using kestrum::DriveType;

namespace {

QStringList ChildTexts(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) {
        texts << item->child(i)->text(0);
    }
    return texts;
}

bool HasOnlyPlaceholder(const QTreeWidgetItem* item) {
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty() &&
           kestrum::GetItemImage(*item->child(0)) == CPathTree::kFixedImage;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* item, const QString& text) {
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == text) {
            return item->child(i);
        }
    }
    return nullptr;
}

// A path tree whose removable media are simulated: the medium id is whatever the test says.
class MediumTree : public CPathTree {
public:
    std::optional<std::uint64_t> serial;

protected:
    std::optional<std::uint64_t> GetSerialNumber(const std::string& /*root*/) const override {
        return serial;
    }
};

} // namespace

class PathTreeTest : public QObject {
    Q_OBJECT

private:
    // A fresh folder tree for every test.
    std::unique_ptr<QTemporaryDir> m_dir;
    std::string m_root;

    // One mount point: the temporary folder.
    QTreeWidgetItem* Mount(CPathTree& tree, DriveType type = DriveType::Fixed) {
        const CMountPoint mount{m_root, type};
        if (tree.InitTree(std::span(&mount, 1)) != 1) {
            return nullptr;
        }
        return tree.topLevelItem(0);
    }

    QString Path(const QString& relative) const { return m_dir->filePath(relative); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path().toStdString();
        QDir dir(m_dir->path());
        for (const char* folder :
             {"Alpha/one/deep", "Alpha/Two", "beta", "gamma", "Zulu/x", "apple"}) {
            QVERIFY(dir.mkpath(folder));
        }
        QFile file(Path("gamma/file.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QFile plain(Path("not-a-folder"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }

    void cleanup() { m_dir.reset(); }

    void mountsStartWithAPlaceholderOnly() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        QVERIFY(top);
        QCOMPARE(top->text(0), QString::fromStdString(m_root));
        QCOMPARE(kestrum::GetItemImage(*top), CPathTree::kFixedImage);
        QVERIFY(!top->icon(0).isNull());
        QVERIFY(HasOnlyPlaceholder(top));
    }

    void mountImagesAndButtons_data() {
        QTest::addColumn<DriveType>("type");
        QTest::addColumn<int>("image");
        QTest::addColumn<bool>("emptyFolderHasButton");
        QTest::newRow("fixed") << DriveType::Fixed << 0 << false;
        QTest::newRow("removable") << DriveType::Removable << 1 << true;
        QTest::newRow("optical") << DriveType::CdRom << 2 << true;
        QTest::newRow("network") << DriveType::Remote << 3 << false;
        QTest::newRow("RAM") << DriveType::RamDisk << 4 << false;
    }

    void mountImagesAndButtons() {
        QFETCH(DriveType, type);
        QFETCH(int, image);
        QFETCH(bool, emptyFolderHasButton);
        // Media are not read before they are opened: their button does not depend on them.
        QTemporaryDir empty;
        const CMountPoint mount{empty.path().toStdString(), type};
        CPathTree tree;
        QCOMPARE(tree.InitTree(std::span(&mount, 1)), 1u);
        QCOMPARE(kestrum::GetItemImage(*tree.topLevelItem(0)), image);
        QCOMPARE(tree.topLevelItem(0)->childCount(), emptyFolderHasButton ? 1 : 0);
    }

    void expandingReadsSortedFoldersLazily() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        // Files are not listed; case is ignored in the order.
        QCOMPARE(ChildTexts(top), (QStringList{"Alpha", "apple", "beta", "gamma", "Zulu"}));
        QTreeWidgetItem* alpha = Child(top, "Alpha");
        QCOMPARE(kestrum::GetItemImage(*alpha), CPathTree::kFolderImage);
        QCOMPARE(kestrum::GetItemSelectedImage(*alpha), CPathTree::kOpenFolderImage);
        QVERIFY(HasOnlyPlaceholder(alpha));
        QCOMPARE(Child(top, "gamma")->childCount(), 0);

        alpha->setExpanded(true);
        QCOMPARE(ChildTexts(alpha), (QStringList{"one", "Two"}));
        QVERIFY(HasOnlyPlaceholder(Child(alpha, "one")));
    }

    void collapsingForgetsSoNewFoldersAppear() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        QTreeWidgetItem* gamma = Child(top, "gamma");
        QVERIFY(QDir(Path("gamma")).mkdir("new"));
        QVERIFY(QDir(m_dir->path()).mkdir("delta"));

        top->setExpanded(false);
        QVERIFY(HasOnlyPlaceholder(top));
        top->setExpanded(true);
        QCOMPARE(ChildTexts(top),
                 (QStringList{"Alpha", "apple", "beta", "delta", "gamma", "Zulu"}));
        // gamma had no button when it was listed; listed again, it has one.
        gamma = Child(top, "gamma");
        QVERIFY(HasOnlyPlaceholder(gamma));
    }

    void folderWithoutSubfoldersEndsClosedWhenExpanded() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        QTreeWidgetItem* beta = Child(top, "beta");
        beta->setExpanded(true);
        QVERIFY(!beta->isExpanded());
        QCOMPARE(beta->childCount(), 0);
    }

    void deletedFolderDisappearsWhenExpanded() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        QVERIFY(QDir(Path("Zulu")).removeRecursively());
        Child(top, "Zulu")->setExpanded(true);
        QCOMPARE(ChildTexts(top), (QStringList{"Alpha", "apple", "beta", "gamma"}));
    }

    void deletedFolderDisappearsWhenSelected() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        QVERIFY(QDir(Path("beta")).removeRecursively());
        tree.setCurrentItem(Child(top, "beta"));
        QTRY_COMPARE(ChildTexts(top), (QStringList{"Alpha", "apple", "gamma", "Zulu"}));
    }

    void selectingUpdatesTheButton() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        top->setExpanded(true);
        QVERIFY(QDir(Path("Alpha/one")).removeRecursively());
        QVERIFY(QDir(Path("Alpha/Two")).removeRecursively());
        QVERIFY(QDir(Path("beta")).mkdir("inner"));

        tree.setCurrentItem(Child(top, "Alpha"));
        QTRY_COMPARE(Child(top, "Alpha")->childCount(), 0);
        tree.setCurrentItem(Child(top, "beta"));
        QTRY_VERIFY(HasOnlyPlaceholder(Child(top, "beta")));
    }

    void expandPath_data() {
        QTest::addColumn<QString>("relative"); // appended to the temporary folder
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("selected"); // relative; empty for nothing selected

        QTest::newRow("case ignored") << "/ALPHA/one/DEEP" << 1 << "/Alpha/one/deep";
        QTest::newRow("final separator") << "/alpha/two/" << 1 << "/Alpha/Two";
        QTest::newRow("backslashes") << "\\Alpha\\one" << 1 << "/Alpha/one";
        QTest::newRow("the mount itself") << "" << 1 << "";
        QTest::newRow("missing folder") << "/Alpha/none/deep" << 0 << "";
        QTest::newRow("a file is no folder") << "/not-a-folder" << 0 << "";
    }

    void expandPath() {
        QFETCH(QString, relative);
        QFETCH(int, result);
        QFETCH(QString, selected);

        CPathTree tree;
        Mount(tree);
        const std::string path = m_root + relative.toStdString();
        QCOMPARE(tree.ExpandPath(path, true), result);
        const std::string expected = result == 0          ? std::string()
                                     : selected.isEmpty() ? m_root
                                                          : m_root + selected.toStdString();
        QCOMPARE(tree.GetCurrentPath(), expected);
    }

    // On a case-sensitive file system "Case" and "case" are two folders: the one spelt as the
    // path is chosen; only a path that matches neither exactly falls back to ignoring case.
    void expandPathPrefersTheExactName_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("selected");

        QTest::newRow("lower case") << "/Sibling/case" << 1 << "/Sibling/case";
        QTest::newRow("capital") << "/Sibling/Case" << 1 << "/Sibling/Case";
        QTest::newRow("below lower case") << "/Sibling/case/lower" << 1 << "/Sibling/case/lower";
        QTest::newRow("below capital") << "/Sibling/Case/upper" << 1 << "/Sibling/Case/upper";
        QTest::newRow("neither: the first") << "/sibling/CASE" << 1 << "/Sibling/Case";
        QTest::newRow("exact, though the other has it") << "/Sibling/case/upper" << 0 << "";
    }

    void expandPathPrefersTheExactName() {
        QFETCH(QString, relative);
        QFETCH(int, result);
        QFETCH(QString, selected);
        QDir dir(m_dir->path());
        QVERIFY(dir.mkpath("Sibling/Case/upper"));
        QVERIFY(dir.mkpath("Sibling/case/lower"));

        CPathTree tree;
        Mount(tree);
        QCOMPARE(tree.ExpandPath(m_root + relative.toStdString(), true), result);
        QCOMPARE(tree.GetCurrentPath(),
                 result == 0 ? std::string() : m_root + selected.toStdString());
    }

    void expandPathPrefersTheMountSpeltExactly() {
        QDir dir(m_dir->path());
        QVERIFY(dir.mkpath("Case/upper"));
        QVERIFY(dir.mkpath("case/lower"));
        for (const char* name : {"/Case", "/case"}) {
            const std::vector<CMountPoint> mounts = {{m_root + "/Case", DriveType::Removable},
                                                     {m_root + "/case", DriveType::Removable}};
            CPathTree tree;
            QCOMPARE(tree.InitTree(mounts), 2u);
            QCOMPARE(tree.ExpandPath(m_root + name, true), 1);
            QCOMPARE(tree.GetCurrentPath(), m_root + name);
        }
    }

    void expandPathOpensAsFarAsItGets() {
        CPathTree tree;
        QTreeWidgetItem* top = Mount(tree);
        QCOMPARE(tree.ExpandPath(m_root + "/Alpha/none", true), 0);
        QVERIFY(top->isExpanded());
        QVERIFY(Child(top, "Alpha")->isExpanded());
        QCOMPARE(tree.currentItem(), nullptr);
    }

    void expandPathWithoutSelecting() {
        CPathTree tree;
        Mount(tree);
        QCOMPARE(tree.ExpandPath(m_root + "/Alpha/one", false), 1);
        QCOMPARE(tree.GetCurrentPath(), std::string());
    }

    void expandPathRefusesRelativeAndUnknownPaths() {
        CPathTree tree;
        Mount(tree);
        QCOMPARE(tree.ExpandPath("", true), 0);
        QCOMPARE(tree.ExpandPath("Alpha", true), 0);
        QCOMPARE(tree.ExpandPath("/no-such-mount-here", true), 0);
    }

    void pathsFromTheRootMount() {
        // Through "/" itself: the root keeps its single separator, folders get none at the end.
        const CMountPoint root{"/", DriveType::Fixed};
        CPathTree tree;
        QCOMPARE(tree.InitTree(std::span(&root, 1)), 1u);
        QCOMPARE(tree.GetPathFromItem(tree.topLevelItem(0)), std::string("/"));
        QCOMPARE(tree.GetPathFromItem(nullptr), std::string());
        QCOMPARE(tree.ExpandPath("/", true), 1);
        QCOMPARE(tree.GetCurrentPath(), std::string("/"));
        QCOMPARE(tree.ExpandPath(m_root + "/Alpha/one", true), 1);
        QCOMPARE(tree.GetCurrentPath(), m_root + "/Alpha/one");
    }

    void innerMountWins() {
        // A path below a mount inside another is opened from the inner mount.
        const std::vector<CMountPoint> mounts = {{"/", DriveType::Fixed},
                                                 {m_root + "/Alpha", DriveType::Removable}};
        CPathTree tree;
        QCOMPARE(tree.InitTree(mounts), 2u);
        QCOMPARE(tree.ExpandPath(m_root + "/alpha/One", true), 1);
        QCOMPARE(tree.GetCurrentPath(), m_root + "/Alpha/one");
        QVERIFY(!tree.topLevelItem(0)->isExpanded());
    }

    void changedMediumClosesTheMount() {
        MediumTree tree;
        tree.serial = 7;
        QTreeWidgetItem* top = Mount(tree, DriveType::Removable);
        top->setExpanded(true);
        QCOMPARE(top->childCount(), 5);
        top->setExpanded(false);

        tree.serial = 8; // another medium
        top->setExpanded(true);
        QVERIFY(!top->isExpanded());
        QVERIFY(HasOnlyPlaceholder(top));

        // The new medium is known now, and reads normally.
        top->setExpanded(true);
        QCOMPARE(top->childCount(), 5);
    }

    void mediumChangeSeenInsideTheMount() {
        MediumTree tree;
        tree.serial = 1;
        QTreeWidgetItem* top = Mount(tree, DriveType::CdRom);
        top->setExpanded(true);
        tree.serial = 2;
        Child(top, "Alpha")->setExpanded(true);
        QVERIFY(!top->isExpanded());
        QVERIFY(HasOnlyPlaceholder(top));
    }

    void missingMediumRefusesEveryTime() {
        MediumTree tree;
        QTreeWidgetItem* top = Mount(tree, DriveType::Removable);
        for (int attempt = 0; attempt < 2; ++attempt) {
            top->setExpanded(true);
            QVERIFY(!top->isExpanded());
            QVERIFY(HasOnlyPlaceholder(top));
        }
        tree.serial = 3;
        top->setExpanded(true);
        QCOMPARE(top->childCount(), 5);
    }

    void thisMachineStartsWithRoot() {
        CPathTree tree;
        const unsigned count = tree.InitTree();
        QVERIFY(count >= 1);
        QCOMPARE(static_cast<unsigned>(tree.topLevelItemCount()), count);
        QCOMPARE(tree.topLevelItem(0)->text(0), QString("/"));
        QCOMPARE(tree.InitTree(), count); // again: the tree is emptied first
        QCOMPARE(static_cast<unsigned>(tree.topLevelItemCount()), count);
    }
};

QTEST_MAIN(PathTreeTest)
#include "pathtree_test.moc"
