#include "output/inkpicture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvo {
namespace {

// A colour of the picture: how many pixels have it, and the index they are written with.
struct ColourEntry {
    std::uint64_t count = 0;
    std::uint8_t index = kInkTransparent;
};

using ColourTable = std::unordered_map<QRgb, ColourEntry>;

// A direct-mapped cache in front of the table: a text row changes colour at every glyph edge,
// and a hash table's lookup there would cost more than the rest of the coding.
class ColourCache {
public:
    explicit ColourCache(ColourTable& table)
        : m_table(table) {}

    // The entry of a colour that is not transparent; new entries start with no pixels.
    ColourEntry& Find(QRgb colour) {
        Slot& slot = m_slots[(colour * kGolden) >> kShift];
        if (slot.entry == nullptr || slot.colour != colour) {
            // Elements of the table stay where they are when it grows.
            slot = {colour, &m_table[colour]};
        }
        return *slot.entry;
    }

private:
    static constexpr QRgb kGolden = 2654435769u;
    static constexpr int kBits = 10;
    static constexpr int kShift = 32 - kBits;

    struct Slot {
        QRgb colour = 0;
        ColourEntry* entry = nullptr;
    };

    ColourTable& m_table;
    std::array<Slot, std::size_t{1} << kBits> m_slots{};
};

// The columns from left to right - 1 of a row that hold ink; an empty span when none does.
std::pair<int, int> InkColumns(const QRgb* row, int width, const std::vector<QRgb>& clear) {
    if (std::memcmp(row, clear.data(), static_cast<std::size_t>(width) * sizeof(QRgb)) == 0) {
        return {0, 0};
    }
    int left = 0;
    while (row[left] == 0) {
        ++left;
    }
    int right = width;
    while (row[right - 1] == 0) {
        --right;
    }
    return {left, right};
}

QRect InkBounds(const QImage& canvas, CanvasRows rows) {
    const auto [top, bottom] = rows.ClampedTo(canvas.height());
    const std::vector<QRgb> clear(static_cast<std::size_t>(canvas.width()), 0);
    QRect bounds;
    for (int y = top; y < bottom; ++y) {
        const auto [left, right] = InkColumns(
            reinterpret_cast<const QRgb*>(canvas.constScanLine(y)), canvas.width(), clear);
        if (left < right) {
            bounds |= QRect(left, y, right - left, 1);
        }
    }
    return bounds;
}

// Writes each pixel of bounds with its entry's index. Counting, each pixel is counted in its
// entry, and new colours are given indexes in the order they are met while there are any.
void WriteIndexes(const QImage& canvas, const QRect& bounds, ColourCache& cache, QImage& picture,
                  bool counting) {
    int next = 0;
    for (int y = 0; y < bounds.height(); ++y) {
        const auto* row =
            reinterpret_cast<const QRgb*>(canvas.constScanLine(bounds.top() + y)) + bounds.left();
        std::uint8_t* out = picture.scanLine(y);
        QRgb last = 0;
        ColourEntry* entry = nullptr;
        for (int x = 0; x < bounds.width(); ++x) {
            const QRgb pixel = row[x];
            if (pixel == 0) {
                out[x] = kInkTransparent;
                continue;
            }
            if (entry == nullptr || pixel != last) {
                last = pixel;
                entry = &cache.Find(pixel);
                if (counting && entry->count == 0 && next < kMaxInkColours) {
                    entry->index = static_cast<std::uint8_t>(next++);
                }
            }
            entry->count += counting ? 1 : 0;
            out[x] = entry->index;
        }
    }
}

// The colours of the table, each with its pixels.
using Colours = std::vector<std::pair<QRgb, ColourEntry*>>;

int Channel(QRgb colour, int channel) {
    return static_cast<int>(colour >> (8 * channel) & 0xFFu);
}

// Of a group of colours, the channel whose values spread the widest, and how wide.
std::pair<int, int> WidestChannel(Colours::const_iterator begin, Colours::const_iterator end) {
    std::pair<int, int> widest{0, -1};
    for (int channel = 0; channel < 4; ++channel) {
        const auto [low, high] =
            std::minmax_element(begin, end, [channel](const auto& a, const auto& b) {
                return Channel(a.first, channel) < Channel(b.first, channel);
            });
        const int spread = Channel(high->first, channel) - Channel(low->first, channel);
        if (spread > widest.second) {
            widest = {channel, spread};
        }
    }
    return widest;
}

// The premultiplied mean of a group of colours, weighted by their pixels.
QRgb MeanColour(Colours::const_iterator begin, Colours::const_iterator end) {
    std::array<std::uint64_t, 4> sums{};
    std::uint64_t pixels = 0;
    for (auto colour = begin; colour != end; ++colour) {
        for (int channel = 0; channel < 4; ++channel) {
            sums[static_cast<std::size_t>(channel)] +=
                static_cast<std::uint64_t>(Channel(colour->first, channel)) * colour->second->count;
        }
        pixels += colour->second->count;
    }
    QRgb mean = 0;
    for (int channel = 0; channel < 4; ++channel) {
        mean |= static_cast<QRgb>((sums[static_cast<std::size_t>(channel)] + pixels / 2) / pixels)
                << (8 * channel);
    }
    return mean;
}

// A run of the colours, from begin to end - 1, and the channel they spread the widest in.
struct ColourGroup {
    std::size_t begin;
    std::size_t end;
    std::pair<int, int> widest; // channel and spread
};

ColourGroup GroupOf(const Colours& colours, std::size_t begin, std::size_t end) {
    return {begin, end,
            WidestChannel(colours.begin() + static_cast<std::ptrdiff_t>(begin),
                          colours.begin() + static_cast<std::ptrdiff_t>(end))};
}

// Splits a group of two colours or more at the median of its pixels along its widest channel;
// neither half is empty.
std::pair<ColourGroup, ColourGroup> Split(Colours& colours, const ColourGroup& group) {
    const auto first = colours.begin() + static_cast<std::ptrdiff_t>(group.begin);
    const auto last = colours.begin() + static_cast<std::ptrdiff_t>(group.end);
    std::sort(first, last, [channel = group.widest.first](const auto& a, const auto& b) {
        return Channel(a.first, channel) < Channel(b.first, channel);
    });
    std::uint64_t total = 0;
    for (auto colour = first; colour != last; ++colour) {
        total += colour->second->count;
    }
    auto cut = first; // the last colour of the first half
    std::uint64_t seen = cut->second->count;
    while (cut + 2 != last && seen * 2 < total) {
        ++cut;
        seen += cut->second->count;
    }
    const auto middle = static_cast<std::size_t>(cut - colours.begin()) + 1;
    return {GroupOf(colours, group.begin, middle), GroupOf(colours, middle, group.end)};
}

// Cuts the colours into at most kMaxInkColours groups, each time the group whose colours spread
// the widest, and gives each colour its group's index. The groups' colours, premultiplied, by
// index.
std::vector<QRgb> CutColourSpace(ColourTable& table) {
    Colours colours;
    colours.reserve(table.size());
    for (auto& [colour, entry] : table) {
        colours.emplace_back(colour, &entry);
    }
    // The table's order is its hashing's: sorted, the same picture always gives the same cuts.
    std::sort(colours.begin(), colours.end());
    std::vector<ColourGroup> groups{GroupOf(colours, 0, colours.size())};
    while (groups.size() < static_cast<std::size_t>(kMaxInkColours)) {
        const auto widest =
            std::max_element(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
                return a.widest.second < b.widest.second;
            });
        if (widest->widest.second == 0) {
            break; // every group is one colour
        }
        auto [low, high] = Split(colours, *widest);
        *widest = low;
        groups.push_back(high);
    }
    std::vector<QRgb> means;
    for (const ColourGroup& group : groups) {
        const auto first = colours.begin() + static_cast<std::ptrdiff_t>(group.begin);
        const auto last = colours.begin() + static_cast<std::ptrdiff_t>(group.end);
        for (auto colour = first; colour != last; ++colour) {
            colour->second->index = static_cast<std::uint8_t>(means.size());
        }
        means.push_back(MeanColour(first, last));
    }
    return means;
}

} // namespace

