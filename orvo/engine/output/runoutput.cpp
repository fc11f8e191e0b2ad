#include "output/runoutput.h"

namespace orvo {

SubtitleEncoder::~SubtitleEncoder() = default;
RunOutput::~RunOutput() = default;

} // namespace orvo
