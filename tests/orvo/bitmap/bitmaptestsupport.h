#pragma once

#include "common/filecontent.h"
#include "common/samebytes.h"
#include "common/tempdir.h"
#include "common/testcanvas.h"

#include <kestrum/util/littleendian.h>

#include <QImage>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvo::test {

using kestrum::ReadLe16;
using kestrum::ReadLe32;
using testsupport::Bytes;
using testsupport::NoiseCanvas;
using testsupport::ReadFile;
using testsupport::SameBytes;
using testsupport::TempDir;
using testsupport::TextCanvas;
using testsupport::WriteFile;

// The writes of a bitmap as the format's file API counted them: the length on success, 0 after
// any short write.
std::size_t WriteInChunks(int fd, std::span<const std::uint8_t> data);

// A BI_RLE4 stream read back under the published rules, strictly: every line must end exactly
// at the width, the stream must end with the end-of-bitmap code right after the last line, and
// a delta (which the encoder never writes) is an error.
struct Rle4Picture {
    Bytes indices;     // width x height palette indices, bottom row first as in the stream
    std::string error; // why the stream is not valid; empty when it is
    int encodedRuns = 0;
    int absoluteRuns = 0;
};
Rle4Picture DecodeRle4(std::span<const std::uint8_t> stream, int width, int height);

// The fewest bytes that any valid encoding of the line takes, its end of line included.
std::size_t SmallestRle4Line(std::span<const std::uint8_t> indices);

// The nearest palette index of every pixel, bottom row first like a DIB.
Bytes ExpectedIndices(const QImage& canvas);

// Rows of a mix that exercises every path of the encoder: one colour, noise, short and long
// runs of palette and other colours, two-colour alternation.
QImage RandomCanvas(int width, int height, unsigned seed);

} // namespace orvo::test
