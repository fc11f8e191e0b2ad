#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// Appends one scan line of 4-bit palette indices to out as run-length data, ending with the
// end-of-line code. A line of one colour becomes runs of 255 pixels and a remainder.
void EncodeRle4Line(std::span<const std::uint8_t> indices, std::vector<std::uint8_t>& out);

} // namespace orvo
