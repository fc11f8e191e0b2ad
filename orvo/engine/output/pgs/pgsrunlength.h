#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// Appends one line of palette indexes in the stream's run-length code, each run in its
// shortest form, and the code that ends the line.
void AppendPgsRunLengthLine(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> line);

} // namespace orvo
