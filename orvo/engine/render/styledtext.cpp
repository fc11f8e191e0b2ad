#include "render/styledtext.h"

#include "render/balancedlines.h"

#include <kestrum-gui/displaytext.h>

#include <QPainter>
#include <QTextCharFormat>

#include <algorithm>
#include <cmath>

namespace orvo {
namespace {

QTextCharFormat FormatOf(Emphasis emphasis) {
    QTextCharFormat format;
    if (Has(emphasis, Emphasis::Italic)) {
        format.setFontItalic(true);
    }
    if (Has(emphasis, Emphasis::Bold)) {
        format.setFontWeight(QFont::Bold);
    }
    if (Has(emphasis, Emphasis::Underline)) {
        format.setFontUnderline(true);
    }
    return format;
}

// The lines that can reach the canvas, first and count.
struct Reach {
    std::size_t first;
    std::size_t count;
};

Reach Reachable(std::size_t lines, int maxLines, bool growsUpward) {
    const std::size_t shown = std::min(lines, static_cast<std::size_t>(std::max(maxLines, 1)));
    return {growsUpward ? lines - shown : 0, shown};
}

} // namespace

StyledText::StyledText(const Subtitle& subtitle, const QFont& font, bool extendBlanks, int maxLines,
                       bool growsUpward, QPaintDevice* device)
    : m_layout(QString(), font, device) {
    const SubtitleText& lines = subtitle.lines;
    const Reach reach = Reachable(lines.LineCount(), maxLines, growsUpward);
    m_hidden = static_cast<int>(lines.LineCount() - reach.count);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (std::size_t line = reach.first; line < reach.first + reach.count; ++line) {
        if (line > reach.first) {
            // A line break within one paragraph, as text drawing breaks lines.
            text += QChar::LineSeparator;
        }
        for (const TextRun& run : lines.Runs(line)) {
            QString part = kestrum::DecodeText(run.text);
            if (extendBlanks) {
                part.replace(QLatin1Char(' '), QStringLiteral("  "));
            }
            if (run.emphasis != Emphasis::None) {
                formats.append({static_cast<int>(text.size()), static_cast<int>(part.size()),
                                FormatOf(run.emphasis)});
            }
            text += part;
        }
    }
    m_layout.setText(text);
    m_layout.setFormats(formats);
    m_layout.setCacheEnabled(true);
}

int StyledText::Layout(qreal width, Qt::Alignment alignment, bool balanced) {
    if (balanced) {
        m_layout.setText(BalancedLines(m_layout.text(), QFontMetricsF(m_layout.font()), width,
                                       QChar::LineSeparator));
    }
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WordWrap);
    m_layout.setTextOption(option);
    const qreal leading = QFontMetricsF(m_layout.font()).leading();
    qreal height = 0;
    m_layout.beginLayout();
    for (QTextLine line = m_layout.createLine(); line.isValid(); line = m_layout.createLine()) {
        line.setLineWidth(width);
        height += line.lineNumber() > 0 ? leading : 0;
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    m_layout.endLayout();
    return static_cast<int>(std::ceil(height));
}

qreal StyledText::NaturalWidth() const {
    qreal width = 0;
    for (int index = 0; index < m_layout.lineCount(); ++index) {
        width = std::max(width, m_layout.lineAt(index).naturalTextWidth());
    }
    return width;
}

void StyledText::Draw(QPainter& painter, const QPointF& origin, const QColor& background) const {
    if (background.alpha() != 0) {
        for (int index = 0; index < m_layout.lineCount(); ++index) {
            painter.fillRect(m_layout.lineAt(index).naturalTextRect().translated(origin),
                             background);
        }
    }
    m_layout.draw(&painter, origin);
}

} // namespace orvo
