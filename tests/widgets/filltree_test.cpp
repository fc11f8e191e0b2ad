// FillTree: which items appear, in which order, with which images and names.
#include <kestrum-widgets/common/treeitems.h>
#include <kestrum-widgets/proptree/filltree.h>

#include "treeoutline.h"

#include <QTest>
#include <QTreeWidget>

using kestrum::CPropDb;
using testsupport::Outline;

namespace {

void WriteKeys(CPropDb& db, const char* section, const QStringList& keys) {
    for (const QString& key : keys) {
        db.WritePropInt(section, key.toStdString(), 1);
    }
}

} // namespace

class FillTreeTest : public QObject {
    Q_OBJECT

private slots:
    void order_data() {
        QTest::addColumn<QStringList>("defaultKeys");
        QTest::addColumn<QStringList>("sections"); // "name:key key ..."
        QTest::addColumn<bool>("sort");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty database") << QStringList{} << QStringList{} << true << "Root";
        QTest::newRow("default keys in map order")
            << QStringList{"b", "a", "B"} << QStringList{} << false << "Root(B,a,b)";
        QTest::newRow("default keys sorted, ignoring case")
            << QStringList{"b", "a", "C"} << QStringList{} << true << "Root(a,b,C)";
        QTest::newRow("sections follow the sorted keys, in database order")
            << QStringList{"b", "a"} << QStringList{"Zeta:y x", "alpha:k"} << true
            << "Root(a,b,Zeta(x,y),alpha(k))";
        QTest::newRow("section keys unsorted without sort")
            << QStringList{} << QStringList{"S:b A"} << false << "Root(S(A,b))";
        QTest::newRow("an empty section has no children")
            << QStringList{"k"} << QStringList{"Empty:", "S:x"} << true << "Root(k,Empty,S(x))";
    }

    void order() {
        QFETCH(QStringList, defaultKeys);
        QFETCH(QStringList, sections);
        QFETCH(bool, sort);
        QFETCH(QString, expected);

        CPropDb db;
        WriteKeys(db, "", defaultKeys);
        for (const QString& section : sections) {
            const QString name = section.section(':', 0, 0);
            const QStringList keys = section.section(':', 1).split(' ', Qt::SkipEmptyParts);
            const std::string sectionName = name.toStdString();
            if (keys.isEmpty()) {
                // A section exists from its first write; deleting the key leaves it empty.
                db.WritePropInt(sectionName, "gone", 0);
                db.DeleteKey(sectionName, "gone");
            }
            WriteKeys(db, sectionName.c_str(), keys);
        }

        QTreeWidget tree;
        kestrum::FillTree(db, tree, 3, "Root", sort);
        QCOMPARE(Outline(tree), expected);
    }

    void imagesOfFoldersAndKeys() {
        CPropDb db;
        db.WritePropString("", "key", "v");
        db.WritePropBool("S", "flag", 1);
        QTreeWidget tree;
        kestrum::FillTree(db, tree, 7, "Root", true);

        const QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(kestrum::GetItemImage(*root), 0);
        QCOMPARE(kestrum::GetItemImage(*root->child(0)), 7);
        QCOMPARE(kestrum::GetItemSelectedImage(*root->child(0)), 7);
        QCOMPARE(kestrum::GetItemImage(*root->child(1)), 0);
        QCOMPARE(kestrum::GetItemImage(*root->child(1)->child(0)), 7);
    }

    void fillingTwiceGivesOneCopy() {
        CPropDb db;
        db.WritePropInt("", "a", 1);
        db.WritePropInt("S", "b", 1);
        QTreeWidget tree;
        kestrum::FillTree(db, tree, 2, "Root", false);
        kestrum::FillTree(db, tree, 2, "Again", false);
        QCOMPARE(Outline(tree), QString("Again(a,S(b))"));
    }

    void namesShowDecodedAndKeepTheirBytes() {
        CPropDb db;
        const std::string cp1252Key = "Gr\xFC\xDF"
                                      "e";
        db.WritePropInt("", cp1252Key, 1);
        db.WritePropInt("", "\xC3\x84rger", 1); // UTF-8
        QTreeWidget tree;
        kestrum::FillTree(db, tree, 2, "Wurzel \xC3\xA4", true);

        const QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), QString::fromUtf8(u8"Wurzel ä"));
        // Sorting compares code points after case folding, the same on every machine.
        QCOMPARE(root->child(0)->text(0), QString::fromUtf8(u8"Grüße"));
        QCOMPARE(kestrum::GetItemName(*root->child(0)), cp1252Key);
        QCOMPARE(root->child(1)->text(0), QString::fromUtf8(u8"Ärger"));
    }

    void pointerForm() {
        CPropDb db;
        db.WritePropInt("", "b", 1);
        db.WritePropInt("", "a", 1);
        QTreeWidget tree;
        kestrum::FillTree(db, &tree, 2, "Root", true);
        QCOMPARE(Outline(tree), QString("Root(a,b)"));
        kestrum::FillTree(db, static_cast<QTreeWidget*>(nullptr), 2, "Root", true);
    }
};

QTEST_MAIN(FillTreeTest)
#include "filltree_test.moc"
