#include "render/subtitlerenderer.h"

#include "render/balancedlines.h"
#include "render/dvdcolours.h"
#include "render/glypheffects.h"
#include "render/pixelfill.h"
#include "render/styledtext.h"

#include <kestrum-gui/colorref.h>
#include <kestrum-gui/displaytext.h>

#include <QColor>
#include <QPainter>
#include <QPoint>

#include <algorithm>
#include <array>
#include <cmath>

#include <sys/mman.h>

namespace orvo {

namespace {

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

// A 16:9 picture in a 4:3 frame is widened by a third when it is shown: its text is drawn a
// quarter narrower, and shows in its own shape.
QFont Narrowed(QFont font, bool anamorphic) {
    constexpr int kAnamorphicStretch = 75;
    if (anamorphic) {
        font.setStretch(kAnamorphicStretch);
    }
    return font;
}

QFont Spaced(QFont font, int spacing) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

int LayoutHeight(QPainter& painter, const QRect& rect, int flags, const QString& text) {
    return painter.boundingRect(rect, flags, text).height();
}

QString WorkingCopy(const QString& text, bool extendBlanks) {
    QString copy = text;
    if (extendBlanks) {
        copy.replace(QLatin1Char(' '), QStringLiteral("  "));
    }
    return copy;
}

int Flags(const RenderSettings& settings) {
    return HorizontalAlignment(settings.Align) | Qt::TextWordWrap;
}

// The fonts a text is drawn with: with the outline both are set apart by its spacing.
struct DrawFonts {
    QFont text;
    QFont outline;
};

DrawFonts FontsFor(const RenderSettings& settings, const QFont& main, const QFont& outline) {
    if (settings.Outline == 0) {
        return {main, outline};
    }
    return {Spaced(main, settings.OutlineSpacing), Spaced(outline, settings.OutlineSpacing)};
}

// The block's height as it is drawn: in the text rectangle's width, with the working copy and
// the fonts that draw it. With the outline or the shadow their own wrapping counts too, since
// the outline font is never antialiased and may break a line elsewhere.
int BlockHeight(QPainter& painter, const QRect& rect, const QString& text,
                const RenderSettings& settings, const DrawFonts& fonts) {
    painter.setFont(fonts.text);
    int height = LayoutHeight(painter, rect, Flags(settings), text);
    if (GlyphEffects::Wanted(settings)) {
        painter.setFont(fonts.outline);
        height = std::max(height, LayoutHeight(painter, rect, Flags(settings), text));
        painter.setFont(fonts.text);
    }
    return height;
}

// Without the outline or the shadow the painter is still opaque, so each line lies on a band
// of the text background; with them, the text is drawn transparent over them, and spaced like
// the outline.
void DrawTextBlock(QPainter& painter, const QRect& rect, const QString& text,
                   const RenderSettings& settings, const DrawFonts& fonts) {
    std::optional<GlyphEffects> effects;
    if (GlyphEffects::Wanted(settings)) {
        effects.emplace(painter, rect, settings, [&](QPainter& layer) {
            layer.setFont(fonts.outline);
            layer.drawText(rect, Flags(settings), text);
        });
        effects->DrawUnder(painter);
        painter.setBackgroundMode(Qt::TransparentMode);
    }
    painter.setFont(fonts.text);
    painter.setPen(kestrum::ToQColor(settings.TextColor));
    // Qt clips only when the laid-out lines overflow; glyphs that reach beyond their cells
    // (the hook of "j") would otherwise leak past the margins.
    painter.setClipRect(rect);
    painter.drawText(rect, Flags(settings), text);
    if (effects) {
        effects->DrawOver(painter);
    }
}

// The lines of a text that can reach the canvas: the block is anchored at the bottom, so of a
// text with more lines than the canvas holds only the last ones are laid out. A list line of a
// million tabs then costs what a full canvas costs. hidden counts the lines left out.
QString ReachableLines(const QString& text, int maxLines, int& hidden) {
    hidden = static_cast<int>(text.count(QLatin1Char('\n'))) + 1 - maxLines;
    if (hidden <= 0) {
        hidden = 0;
        return text;
    }
    qsizetype at = -1;
    for (int line = 0; line < hidden; ++line) {
        at = text.indexOf(QLatin1Char('\n'), at + 1);
    }
    return text.mid(at + 1);
}

// Where a placed block stands on a canvas of size: area spans the margins.
QRect PlaceBlock(const Placement& placement, int align, const RenderSettings& settings,
                 const QSize& size, const QRect& area, const QSize& block) {
    if (placement.position) {
        const double x = placement.position->x * size.width();
        const double y = placement.position->y * size.height();
        const double across = align == 0 ? 0.0 : (align == 2 ? 1.0 : 0.5);
        const double down = placement.row == Placement::Row::Bottom
                                ? 1.0
                                : (placement.row == Placement::Row::Middle ? 0.5 : 0.0);
        return {QPoint(static_cast<int>(std::lround(x - across * block.width())),
                       static_cast<int>(std::lround(y - down * block.height()))),
                block};
    }
    int top = size.height() - settings.VerticalOffset - block.height();
    if (placement.row == Placement::Row::Top) {
        top = settings.VerticalOffset;
    } else if (placement.row == Placement::Row::Middle) {
        top = (size.height() - block.height()) / 2;
    }
    return {QPoint(area.left(), top), QSize(area.width(), block.height())};
}

// The two formats of a canvas: four bytes a pixel, rows without padding.
bool IsCanvasFormat(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

QColor BackgroundOf(const RenderSettings& settings) {
    return settings.Transparent ? QColor(Qt::transparent) : kestrum::ToQColor(settings.BkgColor);
}

// Most of a canvas is the background of the subtitle before: filling only the rows that held
// its text spares writing the whole frame for every subtitle.
void FillBackground(QImage& canvas, const QColor& background, const CanvasRows* stale) {
    if (stale == nullptr || !IsCanvasFormat(canvas.format())) {
        canvas.fill(background);
        return;
    }
    const auto [top, bottom] = stale->ClampedTo(canvas.height());
    if (top == bottom) {
        return;
    }
    // A canvas row is whole pixels with no padding, so the rows are one stretch.
    FillPixels(reinterpret_cast<std::uint32_t*>(canvas.scanLine(top)),
               static_cast<std::size_t>(bottom - top) * static_cast<std::size_t>(canvas.width()),
               qPremultiply(background.rgba()));
}

// The text is clipped to its rectangle; the outline and the shadow are copies of it that reach
// beyond it by their widths.
CanvasRows DrawnRows(const QRect& textRect, const RenderSettings& settings, int height) {
    const int reach = GlyphEffects::Reach(settings);
    return CanvasRows{textRect.top() - reach, textRect.bottom() + 1 + reach}.ClampedTo(height);
}

// A canvas's memory, mapped, and how much of it: the image hands it back when it goes.
struct CanvasMemory {
    void* memory;
    std::size_t bytes;
};

void UnmapCanvas(void* mapping) {
    const auto* canvas = static_cast<CanvasMemory*>(mapping);
    munmap(canvas->memory, canvas->bytes);
    delete canvas;
}

// A canvas's memory taken with its pages already in place: the first fill touches all of it,
// and four hundred page faults cost about a millisecond more per canvas on a virtual machine.
QImage CanvasImage(const CanvasSpec& spec, QImage::Format format) {
    const int rowBytes = spec.width * static_cast<int>(sizeof(QRgb));
    const std::size_t bytes =
        static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(spec.height);
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) {
        return {spec.Size(), format};
    }
    return {static_cast<uchar*>(memory),    spec.width, spec.height, rowBytes, format, UnmapCanvas,
            new CanvasMemory{memory, bytes}};
}

} // namespace

QImage MakeCanvas(const CanvasSpec& spec) {
    QImage canvas = CanvasImage(spec, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    return canvas;
}

QImage MakeCanvas(const RenderSettings& look) {
    if (!look.Transparent) {
        return MakeCanvas(CanvasOf(look));
    }
    QImage canvas = CanvasImage(CanvasOf(look), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

SubtitleRenderer::SubtitleRenderer(const RenderSettings& settings) {
    RebuildFonts(settings);
}

// The height of a line of the main font; it is laid out once for each font and resolution, as
// every subtitle of a run needs it.
int SubtitleRenderer::LineHeight(QPainter& painter, int dpi, const QRect& measure) const {
    if (!m_lineHeight || m_lineHeight->dpi != dpi) {
        m_lineHeight = MeasuredLine{
            dpi,
            std::max(LayoutHeight(painter, measure, Qt::TextWordWrap, QStringLiteral("x")), 1)};
    }
    return m_lineHeight->height;
}

void SubtitleRenderer::RebuildFonts(const RenderSettings& settings) {
    m_lineHeight.reset();
    // The pixels of HD video are square: no player widens its picture.
    const bool anamorphic = settings.Anamorphic && !IsHighDefinition(CanvasOf(settings));
    m_mainFont =
        Narrowed(WithQuality(settings.Font, settings.AntiAlias ? LOGFONT::kAntialiasedQuality
                                                               : LOGFONT::kNonAntialiasedQuality)
                     .ToQFont(),
                 anamorphic);
    m_outlineFont =
        Narrowed(WithQuality(settings.Font, LOGFONT::kNonAntialiasedQuality).ToQFont(), anamorphic);
}

namespace {

// A drawing in the look's keys, then every pixel painted in its DVD class's colour; the classes
// repaint every pixel, so all rows count as drawn.
template <typename Draw>
RenderResult InDvdClasses(const RenderSettings& settings, QImage& canvas, Draw draw) {
    RenderResult result = draw(KeyedLook(settings));
    PaintDvdClasses(canvas, settings.AntiAlias, DvdClassColours(settings));
    result.drawn = {0, canvas.height()};
    return result;
}

} // namespace

// The block is anchored at the canvas bottom and grows upward to hold every line it draws; a
// block that reaches above the canvas top is reported as cut off.
RenderResult SubtitleRenderer::RenderSubtitle(const RenderSettings& settings,
                                              const std::string& text, QImage& canvas,
                                              const CanvasRows* stale) const {
    if (settings.DvdColors) {
        return InDvdClasses(settings, canvas, [&](const RenderSettings& keyed) {
            return RenderSubtitle(keyed, text, canvas);
        });
    }
    QString decoded = kestrum::DecodeText(text);
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    FillBackground(canvas, BackgroundOf(settings), stale);
    QPainter painter(&canvas);
    painter.setFont(m_mainFont);
    painter.setBackground(kestrum::ToQColor(settings.TextBkgColor));
    painter.setBackgroundMode(Qt::OpaqueMode);

    const CanvasSpec& spec = CanvasOf(settings);
    const int lineHeight = LineHeight(painter, canvas.logicalDpiY(), spec.measure);
    int hiddenLines = 0;
    QString working =
        WorkingCopy(ReachableLines(decoded, canvas.height() / lineHeight + 2, hiddenLines),
                    settings.ExtendBlanks);
    const DrawFonts fonts = FontsFor(settings, m_mainFont, m_outlineFont);
    const int bottom = canvas.height() - settings.VerticalOffset;
    QRect textRect(QPoint(spec.measure.left() + settings.LeftMargin, 0),
                   QPoint(spec.measure.right() - settings.RightMargin, bottom - 1));
    // Margins that meet or cross leave no room for text; Qt would otherwise draw into the
    // flipped rectangle. The lines are then counted at the full width, and none is drawn.
    const bool room = textRect.width() > 0;
    const QRect measureRect = room ? textRect : spec.measure;
    if (settings.BalancedBreaks) {
        working = BalancedLines(working, QFontMetricsF(fonts.text, &canvas), measureRect.width());
    }
    const int textHeight = BlockHeight(painter, measureRect, working, settings, fonts);
    textRect.setTop(bottom - textHeight);
    if (settings.Box) {
        painter.fillRect(QRect(0, textRect.top(), spec.width, textHeight),
                         kestrum::ToQColor(settings.TextBkgColor));
    }
    if (room) {
        DrawTextBlock(painter, textRect, working, settings, fonts);
    }

    RenderResult result;
    // Qt stacks lines at the rounded-up line spacing, a pixel or so more than the height of
    // "x"; the quotient therefore runs one high only from about lineHeight lines on, far
    // beyond what a subtitle holds.
    result.lines = hiddenLines + textHeight / lineHeight;
    result.textRect = textRect;
    result.cutOff = !decoded.isEmpty() && (!room || hiddenLines > 0 || textRect.top() < 0);
    result.drawn = DrawnRows(textRect, settings, canvas.height());
    return result;
}

// A plain subtitle at the bottom is drawn as its text always was: its bytes stay as they were.
RenderResult SubtitleRenderer::RenderSubtitle(const RenderSettings& settings,
                                              const Subtitle& subtitle, QImage& canvas,
                                              const CanvasRows* stale) const {
    if (!subtitle.lines.HasEmphasis() && subtitle.placement.IsDefault()) {
        return RenderSubtitle(settings, subtitle.Text(), canvas, stale);
    }
    if (settings.DvdColors) {
        return InDvdClasses(settings, canvas, [&](const RenderSettings& keyed) {
            return RenderStyled(keyed, subtitle, canvas, nullptr);
        });
    }
    return RenderStyled(settings, subtitle, canvas, stale);
}

// The lines laid out by Qt in their emphasis, and placed where the file says: at the bottom
// margin, at the top (the bottom margin serves as the top's), in the middle, or at the file's
// position, which anchors the block by its alignment.
RenderResult SubtitleRenderer::RenderStyled(const RenderSettings& settings,
                                            const Subtitle& subtitle, QImage& canvas,
                                            const CanvasRows* stale) const {
    FillBackground(canvas, BackgroundOf(settings), stale);
    QPainter painter(&canvas);
    painter.setFont(m_mainFont);
    const CanvasSpec& spec = CanvasOf(settings);
    const int lineHeight = LineHeight(painter, canvas.logicalDpiY(), spec.measure);
    const Placement& placement = subtitle.placement;
    const bool upward = placement.row == Placement::Row::Bottom && !placement.position;
    const int maxLines = canvas.height() / lineHeight + 2;
    const DrawFonts fonts = FontsFor(settings, m_mainFont, m_outlineFont);
    StyledText text(subtitle, fonts.text, settings.ExtendBlanks, maxLines, upward, &canvas);
    // The glyphs as the outline font draws them, for the outline and the shadow.
    std::optional<StyledText> outline;
    if (GlyphEffects::Wanted(settings)) {
        outline.emplace(subtitle, fonts.outline, settings.ExtendBlanks, maxLines, upward, &canvas);
    }
    const int align = placement.align.value_or(settings.Align);
    const QRect area(QPoint(spec.measure.left() + settings.LeftMargin, 0),
                     QPoint(spec.measure.right() - settings.RightMargin, canvas.height() - 1));
    // Margins that meet or cross leave no room for text: it is measured at the full width, and
    // none is drawn.
    const bool room = area.width() > 0;
    const auto layOut = [&](qreal width) {
        int height = text.Layout(width, HorizontalAlignment(align), settings.BalancedBreaks);
        if (outline) {
            height = std::max(height, outline->Layout(width, HorizontalAlignment(align),
                                                      settings.BalancedBreaks));
        }
        return height;
    };
    int height = layOut(room ? area.width() : spec.measure.width());
    int width = area.width();
    if (placement.position) {
        // The block is as wide as its widest line, so that its alignment anchors it.
        width = static_cast<int>(std::ceil(text.NaturalWidth()));
        height = layOut(width);
    }
    const QRect block =
        PlaceBlock(placement, align, settings, canvas.size(), area, QSize(width, height));
    if (settings.Box) {
        painter.fillRect(QRect(0, block.top(), spec.width, height),
                         kestrum::ToQColor(settings.TextBkgColor));
    }
    if (room) {
        std::optional<GlyphEffects> effects;
        if (outline) {
            effects.emplace(painter, block, settings, [&](QPainter& layer) {
                outline->Draw(layer, block.topLeft(), Qt::transparent);
            });
            effects->DrawUnder(painter);
        }
        painter.setPen(kestrum::ToQColor(settings.TextColor));
        painter.setClipRect(block);
        text.Draw(painter, block.topLeft(),
                  outline ? QColor(Qt::transparent) : kestrum::ToQColor(settings.TextBkgColor));
        if (effects) {
            effects->DrawOver(painter);
        }
    }
    RenderResult result;
    result.lines = text.Lines();
    result.textRect = block;
    result.cutOff = !room || text.LeftOut() || block.top() < 0 || block.bottom() >= canvas.height();
    result.drawn = DrawnRows(block, settings, canvas.height());
    return result;
}

} // namespace orvo
