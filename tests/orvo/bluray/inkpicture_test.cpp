#include "output/inkpicture.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace orvo {
namespace {

QImage TransparentCanvas(QSize size = QSize(1920, 1080)) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

// The ink picture laid back on a transparent canvas, in premultiplied colours.
QImage Restored(const InkPicture& ink, QSize size) {
    QImage canvas = TransparentCanvas(size);
    QPainter(&canvas).drawImage(ink.position, ink.Picture());
    return canvas;
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

TEST(InkPictureTest, AFewColoursAreKeptExactlyInTheInksBounds) {
    QImage canvas = TransparentCanvas();
    {
        QPainter painter(&canvas);
        painter.fillRect(QRect(300, 900, 200, 40), QColor(250, 220, 10));
        painter.fillRect(QRect(520, 910, 30, 60), QColor(20, 40, 200, 128));
    }
    const InkPicture ink = IndexedInk(canvas, {880, 1000});

    EXPECT_EQ(QRect(ink.position, ink.size), QRect(300, 900, 250, 70));
    const QImage picture = ink.Picture();
    ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(ink.colours, 2);
    EXPECT_EQ(picture.color(kInkTransparent), 0u);
    EXPECT_EQ(picture.pixelIndex(210, 10), kInkTransparent); // between the two blocks
    EXPECT_EQ(picture.color(picture.pixelIndex(0, 0)), qRgb(250, 220, 10));
    const QRgb translucent = picture.color(picture.pixelIndex(230, 20));
    EXPECT_EQ(qAlpha(translucent), 128);
    EXPECT_LE(Difference(translucent, qRgba(20, 40, 200, 128)), 1); // premultiplied and back
    EXPECT_EQ(Restored(ink, canvas.size()), canvas);
}

TEST(InkPictureTest, ACanvasWithoutInkIsOneTransparentPixel) {
    const InkPicture ink = IndexedInk(TransparentCanvas(), {0, 1080});
    EXPECT_EQ(ink.position, QPoint(0, 0));
    EXPECT_EQ(ink.size, QSize(1, 1));
    EXPECT_EQ(ink.Picture().pixelIndex(0, 0), kInkTransparent);
    EXPECT_EQ(ink.colours, 0);
}

// Two colours past the table, one pixel each, as antialiased text on a band of its own makes
// them: each takes the index of the colour nearest it, and all the others keep their own.
TEST(InkPictureTest, AFewColoursPastTheTableJoinTheirNearest) {
    QImage canvas = TransparentCanvas(QSize(257, 10));
    QPainter painter(&canvas);
    for (int x = 0; x < kMaxInkColours; ++x) {
        painter.fillRect(QRect(x, 0, 1, 10), QColor(x, 100, 200));
    }
    painter.fillRect(QRect(255, 0, 1, 1), QColor(10, 100, 203));
    painter.fillRect(QRect(256, 0, 1, 1), QColor(250, 100, 198));
    painter.end();
    const InkPicture ink = IndexedInk(canvas, {0, 10});

    EXPECT_EQ(ink.colours, kMaxInkColours);
    const QImage restored = Restored(ink, canvas.size());
    for (int x = 0; x < kMaxInkColours; ++x) {
        EXPECT_EQ(restored.pixel(x, 5), qRgb(x, 100, 200)) << x;
    }
    EXPECT_EQ(restored.pixel(255, 0), qRgb(10, 100, 200));
    EXPECT_EQ(restored.pixel(256, 0), qRgb(250, 100, 200));
    EXPECT_EQ(qAlpha(restored.pixel(256, 5)), 0);
}

// A thousand shades, as antialiased edges make them between the text, its outline and the
// video, are cut to the table's size: the block that covers most of the picture keeps its
// colour exactly, and no pixel strays far from its own.
TEST(InkPictureTest, MoreColoursThanTheTableHoldsAreCutNearTheirOwn) {
    const std::array<QColor, 4> ends{QColor(255, 240, 0), QColor(10, 20, 160),
                                     QColor(255, 240, 0, 0), QColor(10, 20, 160, 0)};
    QImage canvas = TransparentCanvas(QSize(1000, 60));
    for (int x = 0; x < 1000; ++x) {
        const QColor& from = ends[static_cast<std::size_t>(x / 250)];
        const QColor& to = ends[static_cast<std::size_t>((x / 250 + 1) % 4)];
        const double t = (x % 250) / 250.0;
        const auto mix = [t](int a, int b) { return static_cast<int>(a + (b - a) * t); };
        const QColor shade(mix(from.red(), to.red()), mix(from.green(), to.green()),
                           mix(from.blue(), to.blue()), std::max(1, mix(from.alpha(), to.alpha())));
        QPainter(&canvas).fillRect(QRect(x, 0, 1, 20), shade);
    }
    QPainter(&canvas).fillRect(QRect(0, 20, 1000, 40), QColor(255, 255, 255));
    const InkPicture ink = IndexedInk(canvas, {0, 60});

    EXPECT_EQ(ink.colours, kMaxInkColours);
    const QImage restored = Restored(ink, canvas.size());
    int worst = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 1000; ++x) {
            worst = std::max(worst, Difference(restored.pixel(x, y), canvas.pixel(x, y)));
        }
    }
    EXPECT_LE(worst, 3);
    EXPECT_EQ(restored.pixel(500, 40), qRgb(255, 255, 255));
    // The same picture always gives the same colours.
    EXPECT_EQ(IndexedInk(canvas, {0, 60}).Picture(), ink.Picture());
}

} // namespace
} // namespace orvo
