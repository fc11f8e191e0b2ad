#include "output/pgs/pgsobject.h"

#include "output/pgs/pgsrunlength.h"

#include <array>
#include <span>
#include <utility>

namespace orvo {
namespace {

using UsedIndexes = std::array<bool, 256>;

constexpr PgsPaletteEntry kTransparentEntry{kPgsTransparent, 16, 128, 128, 0};

// Every index in use, kPgsTransparent always; none when a pixel names a colour the table lacks,
// which would come out as whatever the player's palette happens to hold there.
std::optional<UsedIndexes> UsedColours(const InkPicture& ink) {
    UsedIndexes used{};
    used[kPgsTransparent] = true;
    for (const InkRun& run : ink.runs) {
        used[run.index] = true;
    }
    for (auto index = static_cast<int>(ink.colourTable.size()); index < kPgsTransparent; ++index) {
        if (used[static_cast<std::size_t>(index)]) {
            return std::nullopt;
        }
    }
    return used;
}

std::vector<PgsPaletteEntry> PaletteOf(const InkPicture& ink, const UsedIndexes& used,
                                       int videoHeight) {
    std::vector<PgsPaletteEntry> palette;
    for (int index = 0; index < kPgsTransparent; ++index) {
        if (used[static_cast<std::size_t>(index)]) {
            palette.push_back(
                PgsColour(static_cast<std::uint8_t>(index), ink.colourTable[index], videoHeight));
        }
    }
    palette.push_back(kTransparentEntry);
    return palette;
}

// Each row's runs, which must fill its width exactly; none when they do not.
std::optional<std::vector<std::uint8_t>> CodedLines(const InkPicture& ink) {
    std::vector<std::uint8_t> lines;
    // Antialiased text is mostly short runs: room for each written whole, and the line ends.
    lines.reserve(ink.runs.size() * 2 + static_cast<std::size_t>(ink.size.height()) * 2);
    const std::span<const InkRun> runs(ink.runs);
    std::size_t first = 0;
    for (int y = 0; y < ink.size.height(); ++y) {
        std::size_t end = first;
        for (int x = 0; x != ink.size.width(); ++end) {
            if (end == runs.size() || runs[end].length <= 0 ||
                runs[end].length > ink.size.width() - x) {
                return std::nullopt;
            }
            x += runs[end].length;
        }
        AppendPgsRunLengthLine(lines, runs.subspan(first, end - first));
        first = end;
    }
    if (first != runs.size()) {
        return std::nullopt;
    }
    return lines;
}

} // namespace

bool IsPgsObjectSize(QSize size) {
    return size.width() >= 1 && size.height() >= 1 && size.width() <= kPgsLargestSide &&
           size.height() <= kPgsLargestSide;
}

std::optional<PgsObject> CodePgsObject(const InkPicture& ink, int videoHeight) {
    if (!IsPgsObjectSize(ink.size)) {
        return std::nullopt;
    }
    const std::optional<UsedIndexes> used = UsedColours(ink);
    std::optional<std::vector<std::uint8_t>> lines = CodedLines(ink);
    if (!used || !lines || lines->size() > kPgsLongestObjectCode) {
        return std::nullopt;
    }
    return PgsObject{ink.size, ink.position, PaletteOf(ink, *used, videoHeight), std::move(*lines)};
}

std::optional<PgsObject> CodePgsObject(const QImage& picture, QPoint position, int videoHeight) {
    if (picture.format() != QImage::Format_Indexed8) {
        return std::nullopt;
    }
    return CodePgsObject(InkOfIndexed(picture, position), videoHeight);
}

} // namespace orvo
