#pragma once

#include "output/bluray/showntimes.h"
#include "output/outputformat.h"
#include "output/pgs/pgsstream.h"
#include "output/runoutput.h"
#include "output/spoolfile.h"

#include <string>

namespace orvo {

// A run's output for Blu-ray discs and Matroska files: each subtitle drawn in full colour, its
// ink coded as an object of the stream LIST.sup, shown at its times as a disc shows them. The
// stream is kept in a temporary file as it grows and written at the end, with the subtitles
// coded so far, also after a stopped run.
class PgsOutput : public RunOutput {
public:
    // rateCode as PgsFrameRateCode gives it for the run's rate.
    PgsOutput(const OutputContext& context, ShownTimes shown, std::uint8_t rateCode);

    bool Begin(GenerationHost& host, RunOutcome& outcome) override;
    // "subtitle N (HH:MM:SS.mmm)": the stream has no file per subtitle.
    std::string ImageFileName(int number) const override;
    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override;
    Saved Save(const EncodedSubtitle& encoded, std::size_t index, int number,
               GenerationHost& host) override;
    void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                RunOutcome& outcome) override;

private:
    const RenderSettings& m_look;
    const SubtitleStore& m_store;
    ShownTimes m_shown;
    std::string m_path;
    int m_firstNumber;
    bool m_forced;
    bool m_testMode;
    PgsStreamWriter m_writer;
    SpoolFile m_stream;
};

} // namespace orvo
