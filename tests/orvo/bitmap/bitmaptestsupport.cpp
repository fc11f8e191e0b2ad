#include "bitmaptestsupport.h"

#include "output/dvd1/bitmapfile.h"

#include "render/palette.h"

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>

namespace orvo::test {

std::size_t WriteInChunks(int fd, std::span<const std::uint8_t> data) {
    return WriteChunks(fd, data) ? 0 : data.size();
}

Rle4Picture DecodeRle4(std::span<const std::uint8_t> stream, int width, int height) {
    Rle4Picture picture;
    std::size_t at = 0;
    int x = 0;
    int y = 0;
    const auto fail = [&](const std::string& why) {
        std::ostringstream message;
        message << why << " at byte " << at << " (line " << y << ", pixel " << x << ")";
        picture.error = message.str();
        return picture;
    };
    for (;;) {
        if (at + 2 > stream.size()) {
            return fail("stream ends without end of bitmap");
        }
        const int count = stream[at];
        const int value = stream[at + 1];
        if (count > 0 || value >= 3) {
            const bool absolute = count == 0;
            const int pixels = absolute ? value : count;
            // An absolute run's pixel bytes end on a 16-bit boundary.
            const std::size_t dataBytes = absolute ? ((pixels + 1) / 2 + 1) / 2 * 2 : 0;
            if (y >= height) {
                return fail("pixels after the last line");
            }
            if (x + pixels > width) {
                return fail("run of " + std::to_string(pixels) + " crosses the end of the line");
            }
            if (at + 2 + dataBytes > stream.size()) {
                return fail("absolute run beyond the end of the stream");
            }
            for (int i = 0; i < pixels; ++i) {
                const std::uint8_t byte = absolute ? stream[at + 2 + i / 2] : value;
                picture.indices.push_back(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
            }
            x += pixels;
            at += 2 + dataBytes;
            ++(absolute ? picture.absoluteRuns : picture.encodedRuns);
        } else if (value == 0) {
            if (y >= height || x != width) {
                return fail("end of line");
            }
            x = 0;
            ++y;
            at += 2;
        } else if (value == 1) {
            if (y != height || x != 0) {
                return fail("end of bitmap before the last line ended");
            }
            if (at + 2 != stream.size()) {
                return fail("data after the end of bitmap");
            }
            return picture;
        } else {
            return fail("delta");
        }
    }
}

std::size_t SmallestRle4Line(std::span<const std::uint8_t> indices) {
    const std::size_t n = indices.size();
    // cost[i]: fewest bytes for the pixels from i on.
    std::vector<std::size_t> cost(n + 1, std::numeric_limits<std::size_t>::max());
    cost[n] = 0;
    for (std::size_t i = n; i-- > 0;) {
        std::size_t alternating = std::min<std::size_t>(n - i, 2);
        while (i + alternating < n && indices[i + alternating] == indices[i + alternating - 2]) {
            ++alternating;
        }
        for (std::size_t k = 1; k <= std::min<std::size_t>(alternating, 255); ++k) {
            cost[i] = std::min(cost[i], 2 + cost[i + k]);
        }
        for (std::size_t k = 3; k <= std::min<std::size_t>(n - i, 255); ++k) {
            cost[i] = std::min(cost[i], 2 + (k + 3) / 4 * 2 + cost[i + k]);
        }
    }
    return cost[0] + 2;
}

Bytes ExpectedIndices(const QImage& canvas) {
    const QImage image = canvas.convertToFormat(QImage::Format_RGB32);
    Bytes indices;
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            indices.push_back(NearestPaletteIndex(row[x] & 0xFFFFFFu));
        }
    }
    return indices;
}

QImage RandomCanvas(int width, int height, unsigned seed) {
    QImage canvas(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    const auto below = [&](std::uint32_t limit) { return random() % limit; };
    const auto colour = [&]() -> std::uint32_t {
        return below(2) == 0 ? kStandardPalette[below(16)] : random() & 0xFFFFFFu;
    };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(canvas.scanLine(y));
        const std::uint32_t kind = below(4);
        const std::uint32_t first = colour();
        const std::uint32_t second = colour();
        const std::uint32_t longest = kind == 2 ? 6 : 300;
        for (int x = 0; x < width;) {
            const std::uint32_t run = 1 + below(longest);
            const std::uint32_t value = colour();
            for (std::uint32_t i = 0; i < run && x < width; ++i, ++x) {
                switch (kind) {
                case 0: // one colour
                    row[x] = first;
                    break;
                case 1: // two colours alternating
                    row[x] = x % 2 == 0 ? first : second;
                    break;
                case 2: // short runs
                case 3: // long runs with noise between them
                    row[x] = kind == 3 && i % 37 > 30 ? colour() : value;
                    break;
                }
                row[x] |= 0xFF000000u;
            }
        }
    }
    return canvas;
}

} // namespace orvo::test
