#include "output/vobsub/vobsuboutput.h"

#include "output/runfiles.h"

#include <system_error>
#include <utility>

namespace orvo {
namespace {

constexpr const char* kDoesNotFit = "it does not fit in a subpicture";

// The codec's state is its thread's own.
class VobSubEncoder : public SubtitleEncoder {
public:
    VobSubEncoder(const RenderSettings& settings, const SubtitleRenderer& renderer,
                  const VobSubSettings& vobSub, const std::vector<SubtitleTimes>& times,
                  bool testMode)
        : m_drawer(settings, renderer)
        , m_encoder(vobSub.size, vobSub.colours)
        , m_settings(vobSub)
        , m_times(times)
        , m_testMode(testMode) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t index, QImage& canvas) override {
        EncodedSubtitle encoded;
        const Subpicture& drawn =
            m_drawer.Draw(subtitle, m_times.at(index), canvas, encoded.rendered, CanvasShown());
        if (m_testMode) {
            return encoded;
        }
        if (auto unit = EncodeVobSubUnit(m_encoder, drawn, m_settings)) {
            encoded.bytes = std::move(*unit);
        } else {
            encoded.reason = kDoesNotFit;
        }
        return encoded;
    }

private:
    SubpictureDrawer m_drawer;
    DvdSubpictureEncoder m_encoder;
    const VobSubSettings& m_settings;
    const std::vector<SubtitleTimes>& m_times;
    bool m_testMode;
};

} // namespace

VobSubOutput::VobSubOutput(const RenderSettings& settings, const VobSubSettings& vobSub,
                           std::vector<SubtitleTimes> times, std::string base, int firstNumber,
                           bool testMode)
    : SubpictureOutput(settings, std::move(times))
    , m_settings(vobSub)
    , m_writer(vobSub)
    , m_base(std::move(base))
    , m_firstNumber(firstNumber)
    , m_testMode(testMode) {}

std::string VobSubOutput::ImageFileName(int number) const {
    const auto index = static_cast<std::size_t>(number - m_firstNumber);
    return "subtitle " + std::to_string(number) + " (" +
           ClockTime(TimesAt(index).startMicroseconds) + ")";
}

std::unique_ptr<SubtitleEncoder> VobSubOutput::MakeEncoder(const SubtitleRenderer& renderer) const {
    return std::make_unique<VobSubEncoder>(Settings(), renderer, m_settings, Times(), m_testMode);
}

RunOutput::Saved VobSubOutput::Save(const EncodedSubtitle& encoded, std::size_t index, int number,
                                    GenerationHost& host) {
    if (const std::optional<Saved> notAdded = NotAdded(encoded, number, m_testMode, host)) {
        return *notAdded;
    }
    if (!m_writer.Add(encoded.bytes, TimesAt(index).startMicroseconds)) {
        host.WriteFailed(ImageFileName(number), m_writer.AddFailure());
        return Saved::Failed;
    }
    return Saved::Written;
}

bool VobSubOutput::Begin(GenerationHost& /*host*/, RunOutcome& outcome) {
    return m_testMode || !StopForFolder(m_base + ".sub", outcome);
}

void VobSubOutput::Finish(std::span<const NumberedSubtitle> /*written*/, GenerationHost& host,
                          RunOutcome& outcome) {
    if (m_testMode) {
        return;
    }
    std::string failed;
    if (const std::error_code error = m_writer.Write(m_base, &failed)) {
        CountFailure(failed, error.message(), host, outcome);
    }
}

} // namespace orvo
