#include "kestrum-widgets/controls/roundrect.h"

#include <QPainter>
#include <QRect>

namespace kestrum {

void DrawRoundRect(QPainter& painter, const QRect& rect, int ellipseWidth, int ellipseHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A one-pixel pen covers the pixels right of and below its path: the path runs through the
    // first and the last pixel of each side.
    painter.drawRoundedRect(QRectF(rect.x(), rect.y(), rect.width() - 1, rect.height() - 1),
                            ellipseWidth / 2.0, ellipseHeight / 2.0);
    painter.restore();
}

} // namespace kestrum
