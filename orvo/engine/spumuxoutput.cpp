#include "spumuxoutput.h"

#include <system_error>
#include <utility>

namespace orvo {

SpumuxOutput::SpumuxOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                           SpumuxWriter::Options options, std::vector<SubtitleTimes> times)
    : SubpictureOutput(settings, renderer, std::move(times))
    , m_folder(options.folder)
    , m_imageName(options.imageName)
    , m_controlPath(options.controlPath)
    , m_writer(std::move(options)) {}

std::string SpumuxOutput::ImageFileName(int number) const {
    return m_folder + m_imageName + "." + std::to_string(number) + ".png";
}

// In test mode the writer lists the picture without writing it, so that the control file
// shows the run.
RunOutput::Saved SpumuxOutput::Save(const QImage& /*canvas*/, std::size_t index, int number,
                                    GenerationHost& host) {
    if (const std::error_code error = m_writer.Add(DrawnAt(index), number)) {
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
