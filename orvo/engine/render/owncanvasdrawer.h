#pragma once

#include "model/rendersettings.h"
#include "model/subtitle.h"
#include "render/subtitlerenderer.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace orvo {

// Draws subtitles in a look on a canvas that is one encoder's alone: after a subtitle, the rows
// outside those it drew are known to hold the background, and only the others are filled for
// the next. A canvas of another size is filled whole.
class OwnCanvasDrawer {
public:
    OwnCanvasDrawer(const RenderSettings& settings, const SubtitleRenderer& renderer)
        : m_settings(settings)
        , m_renderer(renderer) {}

    RenderResult Draw(const Subtitle& subtitle, QImage& canvas) {
        const bool known = m_drawn && canvas.size() == m_drawnCanvas;
        const RenderResult result =
            m_renderer.RenderSubtitle(m_settings, subtitle, canvas, known ? &*m_drawn : nullptr);
        m_drawn = result.drawn;
        m_drawnCanvas = canvas.size();
        return result;
    }

    // The canvas was written since it was drawn: the next drawing fills it whole.
    void Forget() { m_drawn.reset(); }

private:
    const RenderSettings& m_settings;
    const SubtitleRenderer& m_renderer;
    std::optional<CanvasRows> m_drawn; // of the canvas as last drawn
    QSize m_drawnCanvas;
};

} // namespace orvo
