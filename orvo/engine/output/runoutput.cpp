#include "output/runoutput.h"

namespace orvo {

SubtitleEncoder::~SubtitleEncoder() = default;
RunOutput::~RunOutput() = default;

std::optional<RunOutput::Saved> RunOutput::NotAdded(const EncodedSubtitle& encoded, int number,
                                                    bool testMode, GenerationHost& host) const {
    if (testMode) {
        return Saved::TestMode;
    }
    if (!encoded.reason.empty()) {
        host.WriteFailed(ImageFileName(number), encoded.reason);
        return Saved::Failed;
    }
    return std::nullopt;
}

} // namespace orvo
