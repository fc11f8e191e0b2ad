#include "output/bdn/bdnoutput.h"

#include "model/texts.h"
#include "output/imagename.h"
#include "output/inkpicture.h"
#include "output/palettepng.h"
#include "output/runfiles.h"
#include "render/owncanvasdrawer.h"
#include "time/timecode.h"

#include <utility>

namespace orvo {
namespace {

constexpr std::string_view kImageExtension = "png";
constexpr int kBitsPerPixel = 8;

// The colour tables of the encoders' pictures are their own: each thread draws on its canvas.
class BdnEncoder : public SubtitleEncoder {
public:
    BdnEncoder(const RenderSettings& look, const SubtitleRenderer& renderer, bool testMode)
        : m_drawer(look, renderer)
        , m_testMode(testMode) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t /*index*/,
                           QImage& canvas) override {
        EncodedSubtitle encoded;
        encoded.rendered = m_drawer.Draw(subtitle, canvas);
        const InkPicture ink = IndexedInk(canvas, encoded.rendered.drawn);
        encoded.offset = ink.position;
        encoded.size = ink.size;
        if (!m_testMode) {
            const QImage picture = ink.Picture();
            encoded.bytes =
                EncodePalettePng(picture, picture.rect(), ink.colourTable, kBitsPerPixel);
            if (encoded.bytes.empty()) {
                encoded.reason = "the picture cannot be coded as PNG";
            }
        }
        return encoded;
    }

private:
    OwnCanvasDrawer m_drawer;
    bool m_testMode;
};

} // namespace

BdnOutput::BdnOutput(const OutputContext& context, ShownTimes shown, BdnTrack track)
    : m_look(context.look)
    , m_parameters(context.parameters)
    , m_store(context.store)
    , m_shown(std::move(shown))
    , m_track(std::move(track))
    , m_listingPath(ListingPath(context.parameters, "xml"))
    , m_testMode(context.testMode) {}

bool BdnOutput::Begin(GenerationHost& /*host*/, RunOutcome& outcome) {
    ReportCuts(m_shown, m_store, outcome);
    return m_testMode || !StopForFolder(m_listingPath, outcome);
}

std::string BdnOutput::ImageFileName(int number) const {
    return ListFolder(m_parameters) + ImageFileTitle(m_parameters.ImgName, number, kImageExtension);
}

std::unique_ptr<SubtitleEncoder> BdnOutput::MakeEncoder(const SubtitleRenderer& renderer) const {
    return std::make_unique<BdnEncoder>(m_look, renderer, m_testMode);
}

RunOutput::Saved BdnOutput::Save(const EncodedSubtitle& encoded, std::size_t index, int number,
                                 GenerationHost& host) {
    const std::string file = ImageFileName(number);
    if (!encoded.reason.empty()) {
        host.WriteFailed(file, encoded.reason);
        return Saved::Failed;
    }
    if (!m_testMode) {
        const std::error_code error = m_replacer.Replace(
            file, [&encoded](int fd) { return kestrum::WriteAll(fd, encoded.bytes); });
        if (error) {
            host.WriteFailed(file, error.message());
            return IsFolderRefusal(error) ? Saved::FolderRefused : Saved::Failed;
        }
    }
    const SubtitleTimes& times = m_shown.times.at(index);
    m_events.push_back({ImageFileTitle(m_parameters.ImgName, number, kImageExtension),
                        QRect(encoded.offset, encoded.size),
                        FrameAtTime(times.startMicroseconds, m_track.rate),
                        FrameAtTime(times.endMicroseconds, m_track.rate), m_parameters.forced});
    return m_testMode ? Saved::TestMode : Saved::Written;
}

void BdnOutput::Finish(std::span<const NumberedSubtitle> /*written*/, GenerationHost& host,
                       RunOutcome& outcome) {
    if (IsTheList(m_listingPath, m_parameters)) {
        CountFailure(m_listingPath, texts::kIsTheList, host, outcome);
        return;
    }
    const std::string text = FormatBdnListing(m_track, m_events);
    if (const std::error_code error = kestrum::ReplaceFile(
            m_listingPath, [&text](int fd) { return kestrum::WriteText(fd, text); })) {
        CountFailure(m_listingPath, error.message(), host, outcome);
    }
}

} // namespace orvo
