#include "output/pgs/pgsoutput.h"

#include "model/canvasspec.h"
#include "output/inkpicture.h"
#include "output/runfiles.h"
#include "render/owncanvasdrawer.h"

#include <kestrum/util/fileio.h>

#include <utility>

namespace orvo {
namespace {

static_assert(kInkTransparent == kPgsTransparent, "the ink's transparent index is the stream's");

// The stream's clock ticks 90000 times a second.
std::int64_t Ticks(std::int64_t microseconds) {
    return (microseconds * 9 + 50) / 100;
}

// Draws, indexes and codes on the encoder's thread; the writer only strings the objects
// together.
class PgsEncoder : public SubtitleEncoder {
public:
    PgsEncoder(const RenderSettings& look, const SubtitleRenderer& renderer, bool testMode)
        : m_drawer(look, renderer)
        , m_videoHeight(CanvasOf(look).height)
        , m_testMode(testMode) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t /*index*/,
                           QImage& canvas) override {
        EncodedSubtitle encoded;
        encoded.rendered = m_drawer.Draw(subtitle, canvas);
        if (m_testMode) {
            return encoded;
        }
        const InkPicture ink = IndexedInk(canvas, encoded.rendered.drawn);
        if (std::optional<PgsObject> object = CodePgsObject(ink, m_videoHeight)) {
            encoded.coded = std::move(*object);
        } else {
            encoded.reason = "its picture does not fit in the stream";
        }
        return encoded;
    }

private:
    OwnCanvasDrawer m_drawer;
    int m_videoHeight;
    bool m_testMode;
};

} // namespace

PgsOutput::PgsOutput(const OutputContext& context, ShownTimes shown, std::uint8_t rateCode)
    : m_look(context.look)
    , m_store(context.store)
    , m_shown(std::move(shown))
    , m_path(ListingPath(context.parameters, "sup"))
    , m_firstNumber(context.parameters.StartIndex)
    , m_forced(context.parameters.forced)
    , m_testMode(context.testMode)
    , m_writer(CanvasOf(context.look).Size(), rateCode) {}

bool PgsOutput::Begin(GenerationHost& /*host*/, RunOutcome& outcome) {
    ReportCuts(m_shown, m_store, outcome);
    return m_testMode || !StopForFolder(m_path, outcome);
}

std::string PgsOutput::ImageFileName(int number) const {
    const auto index = static_cast<std::size_t>(number - m_firstNumber);
    return "subtitle " + std::to_string(number) + " (" +
           ClockTime(m_shown.times.at(index).startMicroseconds) + ")";
}

std::unique_ptr<SubtitleEncoder> PgsOutput::MakeEncoder(const SubtitleRenderer& renderer) const {
    return std::make_unique<PgsEncoder>(m_look, renderer, m_testMode);
}

RunOutput::Saved PgsOutput::Save(const EncodedSubtitle& encoded, std::size_t index, int number,
                                 GenerationHost& host) {
    if (const std::optional<Saved> notAdded = NotAdded(encoded, number, m_testMode, host)) {
        return *notAdded;
    }
    const SubtitleTimes& times = m_shown.times.at(index);
    if (!m_writer.Add(std::any_cast<const PgsObject&>(encoded.coded),
                      Ticks(times.startMicroseconds), Ticks(times.endMicroseconds), m_forced)) {
        host.WriteFailed(ImageFileName(number),
                         "its times or its picture do not fit in the stream");
        return Saved::Failed;
    }
    if (!m_stream.Append(m_writer.TakeBytes())) {
        host.WriteFailed(ImageFileName(number), "the stream cannot be kept in a temporary file: " +
                                                    m_stream.Error().message());
        return Saved::Failed;
    }
    return Saved::Written;
}

void PgsOutput::Finish(std::span<const NumberedSubtitle> /*written*/, GenerationHost& host,
                       RunOutcome& outcome) {
    if (m_testMode) {
        return;
    }
    // A stream that lost a subtitle's segments would show the later ones wrong: none is written.
    std::error_code error = m_stream.Error();
    if (!error) {
        error = kestrum::ReplaceFile(m_path, [this](int fd) { return m_stream.CopyTo(fd); });
    }
    if (error) {
        CountFailure(m_path, error.message(), host, outcome);
    }
}

} // namespace orvo
