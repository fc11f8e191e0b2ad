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

// NearestPaletteIndex for any colour at the cost of a table look-up, however many distinct
// colours a canvas holds. Built once and never changed after, so any number of threads may share
// it.
class NearestIndexTable {
public:
    static const NearestIndexTable& Get();

    std::uint8_t operator()(std::uint32_t rgb) const {
        const std::uint8_t entry = m_cells[Cell(rgb)];
        if (entry < kPaletteSize) {
            return entry;
        }
        return Resolve(rgb, m_candidateSets[entry - kPaletteSize]);
    }

private:
    static constexpr std::uint8_t kPaletteSize = 16;
    // Cells of 4x4x4 colours: nine in ten have one palette colour nearest throughout, and the
    // table of one byte a cell (256 KiB) stays in the second-level cache. Cells of 8 took a
    // tenth longer on a canvas of noise, for the colours that had to be resolved.
    static constexpr int kCellBits = 6;
    static constexpr int kCellCount = 1 << (3 * kCellBits);

    NearestIndexTable();

    static std::size_t Cell(std::uint32_t rgb) {
        constexpr std::uint32_t kMask = (1u << kCellBits) - 1;
        constexpr int kDrop = 8 - kCellBits;
        return (rgb >> (16 + kDrop) & kMask) << (2 * kCellBits) |
               (rgb >> (8 + kDrop) & kMask) << kCellBits | (rgb >> kDrop & kMask);
    }
    std::uint8_t CellEntry(std::uint16_t candidates);
    static std::uint8_t Resolve(std::uint32_t rgb, std::uint16_t candidates);

    // Per cell, the palette index nearest to all its colours, or kPaletteSize plus the position
    // in m_candidateSets of the cell's candidates.
    std::array<std::uint8_t, kCellCount> m_cells{};
    // Sets of candidates, a bit for every palette index that may be nearest to some colour of
    // a cell; each other palette colour is farther from every colour of that cell than one of
    // these. A few cells share each set.
    std::array<std::uint16_t, 256 - kPaletteSize> m_candidateSets{};
    std::size_t m_candidateSetCount = 0;
};

} // namespace orvo
