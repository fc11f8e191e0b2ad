#pragma once

#include "output/spumux/spumuxwriter.h"
#include "output/subpictureoutput.h"

#include <vector>

namespace orvo {

// A run's output for the authoring tool: each subtitle drawn in its four classes, written as a
// palette PNG at its times, and the control file that lists the pictures written.
class SpumuxOutput : public SubpictureOutput {
public:
    // times: one per subtitle of the store, as ReadStoreTimes gives them; listPath: the
    // subtitle list, which the control file must never replace.
    SpumuxOutput(const RenderSettings& settings, SpumuxWriter::Options options,
                 std::vector<SubtitleTimes> times, std::string listPath = {});

    // The control file comes at the end: its folder is asked before the run.
    bool Begin(GenerationHost& host, RunOutcome& outcome) override;
    std::string ImageFileName(int number) const override;
    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override;
    Saved Save(const EncodedSubtitle& encoded, std::size_t index, int number,
               GenerationHost& host) override;

    // Replaces the control file with the pictures written so far, also after a stopped run.
    void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                RunOutcome& outcome) override;

private:
    std::string m_folder;
    std::string m_imageName;
    std::string m_controlPath;
    std::string m_listPath;
    bool m_testMode;
    SpumuxWriter m_writer;
};

} // namespace orvo
