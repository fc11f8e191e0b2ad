#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvo {

// count pixels of one colour at the speed of memcpy, by doubling copies of those already set:
// a pixel loop is several times slower.
inline void FillPixels(std::uint32_t* pixels, std::size_t count, std::uint32_t colour) {
    if (count == 0) {
        return;
    }
    pixels[0] = colour;
    for (std::size_t filled = 1; filled < count; filled *= 2) {
        std::memcpy(pixels + filled, pixels, std::min(filled, count - filled) * sizeof *pixels);
    }
}

} // namespace orvo
