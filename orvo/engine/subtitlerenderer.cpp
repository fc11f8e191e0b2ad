#include "orvo/engine/subtitlerenderer.h"

#include <kestrum-gui/displaytext.h>

#include <QColor>
#include <QPainter>
#include <QPoint>

#include <algorithm>
#include <array>

namespace orvo {

namespace {

// Every text is measured at the PAL canvas size, also in NTSC and whatever the margins: the
// line count that a run reports must not depend on them.
const QRect kReferenceRect(0, 0, kCanvasWidth, kPalHeight);

// The outline passes, in the order in which they are drawn over each other.
constexpr std::array<QPoint, 8> kOutlineOffsets = {
    QPoint(-1, 0),  QPoint(1, 0),  QPoint(0, -1), QPoint(0, 1),
    QPoint(-1, -1), QPoint(1, -1), QPoint(1, 1),  QPoint(-1, 1),
};

QColor ToQColor(COLORREF colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// Align holds text-drawing alignment bits (1 centre, 2 right, neither left); when a stored
// value sets both, centring wins as it does in the text drawing these values were made for.
Qt::Alignment HorizontalAlignment(int align) {
    if ((align & 1) != 0) {
        return Qt::AlignHCenter;
    }
    if ((align & 2) != 0) {
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

LOGFONT WithQuality(LOGFONT font, std::uint8_t quality) {
    font.quality = quality;
    return font;
}

QFont Spaced(QFont font, int spacing) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

int LayoutHeight(QPainter& painter, const QString& text) {
    return painter.boundingRect(kReferenceRect, Qt::TextWordWrap, text).height();
}

QString WorkingCopy(const QString& text, bool extendBlanks) {
    QString copy = text;
    if (extendBlanks) {
        copy.replace(QLatin1Char(' '), QStringLiteral("  "));
    }
    return copy;
}

// Each pass draws the same text, clipped to its own rectangle, one pixel away from the
// others. So the text is drawn once into a transparent layer, which clips it to the rectangle,
// and the layer is copied to the eight offsets: the pixels of eight drawings (the outline font
// has no antialiasing, so nothing is blended twice) at an eighth of the layout work. The layer
// covers only what can reach the canvas, however tall the text.
void DrawOutline(QPainter& painter, const QRect& rect, int flags, const QString& text,
                 const QFont& font, const QColor& colour) {
    const QRect reach = rect & painter.window().adjusted(-1, -1, 1, 1);
    if (!reach.isEmpty()) {
        QImage layer(reach.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter layerPainter(&layer);
        layerPainter.translate(-reach.topLeft());
        layerPainter.setFont(font);
        layerPainter.setPen(colour);
        layerPainter.drawText(rect, flags, text);
        layerPainter.end();
        for (const QPoint& offset : kOutlineOffsets) {
            painter.drawImage(reach.topLeft() + offset, layer);
        }
    }
    painter.setBackgroundMode(Qt::TransparentMode);
}

// Without the outline the painter is still opaque, so each line lies on a band of the text
// background; with it, the text is drawn transparent and spaced like the outline below it.
void DrawTextBlock(QPainter& painter, const QRect& rect, const QString& text,
                   const RenderSettings& settings, const QFont& mainFont,
                   const QFont& outlineFont) {
    const int flags = HorizontalAlignment(settings.Align) | Qt::TextWordWrap;
    if (settings.Outline != 0) {
        DrawOutline(painter, rect, flags, text, Spaced(outlineFont, settings.OutlineSpacing),
                    ToQColor(settings.TextBkgColor));
        painter.setFont(Spaced(mainFont, settings.OutlineSpacing));
    }
    painter.setPen(ToQColor(settings.TextColor));
    // Qt clips only when the laid-out lines overflow; glyphs that reach beyond their cells
    // (the hook of "j") would otherwise leak past the margins.
    painter.setClipRect(rect);
    painter.drawText(rect, flags, text);
}

} // namespace

QImage MakeCanvas(bool pal) {
    QImage canvas(kCanvasWidth, pal ? kPalHeight : kNtscHeight, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    return canvas;
}

SubtitleRenderer::SubtitleRenderer(const RenderSettings& settings) {
    RebuildFonts(settings);
}

void SubtitleRenderer::RebuildFonts(const RenderSettings& settings) {
    m_mainFont = WithQuality(settings.Font, settings.AntiAlias ? LOGFONT::kAntialiasedQuality
                                                               : LOGFONT::kNonAntialiasedQuality)
                     .ToQFont();
    m_outlineFont = WithQuality(settings.Font, LOGFONT::kNonAntialiasedQuality).ToQFont();
}

// The block is anchored at the canvas bottom: lines that do not fit above it, and lines that
// the narrower margins wrap beyond the measured height, are clipped away unreported.
RenderResult SubtitleRenderer::RenderSubtitle(const RenderSettings& settings,
                                              const std::string& text, QImage& canvas) const {
    QString measured = kestrum::DecodeText(text);
    measured.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    canvas.fill(ToQColor(settings.BkgColor));
    QPainter painter(&canvas);
    painter.setFont(m_mainFont);
    painter.setBackground(ToQColor(settings.TextBkgColor));
    painter.setBackgroundMode(Qt::OpaqueMode);

    const int lineHeight = LayoutHeight(painter, QStringLiteral("x"));
    const int textHeight = LayoutHeight(painter, measured);
    const int bottom = canvas.height() - settings.VerticalOffset;
    QRect textRect(QPoint(kReferenceRect.left(), bottom - textHeight),
                   QSize(kReferenceRect.width(), textHeight));
    if (settings.Box) {
        painter.fillRect(textRect, ToQColor(settings.TextBkgColor));
    }
    textRect.adjust(settings.LeftMargin, 0, -settings.RightMargin, 0);

    // Margins that meet or cross leave no room for text; Qt would otherwise draw into the
    // flipped rectangle.
    if (!textRect.isEmpty()) {
        DrawTextBlock(painter, textRect, WorkingCopy(measured, settings.ExtendBlanks), settings,
                      m_mainFont, m_outlineFont);
    }

    // Qt stacks lines at the rounded-up line spacing, a pixel or so more than the height of
    // "x"; the quotient therefore runs one high only from about lineHeight lines on, far
    // beyond what a subtitle holds. The guard keeps a broken font from dividing by zero.
    return {textHeight / std::max(lineHeight, 1), textRect};
}

} // namespace orvo
