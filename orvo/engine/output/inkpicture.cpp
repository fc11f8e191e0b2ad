#include "output/inkpicture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <queue>
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

bool IsClear(const QRgb* pixels, int count, const std::vector<QRgb>& clear) {
    return count <= 0 ||
           std::memcmp(pixels, clear.data(), static_cast<std::size_t>(count) * sizeof(QRgb)) == 0;
}

// Each row is compared whole, and then only beyond the columns that earlier rows' ink spans,
// a few pixels at a time by the C library: a pixel-by-pixel search of every text row from
// both edges would cost more than the rest of the indexing.
QRect InkBounds(const QImage& canvas, CanvasRows rows) {
    const auto [top, bottom] = rows.ClampedTo(canvas.height());
    const int width = canvas.width();
    const std::vector<QRgb> clear(static_cast<std::size_t>(width), 0);
    int left = width;
    int right = 0; // past the last column with ink
    int first = -1;
    int last = -1;
    for (int y = top; y < bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        if (IsClear(row, width, clear)) {
            continue;
        }
        if (!IsClear(row, left, clear)) {
            left = static_cast<int>(std::find_if(row, row + left, [](QRgb p) { return p != 0; }) -
                                    row);
        }
        if (!IsClear(row + right, width - right, clear)) {
            right = static_cast<int>(std::find_if(std::reverse_iterator(row + width),
                                                  std::reverse_iterator(row + right),
                                                  [](QRgb p) { return p != 0; })
                                         .base() -
                                     row);
        }
        first = first < 0 ? y : first;
        last = y;
    }
    return first < 0 ? QRect() : QRect(left, first, right - left, last - first + 1);
}

// Calls run(pixel, length) for each stretch of one pixel value of a row, left to right.
template <typename Pixel, typename Run>
void ForEachRun(const Pixel* row, int width, Run run) {
    for (int x = 0; x < width;) {
        const Pixel pixel = row[x];
        const int start = x;
        while (++x < width && row[x] == pixel) {
        }
        run(pixel, x - start);
    }
}

// A row's stretch of pixels of one colour; entry is null for transparent ones.
struct ColourRun {
    ColourEntry* entry;
    int length;
};

// The runs of bounds, row by row, each counted in its colour's entry; new colours are given
// indexes in the order they are met while there are any. A text row is long runs of the fill,
// the ring and the clear between short antialiased edges, so the colour table is asked once a
// run and not once a pixel, and the indexes are given without reading the canvas again.
std::vector<ColourRun> CountRuns(const QImage& canvas, const QRect& bounds, ColourCache& cache) {
    std::vector<ColourRun> runs;
    runs.reserve(static_cast<std::size_t>(bounds.width()) *
                 static_cast<std::size_t>(bounds.height()) / 4);
    int next = 0;
    for (int y = 0; y < bounds.height(); ++y) {
        const auto* row =
            reinterpret_cast<const QRgb*>(canvas.constScanLine(bounds.top() + y)) + bounds.left();
        ForEachRun(row, bounds.width(), [&](QRgb pixel, int length) {
            ColourEntry* entry = nullptr;
            if (pixel != 0) {
                entry = &cache.Find(pixel);
                if (entry->count == 0 && next < kMaxInkColours) {
                    entry->index = static_cast<std::uint8_t>(next++);
                }
                entry->count += static_cast<std::uint64_t>(length);
            }
            runs.push_back({entry, length});
        });
    }
    return runs;
}

