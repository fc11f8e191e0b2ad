#include "controlstestsupport.h"

#include <kestrum-widgets/controls/cbitmaplist.h>

#include <QTest>

using kestrum::CBitmapList;
using kestrum::test::WriteStrip;

namespace {

const QColor kMagenta(255, 0, 255);

QList<QColor> Cells(int count) {
    QList<QColor> cells;
    for (int i = 0; i < count; ++i) {
        cells << QColor(20 * i, 100, 200 - 10 * i);
    }
    return cells;
}

// A 4 x 4 square in the transparent colour at (2, 3) of every cell.
void MarkTransparent(QPainter& painter, const QRect& cell) {
    painter.fillRect(cell.x() + 2, cell.y() + 3, 4, 4, kMagenta);
}

} // namespace

class CBitmapListTest : public QObject {
    Q_OBJECT

private slots:
    void imageCounts_data() {
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("cellWidth");
        QTest::addColumn<int>("cx");
        QTest::addColumn<int>("expected");

        QTest::newRow("160 pixels cut by 16") << 10 << 16 << 16 << 10;
        QTest::newRow("a partial last image is dropped") << 10 << 16 << 15 << 10;
        QTest::newRow("one image") << 1 << 24 << 24 << 1;
        QTest::newRow("images wider than the strip") << 1 << 15 << 16 << 0;
        QTest::newRow("no width") << 4 << 16 << 0 << 0;
    }

    void imageCounts() {
        QFETCH(int, cells);
        QFETCH(int, cellWidth);
        QFETCH(int, cx);
        QFETCH(int, expected);

        QTemporaryDir dir;
        CBitmapList list;
        QCOMPARE(list.Create(WriteStrip(dir, Cells(cells), cellWidth, 12), cx, kMagenta.rgb()),
                 expected > 0 ? 1 : 0);
        QCOMPARE(list.GetImageCount(), expected);
        for (int i = 0; i < expected; ++i) {
            QVERIFY(list.GetBitmap(i) != nullptr);
            QCOMPARE(list.GetBitmap(i)->size(), QSize(cx, 12));
        }
        QCOMPARE(list.GetBitmap(expected), nullptr);
    }

    void missingStripFails() {
        CBitmapList list;
        QCOMPARE(list.Create("/nonexistent/strip.png", 16, kMagenta.rgb()), 0);
        QCOMPARE(list.GetImageCount(), 0);
        QCOMPARE(list.GetBitmap(0), nullptr);
        QVERIFY(list.GetHandle(0).isNull());
    }

    void nullOutsideTheList() {
        QTemporaryDir dir;
        CBitmapList list;
        list.Create(WriteStrip(dir, Cells(10), 16, 12), 16, kMagenta.rgb());
        for (const int index : {-1, 10, 11}) {
            QCOMPARE(list.GetBitmap(index), nullptr);
            QVERIFY(list.GetHandle(index).isNull());
        }
        QCOMPARE(list.GetHandle(0).cacheKey(), list.GetBitmap(0)->cacheKey());
        QCOMPARE(list.GetHandle(9).toImage().pixelColor(0, 0), Cells(10)[9]);
    }

    // The separate images show the transparent pixels in the mask colour and everything else
    // as the strip has it; the list's own images leave them transparent.
    void separateImagesShowTheMaskColour() {
        QTemporaryDir dir;
        CBitmapList list;
        list.Create(WriteStrip(dir, Cells(3), 16, 12, MarkTransparent), 16, kMagenta.rgb());
        for (int i = 0; i < 3; ++i) {
            const QImage bitmap = list.GetBitmap(i)->toImage();
            QCOMPARE(bitmap.pixelColor(3, 4), kMagenta);
            QCOMPARE(bitmap.pixelColor(5, 6), kMagenta);
            QCOMPARE(bitmap.pixelColor(6, 6), Cells(3)[i]);
            QCOMPARE(bitmap.pixelColor(15, 11), Cells(3)[i]);
            QCOMPARE(list.GetImage(i).toImage().pixelColor(3, 4).alpha(), 0);
        }
    }

    void aSecondCreateReplacesEverything() {
        QTemporaryDir dir;
        CBitmapList list;
        list.Create(WriteStrip(dir, Cells(10), 16, 12), 16, kMagenta.rgb());
        QCOMPARE(list.Create(WriteStrip(dir, Cells(3), 16, 12), 16, kMagenta.rgb()), 1);
        QCOMPARE(list.GetImageCount(), 3);
        QCOMPARE(list.GetBitmap(3), nullptr);
    }

    void theShippedStatusSymbols() {
        CBitmapList list;
        QCOMPARE(list.Create(kestrum::kStatusSymbols, kestrum::kStatusSymbolSize,
                             kestrum::CImageList::kTransparent),
                 1);
        QCOMPARE(list.GetImageCount(), 6);
        const QImage idle = list.GetBitmap(0)->toImage();
        QCOMPARE(idle.size(), QSize(24, 24));
        QCOMPARE(idle.pixelColor(0, 0), QColor(kestrum::CImageList::kTransparent));
        QCOMPARE(idle.pixelColor(11, 11), QColor(192, 192, 192));
    }
};

QTEST_MAIN(CBitmapListTest)
#include "cbitmaplist_test.moc"
