#pragma once

#include "output/subpictureoutput.h"
#include "output/vobsub/vobsubwriter.h"

#include <string>
#include <vector>

namespace orvo {

// A run's output for players: each subtitle drawn in its four classes and coded as a
// subpicture at its times, and at the end the pair LIST.sub and LIST.idx that holds the
// subtitles coded. There are no image files: a subtitle is named by its number and start.
class VobSubOutput : public SubpictureOutput {
public:
    // base: the pair's path without extension; firstNumber: the number of the store's first
    // subtitle; testMode: nothing is coded or written.
    VobSubOutput(const RenderSettings& settings, const VobSubSettings& vobSub,
                 std::vector<SubtitleTimes> times, std::string base, int firstNumber,
                 bool testMode);

    // The pair comes at the end: its folder is asked before the run.
    bool Begin(GenerationHost& host, RunOutcome& outcome) override;
    // "subtitle N (HH:MM:SS.mmm)".
    std::string ImageFileName(int number) const override;
    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override;
    Saved Save(const EncodedSubtitle& encoded, std::size_t index, int number,
               GenerationHost& host) override;

    // Replaces the pair with the subtitles coded so far, also after a stopped run; nothing in
    // test mode.
    void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                RunOutcome& outcome) override;

private:
    VobSubSettings m_settings;
    VobSubWriter m_writer;
    std::string m_base;
    int m_firstNumber;
    bool m_testMode;
};

} // namespace orvo
