#pragma once

#include "model/rendersettings.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class QPainter;

namespace orvo {

// What the look draws around a subtitle's glyphs, in the text background colour: the outline,
// a ring OutlineWidth pixels wide, and the shadow, the outlined glyphs again ShadowOffset
// pixels down and to the right. Both are made of the glyphs as the outline font draws them,
// which is never antialiased: drawn once into a layer, which is then copied at every offset of
// the ring, so that no pixel is blended twice and a tall text costs its layout once.
class GlyphEffects {
public:
    // Whether the look draws either.
    static bool Wanted(const RenderSettings& settings);
    // How many pixels beyond the glyphs' rectangle they may reach, on any side.
    static int Reach(const RenderSettings& settings);
    // The ring's offsets for a width, the eight neighbours first: the width-1 ring is theirs.
    static std::vector<QPoint> RingOffsets(int width);

    // drawGlyphs(painter) draws the text in the painter's pen and the outline font, as it
    // stands in rect; the layer covers only what can reach painter's device.
    GlyphEffects(QPainter& painter, const QRect& rect, const RenderSettings& settings,
                 const std::function<void(QPainter&)>& drawGlyphs);

    // Under the text: the shadow, then the ring.
    void DrawUnder(QPainter& painter) const;
    // Over antialiased text: the ring's own pixels again, where the glyphs' blended edges
    // would otherwise replace the ring.
    void DrawOver(QPainter& painter) const;

private:
    QImage m_layer;             // the glyphs in the text background colour
    QPoint m_origin;            // of the layer on the canvas
    std::vector<QPoint> m_ring; // empty without the outline
    int m_shadow = 0;
    bool m_antialiased = false;
};

} // namespace orvo
