#include "input/scriptheader.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace orvo {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = text.find(',');
        fields.push_back(Trimmed(text.substr(0, comma)));
        if (comma == std::string_view::npos) {
            return fields;
        }
        text.remove_prefix(comma + 1);
    }
}

int Number(std::string_view text, int fallback) {
    int value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A style's flag: "-1" in ASS, "1" in some writers.
bool IsOn(std::string_view text) {
    return Number(text, 0) != 0;
}

// SSA's codes, 1-3 bottom, 5-7 top and 9-11 middle, as the numpad codes of ASS.
int NumpadOfLegacy(int code) {
    const int column = (code - 1) % 4;
    return code >= 9 ? 4 + column : (code >= 5 ? 7 + column : 1 + column);
}

class HeaderReader {
public:
    void Line(std::string_view line) {
        line = Trimmed(line);
        if (line.starts_with('[')) {
            m_section = line;
            m_format.clear();
        } else if (m_section == "[Script Info]") {
            Info(line);
        } else if (m_section == "[V4+ Styles]" || m_section == "[V4 Styles]") {
            Style(line);
        }
    }

    ScriptHeader Take() {
        // A script that gives one side alone means the other at 4:3, as the renderers of
        // such scripts take it.
        if (m_width > 0 && m_height <= 0) {
            m_height = m_width * 3 / 4;
        } else if (m_height > 0 && m_width <= 0) {
            m_width = m_height * 4 / 3;
        }
        if (m_width > 0 && m_height > 0) {
            m_header.size = {static_cast<double>(m_width), static_cast<double>(m_height)};
        }
        return std::move(m_header);
    }

private:
    void Info(std::string_view line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return;
        }
        const std::string_view key = Trimmed(line.substr(0, colon));
        const std::string_view value = Trimmed(line.substr(colon + 1));
        if (key == "PlayResX") {
            m_width = Number(value, 0);
        } else if (key == "PlayResY") {
            m_height = Number(value, 0);
        }
    }

    void Style(std::string_view line) {
        if (line.starts_with("Format:")) {
            m_format = Fields(line.substr(7));
            return;
        }
        if (!line.starts_with("Style:")) {
            return;
        }
        const std::vector<std::string_view> fields = Fields(line.substr(6));
        const auto field = [&](std::string_view name) -> std::string_view {
            const auto found = std::find(m_format.begin(), m_format.end(), name);
            const auto index = static_cast<std::size_t>(found - m_format.begin());
            return found != m_format.end() && index < fields.size() ? fields[index] : "";
        };
        std::string_view name = field("Name");
        // Old scripts mark their default style with a star.
        if (name.starts_with('*')) {
            name.remove_prefix(1);
        }
        DialogueStyle style;
        style.emphasis = (IsOn(field("Bold")) ? Emphasis::Bold : Emphasis::None) |
                         (IsOn(field("Italic")) ? Emphasis::Italic : Emphasis::None) |
                         (IsOn(field("Underline")) ? Emphasis::Underline : Emphasis::None);
        style.alignment = Number(field("Alignment"), 2);
        if (m_section == "[V4 Styles]") {
            style.alignment = NumpadOfLegacy(style.alignment);
        }
        m_header.styles.insert_or_assign(std::string(name), style);
    }

    ScriptHeader m_header;
    std::string_view m_section;
    std::vector<std::string_view> m_format;
    int m_width = 0;
    int m_height = 0;
};

} // namespace

const DialogueStyle& ScriptHeader::StyleOf(std::string_view name) const {
    static const DialogueStyle kPlain;
    if (const auto own = styles.find(name); own != styles.end()) {
        return own->second;
    }
    const auto fallback = styles.find("Default");
    return fallback != styles.end() ? fallback->second : kPlain;
}

ScriptHeader ParseScriptHeader(std::string_view header) {
    HeaderReader reader;
    for (;;) {
        const std::size_t end = header.find('\n');
        reader.Line(header.substr(0, end));
        if (end == std::string_view::npos) {
            return reader.Take();
        }
        header.remove_prefix(end + 1);
    }
}

} // namespace orvo
