#pragma once

#include "output/bdn/bdnlisting.h"
#include "output/bluray/showntimes.h"
#include "output/outputformat.h"
#include "output/runoutput.h"

#include <kestrum/util/fileio.h>

#include <string>
#include <vector>

namespace orvo {

// A run's output for Blu-ray authoring: each subtitle drawn in full colour, its ink written as
// an 8-bit palette PNG with alpha, and the listing LIST.xml of the pictures written, at the
// times they show on a disc.
class BdnOutput : public RunOutput {
public:
    BdnOutput(const OutputContext& context, ShownTimes shown, BdnTrack track);

    // The listing comes at the end: its folder is asked before the run.
    bool Begin(GenerationHost& host, RunOutcome& outcome) override;
    std::string ImageFileName(int number) const override;
    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override;
    // In test mode the picture is listed without being written, so that the listing shows the
    // run.
    Saved Save(const EncodedSubtitle& encoded, std::size_t index, int number,
               GenerationHost& host) override;
    // Replaces the listing with the pictures written so far, also after a stopped run.
    void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                RunOutcome& outcome) override;

private:
    const RenderSettings& m_look;
    const RunParameters& m_parameters;
    const SubtitleStore& m_store;
    ShownTimes m_shown;
    BdnTrack m_track;
    std::string m_listingPath;
    bool m_testMode;
    kestrum::FileReplacer m_replacer;
    std::vector<BdnEvent> m_events;
};

} // namespace orvo