std::vector<InkRun> IndexRuns(const std::vector<ColourRun>& runs) {
    std::vector<InkRun> indexed;
    indexed.reserve(runs.size());
    for (const ColourRun& run : runs) {
        indexed.push_back({run.entry ? run.entry->index : kInkTransparent, run.length});
    }
    return indexed;
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

// The colours of the table, sorted: the table's order is its hashing's, and the same picture
// must always give the same picture.
Colours SortedColours(ColourTable& table) {
    Colours colours;
    colours.reserve(table.size());
    for (auto& [colour, entry] : table) {
        colours.emplace_back(colour, &entry);
    }
    std::sort(colours.begin(), colours.end());
    return colours;
}

// Beyond this many colours more than the table holds, the colour space is cut.
constexpr std::size_t kFoldedAtMost = 16;

int Distance(QRgb a, QRgb b) {
    int sum = 0;
    for (int channel = 0; channel < 4; ++channel) {
        const int difference = Channel(a, channel) - Channel(b, channel);
        sum += difference * difference;
    }
    return sum;
}

// A few colours more than the table holds, as antialiased text on a band of its own makes one or
// two past it: the rarest take the index of the colour nearest each, and every other colour keeps
// its own exactly. Cutting the colour space would cut it some 250 times to join two colours.
// The kept colours, premultiplied, by index.
std::vector<QRgb> FoldRarest(ColourTable& table) {
    Colours colours = SortedColours(table);
    const auto folded = static_cast<std::ptrdiff_t>(colours.size()) - kMaxInkColours;
    std::partial_sort(
        colours.begin(), colours.begin() + folded, colours.end(), [](const auto& a, const auto& b) {
            return std::pair(a.second->count, a.first) < std::pair(b.second->count, b.first);
        });
    std::sort(colours.begin() + folded, colours.end());
    std::vector<QRgb> kept;
    for (auto colour = colours.begin() + folded; colour != colours.end(); ++colour) {
        colour->second->index = static_cast<std::uint8_t>(kept.size());
        kept.push_back(colour->first);
    }
    for (auto colour = colours.begin(); colour != colours.begin() + folded; ++colour) {
        const auto nearest = std::min_element(kept.begin(), kept.end(), [&](QRgb a, QRgb b) {
            return Distance(a, colour->first) < Distance(b, colour->first);
        });
        colour->second->index = static_cast<std::uint8_t>(nearest - kept.begin());
    }
    return kept;
}

// Cuts the colours into at most kMaxInkColours groups, each time the group whose colours spread
// the widest, and gives each colour its group's index. The groups' colours, premultiplied, by
// index.
std::vector<QRgb> CutColourSpace(ColourTable& table) {
    Colours colours = SortedColours(table);
    std::vector<ColourGroup> groups{GroupOf(colours, 0, colours.size())};
    // The groups by spread, the widest on top and, of equal ones, the first: a picture just past
    // the table's size is cut almost to single colours, and a search of every group at every cut
    // would cost more than the cutting.
    const auto narrower = [&groups](std::size_t a, std::size_t b) {
        const int spreadA = groups[a].widest.second;
        const int spreadB = groups[b].widest.second;
        return spreadA < spreadB || (spreadA == spreadB && a > b);
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(narrower)> widest(narrower);
    widest.push(0);
    while (groups.size() < static_cast<std::size_t>(kMaxInkColours)) {
        const std::size_t cut = widest.top();
        if (groups[cut].widest.second == 0) {
            break; // every group is one colour
        }
        widest.pop();
        auto [low, high] = Split(colours, groups[cut]);
        groups[cut] = low;
        groups.push_back(high);
        widest.push(cut);
        widest.push(groups.size() - 1);
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
    ink.size = bounds.size();
    ColourTable table;
    ColourCache cache(table);
    const std::vector<ColourRun> runs = CountRuns(canvas, bounds, cache);
    std::vector<QRgb> premultiplied(table.size());
    if (table.size() <= static_cast<std::size_t>(kMaxInkColours)) {
        for (const auto& [colour, entry] : table) {
            premultiplied[entry.index] = colour;
        }
    } else if (table.size() <= kMaxInkColours + kFoldedAtMost) {
        premultiplied = FoldRarest(table);
    } else {
        premultiplied = CutColourSpace(table);
    }
    ink.runs = IndexRuns(runs);
    ink.colourTable = QList<QRgb>(256, 0);
    for (std::size_t index = 0; index < premultiplied.size(); ++index) {
        ink.colourTable[static_cast<qsizetype>(index)] = qUnpremultiply(premultiplied[index]);
    }
    ink.colours = static_cast<int>(premultiplied.size());
    return ink;
}

InkPicture InkOfIndexed(const QImage& indexed, QPoint position) {
    InkPicture ink{indexed.size(), position, indexed.colorTable(), indexed.colorCount(), {}};
    for (int y = 0; y < indexed.height(); ++y) {
        ForEachRun(indexed.constScanLine(y), indexed.width(),
                   [&ink](std::uint8_t index, int length) {
                       ink.runs.push_back({index, length});
                   });
    }
    return ink;
}

QImage InkPicture::Picture() const {
    QImage picture(size, QImage::Format_Indexed8);
    picture.setColorTable(colourTable);
    // The image's own accessors check for sharing at every call, which would cost more than
    // writing the short runs.
    const auto stride = static_cast<std::ptrdiff_t>(picture.bytesPerLine());
    std::uint8_t* row = picture.bits();
    int x = 0;
    for (const InkRun& run : runs) {
        std::memset(row + x, run.index, static_cast<std::size_t>(run.length));
        x += run.length;
        if (x == size.width()) {
            x = 0;
            row += stride;
        }
    }
    return picture;
}

} // namespace orvo
