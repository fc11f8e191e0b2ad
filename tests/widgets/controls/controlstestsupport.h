#pragma once

#include "common/imageprobes.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>

namespace kestrum::test {

using testsupport::ColourBounds;
using testsupport::CountPixels;

// A strip of cells of cellWidth x height pixels, each filled with its colour, written as a PNG
// into dir; draw adds marks to each cell (given the painter and the cell's rectangle).
inline QString WriteStrip(const QTemporaryDir& dir, const QList<QColor>& cells, int cellWidth,
                          int height,
                          const std::function<void(QPainter&, const QRect&)>& draw = {}) {
    QImage strip(static_cast<int>(cells.size()) * cellWidth, height, QImage::Format_RGB32);
    QPainter painter(&strip);
    for (int i = 0; i < cells.size(); ++i) {
        const QRect cell(i * cellWidth, 0, cellWidth, height);
        painter.fillRect(cell, cells[i]);
        if (draw) {
            draw(painter, cell);
        }
    }
    painter.end();
    const QString path = dir.filePath(QStringLiteral("strip-%1.png").arg(cells.size()));
    strip.save(path);
    return path;
}

// The widget painted onto an image filled with background first, so that every pixel the
// widget leaves alone shows that colour.
inline QImage Render(QWidget& widget, QColor background = QColor(1, 2, 3)) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

} // namespace kestrum::test
