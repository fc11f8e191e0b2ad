#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvo {

// The 16 standard colours (0x00RRGGBB here, as QImage holds pixels), in the order of the
// colour table of every bitmap and the items of the colour selector.
extern const std::array<std::uint32_t, 16> kStandardPalette;

// The index of the palette colour nearest to rgb (smallest squared distance; ties to the lower
// index).
std::uint8_t NearestPaletteIndex(std::uint32_t rgb);

// NearestPaletteIndex for many pixels: antialiased edges repeat a few hundred colours over and
// over, and the search through the palette costs more than a look-up.
class NearestIndexCache {
public:
    std::uint8_t operator()(std::uint32_t rgb) {
        Entry& entry = m_entries[(rgb * 0x9E3779B1u) >> (32 - kBits)];
        if (entry.key != (rgb | kFilled)) {
            entry.key = rgb | kFilled;
            entry.index = NearestPaletteIndex(rgb);
        }
        return entry.index;
    }

private:
    static constexpr int kBits = 10;
    // Above the 24 colour bits, so that an empty entry matches no colour.
    static constexpr std::uint32_t kFilled = 1u << 24;
    struct Entry {
        std::uint32_t key = 0;
        std::uint8_t index = 0;
    };
    std::array<Entry, std::size_t{1} << kBits> m_entries{};
};

} // namespace orvo
