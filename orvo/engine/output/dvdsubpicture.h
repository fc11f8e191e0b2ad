#pragma once

#include "render/subtitlerenderer.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AVCodecContext;

namespace orvo {

// Past the last row of any picture: CanvasRows{0, kAllRows} are every row.
constexpr int kAllRows = std::numeric_limits<int>::max();

// The four colours of a subpicture by index: 0 the background (shown transparent), 1 the text
// background, 2 the text, 3 the antialiasing shade.
using DvdColourSet = std::array<QRgb, 4>;

// The sixteen colours a DVD index file lists: the four first, the rest black.
std::array<QRgb, 16> DvdPaletteOf(const DvdColourSet& colours);

// That palette as the index and the encoder read it: "rrggbb, rrggbb, ..." in hexadecimal.
std::string DvdPaletteText(const DvdColourSet& colours);

// How many colour indices a subpicture has.
constexpr int kDvdClassCount = 4;

// One subtitle as a DVD subpicture: which of the four classes each pixel is, the colour of each
// class, and when it shows.
struct Subpicture {
    // Format_Indexed8, the whole picture (720 x 576 or 720 x 480): 0 background, 1 text
    // background, 2 text, 3 shade, as DvdClass counts them.
    QImage classes;
    // The colours by class. The background's colour is kept in the palette but never seen: its
    // pixels are fully transparent.
    DvdColourSet colours{};
    // Real time from the start of the video, as timecode.h counts it.
    std::int64_t startMicroseconds = 0;
    std::int64_t endMicroseconds = 0;
    // The rows that may hold more than background: every other row of classes is 0.
    CanvasRows rows{0, kAllRows};
};

// The part of the picture that holds anything but background: the picture carries its own
// position, so that the rest need not be encoded (a whole frame costs the encoder several times
// as much). A picture of background only keeps its top left pixel, as the tool wants an image.
// None when the picture is not an indexed picture of classes 0 to 3. Only rows are searched:
// the caller knows the others to be background.
std::optional<QRect> SubpictureBounds(const QImage& classes, CanvasRows rows = {0, kAllRows});

// Encodes pictures of the four colour indices as DVD subpicture units: two bits a pixel, run
// length coded in two interlaced fields, cropped to their content, with the commands that show
// and hide them. One encoder serves pictures of one size and one colour set.
class DvdSubpictureEncoder {
public:
    DvdSubpictureEncoder(QSize size, const DvdColourSet& colours);
    ~DvdSubpictureEncoder();
    DvdSubpictureEncoder(const DvdSubpictureEncoder&) = delete;
    DvdSubpictureEncoder& operator=(const DvdSubpictureEncoder&) = delete;

    // Why the encoder could not be set up; empty when it is ready.
    const std::string& Problem() const { return m_problem; }

    // The unit of an indexed picture of the encoder's size, hidden durationMs after it is
    // shown (at most about 12 minutes 25 seconds, the longest a unit can say); none when the
    // picture has another size, an index past 3, or a coding that exceeds a unit's 64 KB.
    // A forced unit starts with the command that shows it even where subtitles are off.
    // Only rows are searched for the picture's content: the others are known to be background.
    std::optional<std::vector<std::uint8_t>> Encode(const QImage& indexed, std::int64_t durationMs,
                                                    bool forced = false,
                                                    CanvasRows rows = {0, kAllRows});

private:
    struct CodecDeleter {
        void operator()(AVCodecContext* codec) const;
    };
    QSize m_size;
    DvdColourSet m_colours;
    std::unique_ptr<AVCodecContext, CodecDeleter> m_codec;
    std::string m_problem;
    std::vector<std::uint8_t> m_buffer;
};

} // namespace orvo
