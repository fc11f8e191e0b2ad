#include "subpictureoutput.h"

#include "dvdcolours.h"

#include <utility>

namespace orvo {

SubpictureOutput::SubpictureOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                                   std::vector<SubtitleTimes> times)
    : m_renderer(renderer)
    , m_keyedLook(KeyedLook(settings))
    , m_times(std::move(times)) {
    m_subpicture.colours = DvdClassColours(settings);
}

RenderResult SubpictureOutput::Draw(const std::string& text, QImage& canvas) {
    const RenderResult result = m_renderer.RenderSubtitle(m_keyedLook, text, canvas);
    PaintDvdClasses(canvas, m_keyedLook.AntiAlias, m_subpicture.colours, &m_subpicture.classes);
    return result;
}

const Subpicture& SubpictureOutput::DrawnAt(std::size_t index) {
    m_subpicture.startMicroseconds = m_times.at(index).startMicroseconds;
    m_subpicture.endMicroseconds = m_times.at(index).endMicroseconds;
    return m_subpicture;
}

} // namespace orvo
