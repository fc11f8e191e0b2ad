#include "controlstestsupport.h"

#include <kestrum-widgets/common/cimagelist.h>
#include <kestrum-widgets/controls/csymdisplay.h>

#include <QTest>

using kestrum::CImageList;
using kestrum::CSymDisplay;
using kestrum::test::ColourBounds;
using kestrum::test::CountPixels;
using kestrum::test::Pixel;
using kestrum::test::Render;
using kestrum::test::WriteStrip;

namespace {

const QColor kOutside(1, 2, 3); // what the control leaves alone
const QColor kGrey(128, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QList<QColor> kSymbols = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                                QColor(255, 255, 0)};

// Solid symbols, one colour each, but for a transparent pixel in each top-left corner.
CImageList Symbols(const QTemporaryDir& dir, int width, int height) {
    const auto mark = [](QPainter& painter, const QRect& cell) {
        painter.fillRect(cell.x(), cell.y(), 1, 1, QColor(CImageList::kTransparent));
    };
    return CImageList(WriteStrip(dir, kSymbols, width, height, mark), width);
}

class CountingDisplay : public CSymDisplay {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CSymDisplay::paintEvent(event);
    }
};

} // namespace

class CSymDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void symbolValidity_data() {
        QTest::addColumn<bool>("withList");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");

        QTest::newRow("first") << true << 0 << 0;
        QTest::newRow("last but one") << true << 2 << 2;
        QTest::newRow("the last image is never shown") << true << 3 << 1;
        QTest::newRow("beyond the list") << true << 4 << 1;
        QTest::newRow("negative") << true << -1 << 1;
        QTest::newRow("no list") << false << 0 << -1;
    }

    void symbolValidity() {
        QFETCH(bool, withList);
        QFETCH(int, index);
        QFETCH(int, expected);

        QTemporaryDir dir;
        const CImageList symbols = Symbols(dir, 8, 8);
        CSymDisplay display;
        QCOMPARE(display.GetSymbol(), -1);
        if (withList) {
            display.SetImageList(&symbols);
            display.SetSymbol(1, true);
        }
        display.SetSymbol(index, true);
        QCOMPARE(display.GetSymbol(), expected);
    }

    void newControlPaintsABlackPlate() {
        CSymDisplay display;
        display.resize(40, 30);
        const QImage image = Render(display);
        QCOMPARE(Pixel(image, 20, 15), kBlack);
        // Grey outline at top and left, white at right and bottom.
        QCOMPARE(Pixel(image, 20, 0), kGrey);
        QCOMPARE(Pixel(image, 0, 15), kGrey);
        QCOMPARE(Pixel(image, 39, 15), kWhite);
        QCOMPARE(Pixel(image, 20, 29), kWhite);
        // Corners rounded by the default ellipse of 5 x 5 pixels.
        QCOMPARE(Pixel(image, 0, 0), kOutside);
        QCOMPARE(Pixel(image, 39, 29), kOutside);
        QCOMPARE(Pixel(image, 2, 2), kBlack);
        QCOMPARE(CountPixels(image, kOutside, image.rect()) < 20, true);
    }

    void roundAndColourFollowTheSetters() {
        CSymDisplay display;
        display.resize(40, 30);
        display.SetBkColor(QColor(0, 0, 128));
        display.SetRound(20);
        const QImage image = Render(display);
        QCOMPARE(Pixel(image, 20, 15), QColor(0, 0, 128));
        QCOMPARE(Pixel(image, 2, 2), kOutside);
        QCOMPARE(Pixel(image, 20, 0), kGrey);
    }

    void symbolIsCentred_data() {
        QTest::addColumn<QSize>("control");
        QTest::addColumn<QSize>("symbol");
        QTest::addColumn<QPoint>("expected"); // top-left corner of the symbol

        QTest::newRow("even in even") << QSize(40, 30) << QSize(10, 6) << QPoint(15, 12);
        QTest::newRow("odd in odd, halves rounded down")
            << QSize(41, 31) << QSize(11, 7) << QPoint(15, 12);
        QTest::newRow("odd in even") << QSize(40, 30) << QSize(11, 7) << QPoint(15, 12);
        QTest::newRow("even in odd") << QSize(41, 31) << QSize(10, 6) << QPoint(15, 12);
    }

    void symbolIsCentred() {
        QFETCH(QSize, control);
        QFETCH(QSize, symbol);
        QFETCH(QPoint, expected);

        QTemporaryDir dir;
        const CImageList symbols = Symbols(dir, symbol.width(), symbol.height());
        CSymDisplay display;
        display.resize(control);
        display.SetImageList(&symbols);
        display.SetSymbol(2, true);
        const QImage image = Render(display);
        // The symbol's transparent corner pixel shows the plate.
        QCOMPARE(ColourBounds(image, kSymbols[2]), QRect(expected, symbol));
        QCOMPARE(Pixel(image, expected.x(), expected.y()), kBlack);
    }

    // The white outline's clipping stays for the symbol: a symbol larger than the control is
    // cut at the top two rows and the left three columns, but not at the other edges.
    void symbolIsClippedByTheBands() {
        QTemporaryDir dir;
        const CImageList symbols = Symbols(dir, 24, 24);
        CSymDisplay display;
        display.resize(20, 20);
        display.SetImageList(&symbols);
        display.SetSymbol(0, true);
        const QRect drawn = ColourBounds(Render(display), kSymbols[0]);
        QCOMPARE(drawn, QRect(3, 2, 17, 18));
    }

    void redrawFlag() {
        QTemporaryDir dir;
        const CImageList symbols = Symbols(dir, 8, 8);
        CountingDisplay display;
        display.resize(40, 30);
        display.SetImageList(&symbols);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QTRY_VERIFY(display.paints > 0);
        QCoreApplication::processEvents();

        display.paints = 0;
        display.SetSymbol(1, false);
        QCoreApplication::processEvents();
        QCOMPARE(display.paints, 0);
        QCOMPARE(display.GetSymbol(), 1);
        QCOMPARE(ColourBounds(Render(display), kSymbols[1]).isEmpty(), false);

        display.paints = 0;
        display.SetSymbol(0, true);
        QTRY_COMPARE(display.paints, 1);
    }

    void withoutAListOnlyThePlate() {
        QTemporaryDir dir;
        const CImageList symbols = Symbols(dir, 8, 8);
        CSymDisplay display;
        display.resize(40, 30);
        display.SetImageList(&symbols);
        display.SetSymbol(1, true);
        display.SetImageList(nullptr);
        QVERIFY(ColourBounds(Render(display), kSymbols[1]).isEmpty());
        display.SetImageList(&symbols);
        QCOMPARE(ColourBounds(Render(display), kSymbols[1]).isEmpty(), false);
    }
};

QTEST_MAIN(CSymDisplayTest)
#include "csymdisplay_test.moc"
