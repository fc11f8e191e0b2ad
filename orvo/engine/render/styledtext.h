#pragma once

#include "model/subtitle.h"

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QTextLayout>

#include <memory>

class QPainter;
class QPaintDevice;

namespace orvo {

// The lines of a subtitle that a translator styled, as Qt lays them out: each run in its
// emphasis of the font, the lines wrapped at a width and aligned, right-to-left text by Qt's
// bidi. Only the lines that can reach the canvas are laid out: of the lines past maxLines the
// first ones are left out for a block that grows upward, the last ones for any other.
class StyledText {
public:
    StyledText(const Subtitle& subtitle, const QFont& font, bool extendBlanks, int maxLines,
               bool growsUpward, QPaintDevice* device);
    StyledText(const StyledText&) = delete;
    StyledText& operator=(const StyledText&) = delete;

    // Lays the lines out within width, aligned, a line that wraps into two balanced when
    // balanced is set (see BalancedLines); the block's height.
    int Layout(qreal width, Qt::Alignment alignment, bool balanced = false);

    int Lines() const { return m_layout.lineCount() + m_hidden; }
    bool LeftOut() const { return m_hidden > 0; }
    // The width the widest line takes.
    qreal NaturalWidth() const;

    // Each line on a band of background (none when transparent), then the text, with the
    // block's top left at origin.
    void Draw(QPainter& painter, const QPointF& origin, const QColor& background) const;

private:
    QTextLayout m_layout;
    int m_hidden = 0;
};

} // namespace orvo
