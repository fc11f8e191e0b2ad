#include "subpictureoutput.h"

#include "dvdcolours.h"

#include <utility>

namespace orvo {

SubpictureOutput::SubpictureOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                                   std::vector<SubtitleTimes> times)
    : m_settings(settings)
    , m_renderer(renderer)
    , m_times(std::move(times)) {
    const std::array<QRgb, 4> colours = DvdClassColours(settings);
    for (std::size_t index = 0; index < colours.size(); ++index) {
        m_subpicture.colours[index] = colours[index] & 0xFFFFFFu;
    }
}

RenderResult SubpictureOutput::Draw(const std::string& text, QImage& canvas) {
    const RenderResult result = m_renderer.RenderSubtitle(KeyedLook(m_settings), text, canvas);
    m_subpicture.classes = DvdClassesOfKeyed(canvas, m_settings.AntiAlias);
    QImage shown = m_subpicture.classes;
    const std::array<QRgb, 4> colours = DvdClassColours(m_settings);
    shown.setColorTable(QList<QRgb>(colours.begin(), colours.end()));
    canvas = shown.convertToFormat(QImage::Format_RGB32);
    return result;
}

const Subpicture& SubpictureOutput::DrawnAt(std::size_t index) {
    m_subpicture.startMicroseconds = m_times.at(index).startMicroseconds;
    m_subpicture.endMicroseconds = m_times.at(index).endMicroseconds;
    return m_subpicture;
}

} // namespace orvo
