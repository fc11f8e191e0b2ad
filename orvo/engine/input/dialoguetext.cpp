#include "input/dialoguetext.h"

#include <algorithm>

namespace orvo {
namespace {

constexpr int kFieldsBeforeText = 8;

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char ch) { return ch == ' '; });
}

// Drops the blank lines at both ends; all of them when no line has text.
void TrimBlankLines(std::vector<std::string>& lines) {
    const auto first = std::find_if_not(lines.begin(), lines.end(), IsBlank);
    const auto last = std::find_if_not(lines.rbegin(), lines.rend(), IsBlank).base();
    if (first >= last) {
        lines.clear();
        return;
    }
    lines.erase(last, lines.end());
    lines.erase(lines.begin(), first);
}

} // namespace

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

std::vector<std::string> PlainLines(std::string_view dialogue) {
    std::vector<std::string> lines(1);
    // Once a "{" has no "}" after it, none later has: searching again would make a text of
    // many "{" take quadratic time.
    bool closeAhead = true;
    for (std::size_t at = 0; at < dialogue.size(); ++at) {
        const char ch = dialogue[at];
        if (ch == '{' && closeAhead) {
            const std::size_t close = dialogue.find('}', at);
            if (close != std::string_view::npos) {
                at = close;
                continue;
            }
            closeAhead = false;
        }
        const char next = at + 1 < dialogue.size() ? dialogue[at + 1] : '\0';
        if (ch == '\\' && (next == 'N' || next == 'n')) {
            lines.emplace_back();
            ++at;
        } else if (ch == '\\' && next == 'h') {
            lines.back() += ' ';
            ++at;
        } else if (ch == '\\' && (next == '{' || next == '}' || next == '\\')) {
            lines.back() += next;
            ++at;
        } else if (ch == '\n') {
            lines.emplace_back();
        } else if (ch != '\r') {
            lines.back() += ch == '\t' ? ' ' : ch;
        }
    }
    TrimBlankLines(lines);
    return lines;
}

} // namespace orvo
