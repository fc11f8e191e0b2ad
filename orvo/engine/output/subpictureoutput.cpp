#include "output/subpictureoutput.h"

#include "render/dvdcolours.h"

#include <utility>

namespace orvo {

SubpictureDrawer::SubpictureDrawer(const RenderSettings& settings, const SubtitleRenderer& renderer)
    : m_renderer(renderer)
    , m_keyedLook(KeyedLook(settings)) {
    m_subpicture.colours = DvdClassColours(settings);
}

const Subpicture& SubpictureDrawer::Draw(const Subtitle& subtitle, const SubtitleTimes& times,
                                         QImage& canvas, RenderResult& rendered) {
    rendered = m_renderer.RenderSubtitle(m_keyedLook, subtitle, canvas);
    PaintDvdClasses(canvas, m_keyedLook.AntiAlias, m_subpicture.colours, &m_subpicture.classes);
    m_subpicture.startMicroseconds = times.startMicroseconds;
    m_subpicture.endMicroseconds = times.endMicroseconds;
    return m_subpicture;
}

SubpictureOutput::SubpictureOutput(const RenderSettings& settings, std::vector<SubtitleTimes> times)
    : m_settings(settings)
    , m_times(std::move(times)) {}

} // namespace orvo
