#pragma once

#include "output/pgs/pgsobject.h"
#include "time/framerate.h"

#include <QSize>

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace orvo {

// The frame-rate byte of a rate; none for a rate the stream does not name.
std::optional<std::uint8_t> PgsFrameRateCode(const FrameRate& rate);

// A presentation graphics stream: for each subtitle an epoch that shows its object at its
// start and clears it at its end. The times are in the 90 kHz clock.
//
// A display set's composition carries its time. The segments that a decoder works on before
// the showing composition come earlier by the time a player takes to prepare them, at 32
// million pixels a second for clearing the window and 16 million for decoding the object:
// the window and the end at start - window lead, the palette and the object at start -
// (window lead + decode lead). The clearing set's window and end come the window lead before
// its end. No segment comes before the previous subtitle's end, so that a player never
// prepares the next object while the one before is still shown (back to back subtitles thus
// get no lead), and none of the clearing set before its subtitle's start.
class PgsStreamWriter {
public:
    // video: the picture the subtitles are shown on; rateCode as PgsFrameRateCode gives it.
    PgsStreamWriter(QSize video, std::uint8_t rateCode);

    // Appends the display set that shows object from start and the one that clears it at end;
    // forced shows it also where the player's subtitles are off. False, and nothing appended,
    // when the object does not lie within the video or cannot be carried, or when the times
    // cannot be said: end not after start, end past the 32-bit clock, or start before the
    // previous subtitle's end (or 0), as the stream runs forward in time.
    [[nodiscard]] bool Add(const PgsObject& object, std::int64_t start, std::int64_t end,
                           bool forced);

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    // The bytes appended since the last call, which the writer then forgets: a run keeps the
    // stream on disk as it grows.
    std::vector<std::uint8_t> TakeBytes() { return std::exchange(m_bytes, {}); }

private:
    bool Carries(const PgsObject& object) const;
    void AppendSegment(std::uint8_t type, std::int64_t pts, std::span<const std::uint8_t> payload);
    void AppendComposition(std::int64_t pts, const PgsObject* shown, bool forced);
    void AppendWindow(std::int64_t pts, const PgsObject& object);
    void AppendPalette(std::int64_t pts, const PgsObject& object);
    void AppendObject(std::int64_t pts, const PgsObject& object);

    QSize m_video;
    std::uint8_t m_rateCode;
    std::uint16_t m_composition = 0;
    std::int64_t m_previousEnd = 0;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace orvo
