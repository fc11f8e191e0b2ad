#pragma once

#include "output/dvdsubpicture.h"
#include "output/runoutput.h"
#include "render/owncanvasdrawer.h"
#include "time/subtitletimes.h"

#include <cstddef>
#include <vector>

namespace orvo {

// Draws subtitles of one thread in their four classes. Where the run shows the canvas, it is
// painted in their colours as a player will show them; elsewhere it keeps the drawing's keys,
// and each subtitle touches only the rows of its own text and of the one before.
class SubpictureDrawer {
public:
    SubpictureDrawer(const RenderSettings& settings, const SubtitleRenderer& renderer);

    // The subtitle drawn, at times; it stays valid until the next call. shown: the run shows
    // the canvas.
    const Subpicture& Draw(const Subtitle& subtitle, const SubtitleTimes& times, QImage& canvas,
                           RenderResult& rendered, bool shown);

private:
    RenderSettings m_keyedLook;
    OwnCanvasDrawer m_drawer; // of m_keyedLook
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
