#include "spumuxoutput.h"

#include "dvdcolours.h"

#include <system_error>
#include <utility>

namespace orvo {

SpumuxOutput::SpumuxOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                           SpumuxWriter::Options options, std::vector<SubtitleTimes> times)
    : m_settings(settings)
    , m_renderer(renderer)
    , m_folder(options.folder)
    , m_imageName(options.imageName)
    , m_controlPath(options.controlPath)
    , m_writer(std::move(options))
    , m_times(std::move(times)) {
    const std::array<QRgb, 4> colours = DvdClassColours(settings);
    for (std::size_t index = 0; index < colours.size(); ++index) {
        m_subpicture.colours[index] = colours[index] & 0xFFFFFFu;
    }
}

std::string SpumuxOutput::ImageFileName(int number) const {
    return m_folder + m_imageName + "." + std::to_string(number) + ".png";
}

// The preview shows the classes in their colours, as the tool will.
RenderResult SpumuxOutput::Draw(const std::string& text, QImage& canvas) {
    const RenderResult result = m_renderer.RenderSubtitle(KeyedLook(m_settings), text, canvas);
    m_subpicture.classes = DvdClassesOfKeyed(canvas, m_settings.AntiAlias);
    QImage shown = m_subpicture.classes;
    const std::array<QRgb, 4> colours = DvdClassColours(m_settings);
    shown.setColorTable(QList<QRgb>(colours.begin(), colours.end()));
    canvas = shown.convertToFormat(QImage::Format_RGB32);
    return result;
}

// In test mode the writer lists the picture without writing it, so that the control file
// shows the run.
RunOutput::Saved SpumuxOutput::Save(const QImage& /*canvas*/, std::size_t index, int number,
                                    GenerationHost& host) {
    m_subpicture.startMicroseconds = m_times.at(index).startMicroseconds;
    m_subpicture.endMicroseconds = m_times.at(index).endMicroseconds;
    if (const std::error_code error = m_writer.Add(m_subpicture, number)) {
        host.WriteFailed(ImageFileName(number), error.message());
        return Saved::Failed;
    }
    return host.IsTestMode() ? Saved::TestMode : Saved::Written;
}

bool SpumuxOutput::WriteControl(GenerationHost& host) const {
    if (const std::error_code error = m_writer.WriteControl()) {
        host.WriteFailed(m_controlPath, error.message());
        return false;
    }
    return true;
}

} // namespace orvo
