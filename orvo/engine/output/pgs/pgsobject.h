#pragma once

#include "output/inkpicture.h"
#include "output/pgs/pgspalette.h"

#include <QImage>
#include <QPoint>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvo {

// The index of a transparent pixel in every picture the stream carries.
constexpr std::uint8_t kPgsTransparent = 0xFF;

// The widest and the tallest picture the stream may hold.
constexpr int kPgsLargestSide = 4096;

// Whether a picture of size has pixels and fits the stream.
bool IsPgsObjectSize(QSize size);

// The most run-length code an object can carry: its length is stored in 24 bits together with
// the 4 bytes of its width and height.
constexpr std::size_t kPgsLongestObjectCode = 0xFFFFFF - 4;

// A subtitle's picture coded for the stream, on the thread that drew it: its palette and its
// run-length lines, where it stands on the video.
struct PgsObject {
    QSize size;
    QPoint position;
    std::vector<PgsPaletteEntry> palette; // the colours the picture uses, with the transparent
    std::vector<std::uint8_t> lines;      // the run-length code, every line ended
};

// A subtitle's ink coded. None when it has no pixels, is larger than the stream can hold, its
// runs do not fill its rows, or a run's index is past its colour table.
std::optional<PgsObject> CodePgsObject(const InkPicture& ink, int videoHeight);

// The picture coded: an 8-bit indexed image whose colour table holds straight-alpha colours,
// pixels of index kPgsTransparent transparent whatever the table says. None when it has no
// pixels, is larger than the stream can hold, is not indexed, or has a pixel whose index the
// colour table lacks.
std::optional<PgsObject> CodePgsObject(const QImage& picture, QPoint position, int videoHeight);

} // namespace orvo
