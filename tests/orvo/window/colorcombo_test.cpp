// The colour combo: its 16 items, SelectColor, and how a swatch is drawn.
#include "windowtestsupport.h"

#include "ccolorcombo.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionViewItem>

using orvo::CColorCombo;
using orvo::COLORREF;

namespace {

constexpr QRgb kOutside = 0xFF808080;

QImage DrawnItem(int index, bool selected, bool focused) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(kOutside);
    QPainter painter(&image);
    CColorCombo::DrawItem(painter, QRect(5, 4, 30, 12), index, selected, focused);
    return image;
}

} // namespace

class ColorComboTest : public QObject {
    Q_OBJECT

private slots:
    void selectColor_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<COLORREF>("colour");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("after");

        QTest::newRow("white") << 3 << COLORREF{0xFFFFFF} << 15 << 15;
        QTest::newRow("black") << 9 << COLORREF{0x000000} << 0 << 0;
        QTest::newRow("red is 0x0000FF") << 0 << COLORREF{0x0000FF} << 9 << 9;
        QTest::newRow("not in the palette") << 5 << COLORREF{0x123456} << -1 << 5;
        QTest::newRow("high byte set") << 7 << COLORREF{0x01FFFFFF} << -1 << 7;
    }

    void selectColor() {
        QFETCH(int, before);
        QFETCH(COLORREF, colour);
        QFETCH(int, result);
        QFETCH(int, after);

        CColorCombo combo;
        combo.setCurrentIndex(before);
        QCOMPARE(combo.SelectColor(colour), result);
        QCOMPARE(combo.currentIndex(), after);
    }

    void drawItem_data() {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QRgb>("frame");

        QTest::newRow("plain") << false << QRgb(0xFFFFFFFF);
        QTest::newRow("selected") << true << QRgb(0xFF000000);
    }

    // The swatch fills the item one pixel in; the frame runs along the item's edge.
    void drawItem() {
        QFETCH(bool, selected);
        QFETCH(QRgb, frame);

        const QImage image = DrawnItem(12, selected, false);
        const QRgb blue = 0xFF0000FF;
        QCOMPARE(image.pixel(6, 5), blue);
        QCOMPARE(image.pixel(33, 14), blue);
        for (const QPoint edge : {QPoint(5, 4), QPoint(34, 4), QPoint(5, 15), QPoint(34, 15),
                                  QPoint(20, 4), QPoint(20, 15), QPoint(5, 10), QPoint(34, 10)}) {
            QCOMPARE(image.pixel(edge), frame);
        }
        // Nothing outside the item, and no text inside it.
        QCOMPARE(image.pixel(4, 10), kOutside);
        QCOMPARE(image.pixel(35, 10), kOutside);
        QCOMPARE(image.pixel(20, 3), kOutside);
        QCOMPARE(image.pixel(20, 16), kOutside);
        QCOMPARE(orvo::test::Colours(image.copy(6, 5, 28, 10)), std::set<QRgb>{blue});
    }

    // The focus rectangle inverts every other pixel of the frame.
    void focusedItemHasDottedFrame() {
        const QImage image = DrawnItem(12, false, true);
        int inverted = 0;
        for (int x = 5; x < 35; ++x) {
            inverted += image.pixel(x, 4) == 0xFF000000 ? 1 : 0;
        }
        QCOMPARE(inverted, 15);
    }

    void indexOutsideThePaletteDrawsNothing() {
        for (const int index : {-1, 16}) {
            QCOMPARE(orvo::test::Colours(DrawnItem(index, true, true)), std::set<QRgb>{kOutside});
        }
    }

    // The list shows the swatch of the highlighted item with the black frame.
    void listDrawsSwatchesThroughItsDelegate() {
        CColorCombo combo;
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(kOutside);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(5, 4, 30, 12);
        option.state = QStyle::State_Selected | QStyle::State_Enabled;
        combo.itemDelegate()->paint(&painter, option, combo.model()->index(9, 0));
        painter.end();
        QCOMPARE(image.pixel(20, 10), QRgb(0xFFFF0000));
        QCOMPARE(image.pixel(5, 4), QRgb(0xFF000000));
    }

    // The closed list shows the current colour, and nothing but colours.
    void closedListShowsTheCurrentSwatch() {
        CColorCombo combo;
        combo.resize(120, 28);
        combo.SelectColor(0x00FFFF);
        const QImage face = combo.grab().toImage();
        QCOMPARE(face.pixel(face.width() / 3, face.height() / 2), QRgb(0xFFFFFF00));
    }
};

ORVO_WINDOW_TEST_MAIN(ColorComboTest)
#include "colorcombo_test.moc"
