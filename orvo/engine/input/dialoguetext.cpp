#include "input/dialoguetext.h"

#include <algorithm>
#include <charconv>

namespace orvo {
namespace {

constexpr int kFieldsBeforeText = 8;
constexpr int kStyleField = 2;
// A weight of \b from this on is bold, as a font of that weight is drawn.
constexpr int kBoldWeight = 600;

bool IsBlank(const StyledLine& line) {
    return std::all_of(line.begin(), line.end(), [](const StyledRun& run) {
        return std::all_of(run.text.begin(), run.text.end(), [](char ch) { return ch == ' '; });
    });
}

// Drops the blank lines at both ends; all of them when no line has text.
void TrimBlankLines(std::vector<StyledLine>& lines) {
    const auto first = std::find_if_not(lines.begin(), lines.end(), IsBlank);
    const auto last = std::find_if_not(lines.rbegin(), lines.rend(), IsBlank).base();
    if (first >= last) {
        lines.clear();
        return;
    }
    lines.erase(last, lines.end());
    lines.erase(lines.begin(), first);
}

// The number at the start of text; none when it does not start with a digit.
std::optional<int> LeadingNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() ? std::optional(value) : std::nullopt;
}

// The real number at the start of text, blanks before it skipped, read with a point whatever the
// locale: the program's locale may write decimals with a comma, and strtod would stop at the
// point of "320.5". None when it does not start with a number.
std::optional<double> LeadingReal(std::string_view text) {
    while (text.starts_with(' ')) {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() ? std::optional(value) : std::nullopt;
}

// "(x,y" at the start of text, as \pos gives it.
std::optional<Placement::Point> Position(std::string_view text, const ScriptSize& size) {
    if (!text.starts_with('(') || size.width <= 0 || size.height <= 0) {
        return std::nullopt;
    }
    const std::size_t comma = text.find(',');
    const std::size_t close = text.find(')');
    if (comma == std::string_view::npos || close == std::string_view::npos || comma > close) {
        return std::nullopt;
    }
    const std::optional<double> left = LeadingReal(text.substr(1, comma - 1));
    const std::optional<double> top = LeadingReal(text.substr(comma + 1, close - comma - 1));
    if (!left || !top) {
        return std::nullopt;
    }
    return Placement::Point{*left / size.width, *top / size.height};
}

// The event as its markup builds it, character by character.
class DialogueBuilder {
public:
    DialogueBuilder(const DialogueStyle& style, const ScriptSize& size)
        : m_style(style)
        , m_size(size)
        , m_emphasis(style.emphasis) {
        m_dialogue.lines.emplace_back();
        m_dialogue.placement = PlacementOf(style.alignment);
    }

    void Add(char ch) {
        StyledLine& line = m_dialogue.lines.back();
        // A block dropped between two blanks must not leave them both.
        if (ch == ' ' && m_afterBlock && !line.empty() && line.back().text.ends_with(' ')) {
            return;
        }
        m_afterBlock = false;
        if (line.empty() || line.back().emphasis != m_emphasis) {
            line.push_back({std::string(), m_emphasis});
        }
        line.back().text += ch;
    }

    void BreakLine() {
        m_dialogue.lines.emplace_back();
        m_afterBlock = false;
    }

    // The tags of an override block, its braces left out.
    void Override(std::string_view block) {
        for (std::size_t at = block.find('\\'); at != std::string_view::npos;
             at = block.find('\\', at + 1)) {
            Tag(block.substr(at + 1));
        }
        m_afterBlock = true;
    }

    StyledDialogue Take() {
        TrimBlankLines(m_dialogue.lines);
        return std::move(m_dialogue);
    }

private:
    void Tag(std::string_view tag) {
        if (tag.starts_with("an")) {
            Align(LeadingNumber(tag.substr(2)), false);
        } else if (tag.starts_with('a')) {
            Align(LeadingNumber(tag.substr(1)), true);
        } else if (tag.starts_with("pos")) {
            if (!m_positioned) {
                m_dialogue.placement.position = Position(tag.substr(3), m_size);
                m_positioned = m_dialogue.placement.position.has_value();
            }
        } else if (tag.starts_with('r')) {
            m_emphasis = m_style.emphasis;
        } else if (tag.starts_with('i')) {
            Switch(Emphasis::Italic, LeadingNumber(tag.substr(1)), 1);
        } else if (tag.starts_with('b')) {
            Switch(Emphasis::Bold, LeadingNumber(tag.substr(1)), kBoldWeight);
        } else if (tag.starts_with('u')) {
            Switch(Emphasis::Underline, LeadingNumber(tag.substr(1)), 1);
        }
    }

    // The first alignment of an event is its own; a later one changes nothing.
    void Align(std::optional<int> code, bool legacy) {
        if (!code || m_aligned) {
            return;
        }
        const std::optional<Placement::Point> position = m_dialogue.placement.position;
        m_dialogue.placement = PlacementOf(*code, legacy);
        m_dialogue.placement.position = position;
        m_aligned = true;
    }

    // \i1 and \i0, and \b with a weight: a tag with anything but a number after it (\iclip,
    // \blur, \bord) is another tag.
    void Switch(Emphasis one, std::optional<int> value, int onFrom) {
        if (!value) {
            return;
        }
        const bool on = *value == 1 || *value >= onFrom;
        const auto bits = static_cast<unsigned>(m_emphasis);
        const auto mask = static_cast<unsigned>(one);
        m_emphasis = static_cast<Emphasis>(on ? bits | mask : bits & ~mask);
    }

    const DialogueStyle& m_style;
    const ScriptSize& m_size;
    Emphasis m_emphasis;
    StyledDialogue m_dialogue;
    bool m_afterBlock = false;
    bool m_aligned = false;
    bool m_positioned = false;
};

} // namespace

Placement PlacementOf(int alignment, bool legacy) {
    Placement placement;
    int column = 1;
    if (legacy) {
        placement.row = alignment >= 9   ? Placement::Row::Middle
                        : alignment >= 5 ? Placement::Row::Top
                                         : Placement::Row::Bottom;
        column = (alignment - 1) % 4;
    } else if (alignment >= 1 && alignment <= 9) {
        placement.row = alignment >= 7   ? Placement::Row::Top
                        : alignment >= 4 ? Placement::Row::Middle
                                         : Placement::Row::Bottom;
        column = (alignment - 1) % 3;
    }
    // The look's codes: 0 left, 1 centre, 2 right. Only another than the bottom centre, which
    // every style has unless it says otherwise, is the file's own.
    if (column >= 0 && column <= 2 && !(placement.row == Placement::Row::Bottom && column == 1)) {
        placement.align = column == 0 ? 0 : (column == 1 ? 1 : 2);
    }
    return placement;
}

std::string_view DialogueText(std::string_view event) {
    std::size_t at = 0;
    for (int comma = 0; comma < kFieldsBeforeText; ++comma) {
        at = event.find(',', at);
        if (at == std::string_view::npos) {
            return event;
        }
        ++at;
    }
    return event.substr(at);
}

std::string_view DialogueStyleName(std::string_view event) {
    std::size_t at = 0;
    for (int comma = 0; comma < kStyleField; ++comma) {
        at = event.find(',', at);
        if (at == std::string_view::npos) {
            return {};
        }
        ++at;
    }
    return event.substr(at, event.find(',', at) - at);
}

StyledDialogue ParseDialogue(std::string_view dialogue, const DialogueStyle& style,
                             const ScriptSize& size) {
    DialogueBuilder builder(style, size);
    // Once a "{" has no "}" after it, none later has: searching again would make a text of
    // many "{" take quadratic time.
    bool closeAhead = true;
    for (std::size_t at = 0; at < dialogue.size(); ++at) {
        const char ch = dialogue[at];
        if (ch == '{' && closeAhead) {
            const std::size_t close = dialogue.find('}', at);
            if (close != std::string_view::npos) {
                builder.Override(dialogue.substr(at + 1, close - at - 1));
                at = close;
                continue;
            }
            closeAhead = false;
        }
        const char next = at + 1 < dialogue.size() ? dialogue[at + 1] : '\0';
        if (ch == '\\' && (next == 'N' || next == 'n')) {
            builder.BreakLine();
            ++at;
        } else if (ch == '\\' && next == 'h') {
            builder.Add(' ');
            ++at;
        } else if (ch == '\\' && (next == '{' || next == '}' || next == '\\')) {
            builder.Add(next);
            ++at;
        } else if (ch == '\n') {
            builder.BreakLine();
        } else if (ch != '\r') {
            builder.Add(ch == '\t' ? ' ' : ch);
        }
    }
    return builder.Take();
}

std::vector<std::string> PlainLines(std::string_view dialogue) {
    std::vector<std::string> lines;
    for (const StyledLine& line : ParseDialogue(dialogue).lines) {
        std::string text;
        for (const StyledRun& run : line) {
            text += run.text;
        }
        lines.push_back(std::move(text));
    }
    return lines;
}

} // namespace orvo
