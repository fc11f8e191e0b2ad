#pragma once

#include "output/dvdsubpicture.h"
#include "output/vobsub/vobsubwriter.h"

#include <QImage>
#include <QRect>

namespace orvo {

// The colours of the test pictures: background black, text background navy, text white,
// shade grey.
inline const DvdColourSet kTestColours{qRgb(0, 0, 0), qRgb(0, 0, 128), qRgb(255, 255, 255),
                                       qRgb(128, 128, 128)};

// A PAL picture of indices: a band of text background around a block of text with a shade
// column at its right, all inside band.
inline QImage BandPicture(const QRect& band) {
    QImage picture(720, 576, QImage::Format_Indexed8);
    picture.setColorCount(4);
    for (int i = 0; i < 4; ++i) {
        picture.setColor(i, kTestColours[static_cast<std::size_t>(i)]);
    }
    picture.fill(0);
    const QRect text = band.adjusted(4, 4, -5, -4);
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const bool inText = text.contains(x, y);
            const int index = !inText ? 1 : x == text.right() ? 3 : 2;
            picture.scanLine(y)[x] = static_cast<uchar>(index);
        }
    }
    return picture;
}

// That picture as a subpicture in the test colours, shown from startMs to endMs.
inline Subpicture ShownBand(const QRect& band, std::int64_t startMs, std::int64_t endMs) {
    return {BandPicture(band), kTestColours, startMs * 1000, endMs * 1000};
}

// Codes the subpicture with encoder and adds it to writer, as a run's worker and its writer do.
inline bool AddCoded(VobSubWriter& writer, DvdSubpictureEncoder& encoder,
                     const Subpicture& subpicture) {
    const auto unit = EncodeVobSubUnit(encoder, subpicture, {QSize(720, 576), kTestColours, "en"});
    return unit && writer.Add(*unit, subpicture.startMicroseconds);
}

} // namespace orvo
