#include "testcanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cstdint>
#include <random>

namespace testsupport {

QImage TextCanvas(int height, int pixelSize, bool antialiased) {
    QImage canvas(720, height, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QFont font("Liberation Sans");
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(QColor(0, 0, 255));
    painter.setPen(QColor(255, 255, 0));
    const int lineHeight = QFontMetrics(font).height();
    const QRect block(50, height - 50 - 2 * lineHeight, 620, 2 * lineHeight);
    painter.drawText(block, Qt::AlignHCenter | Qt::TextWordWrap,
                     "This is a test subtitle\ncovering two lines, with Words & figures 1234.");
    return canvas;
}

QImage NoiseCanvas(int width, int height, unsigned seed) {
    QImage canvas(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(canvas.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
        }
    }
    return canvas;
}

} // namespace testsupport
