#include "output/subpictureoutput.h"

#include "render/dvdcolours.h"

#include <algorithm>
#include <utility>

namespace orvo {

SubpictureDrawer::SubpictureDrawer(const RenderSettings& settings, const SubtitleRenderer& renderer)
    : m_keyedLook(KeyedLook(settings))
    , m_drawer(m_keyedLook, renderer) {
    m_subpicture.colours = DvdClassColours(settings);
}

const Subpicture& SubpictureDrawer::Draw(const Subtitle& subtitle, const SubtitleTimes& times,
                                         QImage& canvas, RenderResult& rendered, bool shown) {
    const CanvasRows before = m_subpicture.rows;
    rendered = m_drawer.Draw(subtitle, canvas);
    if (shown) {
        PaintDvdClasses(canvas, m_keyedLook.AntiAlias, m_subpicture.colours, &m_subpicture.classes);
        m_drawer.Forget();
        m_subpicture.rows = {0, kAllRows};
    } else {
        // The rows of the subtitle before are background again, in the canvas's keys; their
        // classes follow.
        const CanvasRows classed{std::min(before.top, rendered.drawn.top),
                                 std::max(before.bottom, rendered.drawn.bottom)};
        m_subpicture.rows =
            ClassifyDvdKeys(canvas, m_keyedLook.AntiAlias, classed, m_subpicture.classes);
    }
    m_subpicture.startMicroseconds = times.startMicroseconds;
    m_subpicture.endMicroseconds = times.endMicroseconds;
    return m_subpicture;
}

SubpictureOutput::SubpictureOutput(const RenderSettings& settings, std::vector<SubtitleTimes> times)
    : m_settings(settings)
    , m_times(std::move(times)) {}

} // namespace orvo
