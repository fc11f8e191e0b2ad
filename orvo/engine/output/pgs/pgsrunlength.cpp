#include "output/pgs/pgsrunlength.h"

#include <algorithm>

namespace orvo {
namespace {

constexpr std::uint8_t kEscape = 0x00;
constexpr std::uint8_t kLongRun = 0x40;   // a 14-bit length follows
constexpr std::uint8_t kColourRun = 0x80; // a colour other than 0 follows the length
constexpr std::size_t kShortestCodedRun = 3;
constexpr std::size_t kLongestShortRun = 63;
constexpr std::size_t kLongestRun = 16383;

void AppendRun(std::vector<std::uint8_t>& out, std::uint8_t colour, std::size_t length) {
    if (colour != 0 && length < kShortestCodedRun) {
        for (std::size_t pixel = 0; pixel < length; ++pixel) {
            out.push_back(colour);
        }
        return;
    }
    const std::uint8_t kind = colour != 0 ? kColourRun : 0;
    out.push_back(kEscape);
    if (length <= kLongestShortRun) {
        out.push_back(static_cast<std::uint8_t>(kind | length));
    } else {
        out.push_back(static_cast<std::uint8_t>(kind | kLongRun | (length >> 8)));
        out.push_back(static_cast<std::uint8_t>(length & 0xFF));
    }
    if (colour != 0) {
        out.push_back(colour);
    }
}

} // namespace

void AppendPgsRunLengthLine(std::vector<std::uint8_t>& out, std::span<const InkRun> line) {
    for (auto run = line.begin(); run != line.end();) {
        std::size_t length = 0;
        const std::uint8_t index = run->index;
        for (; run != line.end() && run->index == index; ++run) {
            length += static_cast<std::size_t>(run->length);
        }
        for (; length > kLongestRun; length -= kLongestRun) {
            AppendRun(out, index, kLongestRun);
        }
        AppendRun(out, index, length);
    }
    out.push_back(kEscape);
    out.push_back(kEscape);
}

} // namespace orvo
