#pragma once

#include "model/canvasspec.h"
#include "time/framerate.h"

#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

namespace orvo {

// One subtitle of the listing: its picture, where it stands, and the frames it shows from and
// to.
struct BdnEvent {
    std::string graphic; // the PNG's file name, beside the listing
    QRect area;
    std::int64_t inFrame = 0;
    std::int64_t outFrame = 0;
    bool forced = false;
};

// What the listing says of the whole track.
struct BdnTrack {
    std::string title;
    std::string language;
    CanvasSpec canvas;
    FrameRate rate;
};

// HH:MM:SS:FF of a frame at rate: frames are counted at the whole rate, 24 for 23.976 and 30
// for 29.97, and none is skipped, as the listing's readers count them back.
std::string BdnTimecode(std::int64_t frame, const FrameRate& rate);

// The listing of a track's events, in their order: its description, the events' header and an
// event per subtitle.
std::string FormatBdnListing(const BdnTrack& track, const std::vector<BdnEvent>& events);

} // namespace orvo
