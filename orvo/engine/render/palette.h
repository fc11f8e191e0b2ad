#pragma once

#include <array>
#include <atomic>
#include <bit>
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
// colours a canvas holds. The table is filled as colours meet it, one cell of colours at a
// time, so that a program that converts a few subtitles does not pay for all of it; any number
// of threads may share it, as each cell only ever takes its one value.
class NearestIndexTable {
public:
    static const NearestIndexTable& Get();

    std::uint8_t operator()(std::uint32_t rgb) const {
        std::atomic<std::uint16_t>& cell = m_cells[Cell(rgb)];
        std::uint16_t candidates = cell.load(std::memory_order_relaxed);
        if (candidates == 0) {
            candidates = CandidatesOfCell(rgb);
            cell.store(candidates, std::memory_order_relaxed);
        }
        if ((candidates & (candidates - 1)) == 0) {
            return static_cast<std::uint8_t>(std::countr_zero(candidates));
        }
        return Resolve(rgb, candidates);
    }

private:
    // Cells of 4x4x4 colours: nine in ten have one palette colour nearest throughout. Cells of
    // 8 took a tenth longer on a canvas of noise, for the colours that had to be resolved.
    static constexpr int kCellBits = 6;
    static constexpr int kCellCount = 1 << (3 * kCellBits);

    static std::size_t Cell(std::uint32_t rgb) {
        constexpr std::uint32_t kMask = (1u << kCellBits) - 1;
        constexpr int kDrop = 8 - kCellBits;
        return (rgb >> (16 + kDrop) & kMask) << (2 * kCellBits) |
               (rgb >> (8 + kDrop) & kMask) << kCellBits | (rgb >> kDrop & kMask);
    }
    // A bit for every palette index that may be nearest to some colour of rgb's cell; each
    // other palette colour is farther from every colour of the cell than one of these.
    static std::uint16_t CandidatesOfCell(std::uint32_t rgb);
    static std::uint8_t Resolve(std::uint32_t rgb, std::uint16_t candidates);

    // Per cell, its candidates; none yet where no colour of the cell was looked up. Zero
    // before the program starts, so that the untouched part costs no memory.
    mutable std::array<std::atomic<std::uint16_t>, kCellCount> m_cells{};
};

} // namespace orvo
