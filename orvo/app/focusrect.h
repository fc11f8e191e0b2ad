#pragma once

#include <QRect>

class QPainter;

namespace orvo {

// A dotted one-pixel rectangle just inside rect that inverts what lies below it, so that it
// shows on every colour: the preview's text block and the colour combo's focus.
void DrawFocusRect(QPainter& painter, const QRect& rect);

} // namespace orvo
