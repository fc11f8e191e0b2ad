#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// Appends one scan line of 4-bit palette indices to out as run-length data, ending with the
// end-of-line code. A line of one colour becomes runs of 255 pixels and a remainder.
void EncodeRle4Line(std::span<const std::uint8_t> indices, std::vector<std::uint8_t>& out);
// The same bytes for a line of width pixels of one index, without a pass over the pixels: most
// lines of a subtitle canvas are such lines.
void EncodeRle4OneColourLine(std::uint8_t index, std::size_t width, std::vector<std::uint8_t>& out);

} // namespace orvo
