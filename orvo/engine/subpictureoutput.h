#pragma once

#include "dvdsubpicture.h"
#include "runoutput.h"
#include "subtitletimes.h"

#include <cstddef>
#include <vector>

namespace orvo {

// The part that both DVD subpicture outputs share: each subtitle drawn in its four classes and
// shown in their colours, and the times of the subtitles of the store.
class SubpictureOutput : public RunOutput {
public:
    // times: one per subtitle of the store, as ReadStoreTimes gives them.
    SubpictureOutput(const RenderSettings& settings, const SubtitleRenderer& renderer,
                     std::vector<SubtitleTimes> times);

    // The preview shows the classes in their colours, as a player will.
    RenderResult Draw(const std::string& text, QImage& canvas) override;

protected:
    // The subtitle drawn last, at the times of the subtitle at index in the store.
    const Subpicture& DrawnAt(std::size_t index);
    const SubtitleTimes& TimesAt(std::size_t index) const { return m_times.at(index); }

private:
    const SubtitleRenderer& m_renderer;
    RenderSettings m_keyedLook;
    std::vector<SubtitleTimes> m_times;
    Subpicture m_subpicture;
};

} // namespace orvo
