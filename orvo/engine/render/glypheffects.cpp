#include "render/glypheffects.h"

#include "render/lookscaling.h"

#include <kestrum-gui/colorref.h>

#include <QPainter>

#include <algorithm>
#include <array>

namespace orvo {
namespace {

// The ring of width 1 in the order its passes were always drawn in.
constexpr std::array<QPoint, 8> kNeighbours = {
    QPoint(-1, 0),  QPoint(1, 0),  QPoint(0, -1), QPoint(0, 1),
    QPoint(-1, -1), QPoint(1, -1), QPoint(1, 1),  QPoint(-1, 1),
};

int Width(const RenderSettings& settings) {
    return settings.Outline != 0
               ? std::clamp(settings.OutlineWidth, kMinOutlineWidth, kMaxOutlineWidth)
               : 0;
}

int Shadow(const RenderSettings& settings) {
    return std::clamp(settings.ShadowOffset, 0, kMaxShadowOffset);
}

} // namespace

bool GlyphEffects::Wanted(const RenderSettings& settings) {
    return Width(settings) > 0 || Shadow(settings) > 0;
}

int GlyphEffects::Reach(const RenderSettings& settings) {
    return Width(settings) + Shadow(settings);
}

// Every point within the width of the glyph, as a disc: the squared distance at most the
// width's square and one, so that the width 1 is the full square of eight neighbours.
std::vector<QPoint> GlyphEffects::RingOffsets(int width) {
    std::vector<QPoint> offsets(kNeighbours.begin(), kNeighbours.end());
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            const bool neighbour = std::max(std::abs(dx), std::abs(dy)) <= 1;
            if (!neighbour && dx * dx + dy * dy <= width * width + 1) {
                offsets.emplace_back(dx, dy);
            }
        }
    }
    return offsets;
}

GlyphEffects::GlyphEffects(QPainter& painter, const QRect& rect, const RenderSettings& settings,
                           const std::function<void(QPainter&)>& drawGlyphs)
    : m_shadow(Shadow(settings))
    , m_antialiased(settings.AntiAlias) {
    const int reach = Reach(settings);
    const QRect covered = rect & painter.window().adjusted(-reach, -reach, reach, reach);
    if (const int width = Width(settings); width > 0) {
        m_ring = RingOffsets(width);
    }
    if (covered.isEmpty()) {
        return;
    }
    m_origin = covered.topLeft();
    m_layer = QImage(covered.size(), QImage::Format_ARGB32_Premultiplied);
    m_layer.fill(Qt::transparent);
    QPainter layer(&m_layer);
    layer.translate(-m_origin);
    layer.setPen(kestrum::ToQColor(settings.TextBkgColor));
    drawGlyphs(layer);
}

void GlyphEffects::DrawUnder(QPainter& painter) const {
    if (m_layer.isNull()) {
        return;
    }
    if (m_shadow > 0) {
        const QPoint shadow(m_shadow, m_shadow);
        painter.drawImage(m_origin + shadow, m_layer);
        for (const QPoint& offset : m_ring) {
            painter.drawImage(m_origin + shadow + offset, m_layer);
        }
    }
    for (const QPoint& offset : m_ring) {
        painter.drawImage(m_origin + offset, m_layer);
    }
}

// The ring's pixels are those the copies cover and the glyphs themselves do not.
void GlyphEffects::DrawOver(QPainter& painter) const {
    if (m_layer.isNull() || m_ring.empty() || !m_antialiased) {
        return;
    }
    QImage ring(m_layer.size(), QImage::Format_ARGB32_Premultiplied);
    ring.fill(Qt::transparent);
    {
        QPainter stamp(&ring);
        for (const QPoint& offset : m_ring) {
            stamp.drawImage(offset, m_layer);
        }
        stamp.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        stamp.drawImage(QPoint(0, 0), m_layer);
    }
    painter.drawImage(m_origin, ring);
}

} // namespace orvo
