#include "output/pgs/pgsobject.h"

#include "output/pgs/pgsrunlength.h"

#include <array>
#include <span>

namespace orvo {
namespace {

using UsedIndexes = std::array<bool, 256>;

constexpr PgsPaletteEntry kTransparentEntry{kPgsTransparent, 16, 128, 128, 0};

// Every index in use, kPgsTransparent always; none when a pixel names a colour the table lacks,
// which would come out as whatever the player's palette happens to hold there.
std::optional<UsedIndexes> UsedColours(const QImage& picture) {
    UsedIndexes used{};
    used[kPgsTransparent] = true;
    const auto width = static_cast<std::size_t>(picture.width());
    for (int y = 0; y < picture.height(); ++y) {
        for (const std::uint8_t index : std::span(picture.constScanLine(y), width)) {
            used[index] = true;
        }
    }
    for (int index = picture.colorCount(); index < kPgsTransparent; ++index) {
        if (used[static_cast<std::size_t>(index)]) {
            return std::nullopt;
        }
    }
    return used;
}

std::vector<PgsPaletteEntry> PaletteOf(const QImage& picture, const UsedIndexes& used,
                                       int videoHeight) {
    std::vector<PgsPaletteEntry> palette;
    for (int index = 0; index < kPgsTransparent; ++index) {
        if (used[static_cast<std::size_t>(index)]) {
            palette.push_back(
                PgsColour(static_cast<std::uint8_t>(index), picture.color(index), videoHeight));
        }
    }
    palette.push_back(kTransparentEntry);
    return palette;
}

} // namespace

bool IsPgsObjectSize(QSize size) {
    return size.width() >= 1 && size.height() >= 1 && size.width() <= kPgsLargestSide &&
           size.height() <= kPgsLargestSide;
}

std::optional<PgsObject> CodePgsObject(const QImage& picture, QPoint position, int videoHeight) {
    if (picture.format() != QImage::Format_Indexed8 || !IsPgsObjectSize(picture.size())) {
        return std::nullopt;
    }
    const std::optional<UsedIndexes> used = UsedColours(picture);
    if (!used) {
        return std::nullopt;
    }
    PgsObject object{picture.size(), position, PaletteOf(picture, *used, videoHeight), {}};
    const auto width = static_cast<std::size_t>(picture.width());
    for (int y = 0; y < picture.height(); ++y) {
        AppendPgsRunLengthLine(object.lines, std::span(picture.constScanLine(y), width));
    }
    if (object.lines.size() > kPgsLongestObjectCode) {
        return std::nullopt;
    }
    return object;
}

} // namespace orvo
