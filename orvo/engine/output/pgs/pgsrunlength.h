#pragma once

#include "output/inkpicture.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// Appends one line, given as runs of palette indexes, in the stream's run-length code: neighbours
// of one index as one run, each run in its shortest form, and the code that ends the line.
void AppendPgsRunLengthLine(std::vector<std::uint8_t>& out, std::span<const InkRun> line);

} // namespace orvo
