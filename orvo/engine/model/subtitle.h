#pragma once

#include "time/framerate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// How a stretch of text is set off from the text around it, as the translator marked it: any
// of italic, bold and underline. A list's text is always plain.
enum class Emphasis : std::uint8_t { None = 0, Italic = 1, Bold = 2, Underline = 4 };

constexpr Emphasis operator|(Emphasis a, Emphasis b) {
    return static_cast<Emphasis>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool Has(Emphasis set, Emphasis one) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(one)) != 0;
}

// A stretch of a line in one emphasis, its bytes as the file gave them: a list's own encoding,
// UTF-8 from a subtitle file. The renderer decodes them.
struct TextRun {
    std::string_view text;
    Emphasis emphasis = Emphasis::None;
};

// The lines of a subtitle, and in each the runs of one emphasis. Kept as one string and the
// end of each line: a hostile list line of a million tabs is a million lines, and a string or
// a vector for each would cost a hundred times the file.
class SubtitleText {
public:
    // Appends a line of plain bytes.
    void AddLine(std::string_view bytes);
    // Appends a line of runs; runs of one emphasis next to each other are one.
    void AddLine(const std::vector<TextRun>& runs);

    std::size_t LineCount() const { return m_lineEnds.size(); }
    std::string_view Line(std::size_t index) const;
    // The runs of a line, in order: one plain run for a plain line.
    std::vector<TextRun> Runs(std::size_t line) const;
    // Whether any run is set off: otherwise the text is drawn as a list's is.
    bool HasEmphasis() const { return !m_spans.empty(); }
    // Every line's bytes, with separator between each two.
    std::string Joined(std::string_view separator) const;

    bool operator==(const SubtitleText&) const = default;

private:
    // A stretch of m_bytes in an emphasis other than none; in order, never across a line end.
    struct Span {
        std::size_t begin;
        std::size_t end;
        Emphasis emphasis;

        bool operator==(const Span&) const = default;
    };

    std::string m_bytes;
    std::vector<std::size_t> m_lineEnds; // in m_bytes, one per line
    std::vector<Span> m_spans;
};

// Where the text block of a subtitle stands, as the file says. The default is a list's: at
// the bottom margin, growing upward, each line aligned as the look says.
struct Placement {
    enum class Row : std::uint8_t { Bottom, Middle, Top };
    Row row = Row::Bottom;
    // The file's alignment of the lines, in the look's codes (0 left, 1 centre, 2 right); none
    // keeps the look's.
    std::optional<int> align{};
    // The point the block is anchored at, as a fraction of the picture's width and height: the
    // file's own position scaled from the size its script was written for.
    struct Point {
        double x;
        double y;
        bool operator==(const Point&) const = default;
    };
    std::optional<Point> position{};

    bool IsDefault() const { return row == Row::Bottom && !align && !position; }
    bool operator==(const Placement&) const = default;
};

// A start or end of a subtitle: the text the file gave (the script copies it as it stands) and
// the frame it names at the store's rate.
struct SubtitleTime {
    std::string text;
    std::optional<std::int64_t> frame; // none when the text names no frame at the rate
    std::string problem;               // then why: "frame 25 at 25 fps", ...

    bool operator==(const SubtitleTime&) const = default;
};

// One subtitle as every reader gives it and every later stage reads it.
struct Subtitle {
    std::string number; // as the file gives it: a list's first field, else counted from 1
    SubtitleTime start;
    SubtitleTime end;
    SubtitleText lines; // at least one line, maybe empty
    Placement placement;
    int sourceLine = 0; // where it begins in its file, from 1; 0 where the reader cannot say

    // The text to draw: the lines' bytes with CR LF between them.
    std::string Text() const;
    // "subtitle 12, line 51", as messages name it; without the line where it is not known.
    std::string Place() const;

    bool operator==(const Subtitle&) const = default;
};

// Plain lines from text with CR LF (or LF) between them, such as the preview's test text.
SubtitleText LinesOfText(std::string_view text);

// The time a text names at rate, as a list gives it.
SubtitleTime TimeAtRate(std::string text, const FrameRate& rate);

// The subtitles of one file, in the order the run draws and numbers them, and the rate their
// frames are counted at.
struct SubtitleStore {
    std::vector<Subtitle> subtitles;
    FrameRate rate = DefaultFrameRate(true);

    std::size_t size() const { return subtitles.size(); }
    bool empty() const { return subtitles.empty(); }
    const Subtitle& operator[](std::size_t index) const { return subtitles[index]; }
    auto begin() const { return subtitles.begin(); }
    auto end() const { return subtitles.end(); }
    void clear() { subtitles.clear(); }

    // The same subtitles with their times read at another rate: a list's times are text, which
    // names other frames at another rate.
    SubtitleStore AtRate(const FrameRate& other) const;
};

// A subtitle and the number of its image: a script lists them, a run writes them.
struct NumberedSubtitle {
    const Subtitle* subtitle;
    int number;
};

// The store as a tab-separated list: per subtitle its number, start, end and one field per
// line, the runs' bytes as they are.
std::vector<std::string> ListLines(const SubtitleStore& store);

} // namespace orvo
