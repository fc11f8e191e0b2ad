#include "vobsuboutput.h"

#include <system_error>
#include <utility>

namespace orvo {

VobSubOutput::VobSubOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                           const VobSubSettings& vobSub, std::vector<SubtitleTimes> times,
                           std::string base, int firstNumber)
    : SubpictureOutput(settings, renderer, std::move(times))
    , m_writer(vobSub)
    , m_base(std::move(base))
    , m_firstNumber(firstNumber) {}

std::string VobSubOutput::ImageFileName(int number) const {
    const auto index = static_cast<std::size_t>(number - m_firstNumber);
    return "subtitle " + std::to_string(number) + " (" +
           FormatIndexTime(TimesAt(index).startMicroseconds / 1000) + ")";
}

RunOutput::Saved VobSubOutput::Save(const QImage& /*canvas*/, std::size_t index, int number,
                                    GenerationHost& host) {
    if (host.IsTestMode()) {
        return Saved::TestMode;
    }
    if (!m_writer.Add(DrawnAt(index))) {
        host.WriteFailed(ImageFileName(number), "it does not fit in a subpicture");
        return Saved::Failed;
    }
    return Saved::Written;
}

bool VobSubOutput::WritePair(GenerationHost& host) const {
    if (host.IsTestMode()) {
        return true;
    }
    if (const std::error_code error = m_writer.Write(m_base)) {
        host.WriteFailed(m_base + ".idx", error.message());
        return false;
    }
    return true;
}

} // namespace orvo
