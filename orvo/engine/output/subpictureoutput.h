#pragma once

#include "output/dvdsubpicture.h"
#include "output/runoutput.h"
#include "time/subtitletimes.h"

#include <cstddef>
#include <vector>

namespace orvo {

// Draws subtitles of one thread in their four classes, shown on the canvas in their colours as
// a player will show them.
class SubpictureDrawer {
public:
    SubpictureDrawer(const RenderSettings& settings, const SubtitleRenderer& renderer);

    // The subtitle drawn, at times; it stays valid until the next call.
    const Subpicture& Draw(const Subtitle& subtitle, const SubtitleTimes& times, QImage& canvas,
                           RenderResult& rendered);

private:
    const SubtitleRenderer& m_renderer;
    RenderSettings m_keyedLook;
    Subpicture m_subpicture;
};

// The part that both DVD subpicture outputs share: the look and the times of the subtitles of
// the store.
class SubpictureOutput : public RunOutput {
public:
    // times: one per subtitle of the store, as ReadStoreTimes gives them.
    SubpictureOutput(const RenderSettings& settings, std::vector<SubtitleTimes> times);

protected:
    const RenderSettings& Settings() const { return m_settings; }
    const SubtitleTimes& TimesAt(std::size_t index) const { return m_times.at(index); }
    const std::vector<SubtitleTimes>& Times() const { return m_times; }

private:
    const RenderSettings& m_settings;
    std::vector<SubtitleTimes> m_times;
};

} // namespace orvo
