#pragma once

#include "model/canvasspec.h"
#include "model/rendersettings.h"
#include "model/subtitle.h"

#include <QFont>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <optional>
#include <string>

class QPainter;

namespace orvo {

// A blank canvas of that picture's size, every pixel white.
QImage MakeCanvas(const CanvasSpec& spec);

// The canvas a look draws on: its size, and with alpha, every pixel transparent, when the look
// leaves its background transparent.
QImage MakeCanvas(const RenderSettings& look);

// Rows top to bottom - 1 of a canvas.
struct CanvasRows {
    int top = 0;
    int bottom = 0;

    // The rows that lie on a canvas of height rows, top never below bottom.
    CanvasRows ClampedTo(int height) const {
        const int first = std::clamp(top, 0, height);
        return {first, std::max(first, std::clamp(bottom, 0, height))};
    }
};

struct RenderResult {
    int lines = 0;       // text lines as drawn, between the margins
    QRect textRect;      // the text block after the margins, in canvas coordinates
    bool cutOff = false; // some of the text could not be drawn: it reaches above the canvas
    // The rows that the drawing may have changed: every row outside holds the look's
    // background colour. They are known from where the text block is clipped, so no one has to
    // search the canvas for them.
    CanvasRows drawn;
};

// Draws one subtitle onto the canvas. It owns the two fonts made from the look: the main font
// (antialiased when the look says so) and the outline font (never antialiased).
class SubtitleRenderer {
public:
    explicit SubtitleRenderer(const RenderSettings& settings);

    // Remakes both fonts; call it whenever Font, AntiAlias or Anamorphic changes.
    void RebuildFonts(const RenderSettings& settings);

    // text holds the subtitle's bytes with CR LF between its lines; it is drawn as UTF-8 when
    // it is valid UTF-8 and as Windows-1252 otherwise. Every pixel of canvas is overwritten;
    // with DvdColors each in the colour of the class of the layer that drew it.
    // stale, when given, says that every row of the canvas outside it holds the look's
    // background colour already: only its rows are filled before the text is drawn.
    RenderResult RenderSubtitle(const RenderSettings& settings, const std::string& text,
                                QImage& canvas, const CanvasRows* stale = nullptr) const;

    // The subtitle's lines drawn as above, where its placement puts them.
    RenderResult RenderSubtitle(const RenderSettings& settings, const Subtitle& subtitle,
                                QImage& canvas, const CanvasRows* stale = nullptr) const;

private:
    RenderResult RenderStyled(const RenderSettings& settings, const Subtitle& subtitle,
                              QImage& canvas, const CanvasRows* stale) const;

    // painter draws with the main font on a device of dpi; measure is the canvas's.
    int LineHeight(QPainter& painter, int dpi, const QRect& measure) const;

    struct MeasuredLine {
        int dpi = 0;
        int height = 0;
    };

    QFont m_mainFont;
    QFont m_outlineFont;
    mutable std::optional<MeasuredLine> m_lineHeight; // of m_mainFont
};

} // namespace orvo