InkPicture IndexedInk(const QImage& canvas, CanvasRows rows) {
    InkPicture ink;
    QRect bounds = InkBounds(canvas, rows);
    if (bounds.isEmpty()) {
        bounds = QRect(0, 0, 1, 1);
    }
    ink.position = bounds.topLeft();
    ink.picture = QImage(bounds.size(), QImage::Format_Indexed8);
    ColourTable table;
    ColourCache cache(table);
    WriteIndexes(canvas, bounds, cache, ink.picture, /*counting=*/true);
    std::vector<QRgb> premultiplied(table.size());
    if (table.size() <= static_cast<std::size_t>(kMaxInkColours)) {
        for (const auto& [colour, entry] : table) {
            premultiplied[entry.index] = colour;
        }
    } else {
        premultiplied = CutColourSpace(table);
        WriteIndexes(canvas, bounds, cache, ink.picture, /*counting=*/false);
    }
    QList<QRgb> colourTable(256, 0);
    for (std::size_t index = 0; index < premultiplied.size(); ++index) {
        colourTable[static_cast<qsizetype>(index)] = qUnpremultiply(premultiplied[index]);
    }
    ink.picture.setColorTable(colourTable);
    ink.colours = static_cast<int>(premultiplied.size());
    return ink;
}

} // namespace orvo
