#pragma once

class QPainter;
class QRect;

namespace kestrum {

// A rounded rectangle as the plates of the controls are drawn: the outline in the painter's
// pen on the outermost pixels of rect, the inside filled with the painter's brush, the corners
// cut by an ellipse of ellipseWidth x ellipseHeight pixels. Drawn without antialiasing, so that
// an outline is exactly one pixel of one colour.
void DrawRoundRect(QPainter& painter, const QRect& rect, int ellipseWidth, int ellipseHeight);

} // namespace kestrum
