#include "output/spumux/spumuxoutput.h"

#include "model/texts.h"
#include "output/runfiles.h"

#include <kestrum/util/fileio.h>

#include "output/imagename.h"

#include <system_error>
#include <utility>

namespace orvo {
namespace {

class SpumuxEncoder : public SubtitleEncoder {
public:
    SpumuxEncoder(const RenderSettings& settings, const SubtitleRenderer& renderer,
                  const SpumuxWriter& writer, const std::vector<SubtitleTimes>& times)
        : m_drawer(settings, renderer)
        , m_writer(writer)
        , m_times(times) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t index, QImage& canvas) override {
        EncodedSubtitle encoded;
        const Subpicture& drawn =
            m_drawer.Draw(subtitle, m_times.at(index), canvas, encoded.rendered, CanvasShown());
        SpumuxPicture picture;
        if (const std::error_code error = m_writer.Encode(drawn, picture)) {
            encoded.reason = error.message();
            return encoded;
        }
        encoded.bytes = std::move(picture.png);
        encoded.offset = picture.offset;
        return encoded;
    }

private:
    SubpictureDrawer m_drawer;
    const SpumuxWriter& m_writer;
    const std::vector<SubtitleTimes>& m_times;
};

} // namespace

SpumuxOutput::SpumuxOutput(const RenderSettings& settings, SpumuxWriter::Options options,
                           std::vector<SubtitleTimes> times, std::string listPath)
    : SubpictureOutput(settings, std::move(times))
    , m_folder(options.folder)
    , m_imageName(options.imageName)
    , m_controlPath(options.controlPath)
    , m_listPath(std::move(listPath))
    , m_testMode(options.testMode)
    , m_writer(std::move(options)) {}

bool SpumuxOutput::Begin(GenerationHost& /*host*/, RunOutcome& outcome) {
    return m_testMode || !StopForFolder(m_controlPath, outcome);
}

std::string SpumuxOutput::ImageFileName(int number) const {
    return m_folder + ImageFileTitle(m_imageName, number, "png");
}

std::unique_ptr<SubtitleEncoder> SpumuxOutput::MakeEncoder(const SubtitleRenderer& renderer) const {
    return std::make_unique<SpumuxEncoder>(Settings(), renderer, m_writer, Times());
}

// In test mode the writer lists the picture without writing it, so that the control file
// shows the run.
RunOutput::Saved SpumuxOutput::Save(const EncodedSubtitle& encoded, std::size_t index, int number,
                                    GenerationHost& host) {
    if (!encoded.reason.empty()) {
        host.WriteFailed(ImageFileName(number), encoded.reason);
        return Saved::Failed;
    }
    const SubtitleTimes& times = TimesAt(index);
    const SpumuxPicture picture{encoded.bytes, encoded.offset, times.startMicroseconds,
                                times.endMicroseconds};
    if (const std::error_code error = m_writer.Add(picture, number)) {
        host.WriteFailed(ImageFileName(number), error.message());
        return IsFolderRefusal(error) ? Saved::FolderRefused : Saved::Failed;
    }
    return host.IsTestMode() ? Saved::TestMode : Saved::Written;
}

void SpumuxOutput::Finish(std::span<const NumberedSubtitle> /*written*/, GenerationHost& host,
                          RunOutcome& outcome) {
    if (kestrum::IsSameFile(m_controlPath, m_listPath)) {
        CountFailure(m_controlPath, texts::kIsTheList, host, outcome);
    } else if (const std::error_code error = m_writer.WriteControl()) {
        CountFailure(m_controlPath, error.message(), host, outcome);
    }
}

} // namespace orvo
