#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvo {

// The streams of video discs keep their numbers most significant byte first. Appends the low
// bytes of value.
inline void AppendBigEndian(std::vector<std::uint8_t>& out, std::size_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

} // namespace orvo
