#include "focusrect.h"

#include <QPainter>
#include <QPen>

namespace orvo {

void DrawFocusRect(QPainter& painter, const QRect& rect) {
    painter.save();
    // One pixel on, one off.
    QPen pen(Qt::white, 1);
    pen.setCosmetic(true);
    pen.setDashPattern({1.0, 1.0});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

} // namespace orvo
