#include "input/srtblocks.h"

#include <algorithm>
#include <cctype>

namespace orvo {
namespace {

constexpr std::size_t kQuotedLine = 40;

bool IsDigit(char ch) {
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
}

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
}

// A number as the reader's scan takes it: blanks, an optional sign, at least one digit.
bool TakeNumber(std::string_view& text) {
    SkipBlanks(text);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const auto digits = std::find_if_not(text.begin(), text.end(), IsDigit) - text.begin();
    text.remove_prefix(static_cast<std::size_t>(digits));
    return digits > 0;
}

bool TakeOne(std::string_view& text, std::string_view characters) {
    if (text.empty() || characters.find(text.front()) == std::string_view::npos) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

bool TakeTime(std::string_view& text) {
    return TakeNumber(text) && TakeOne(text, ":") && TakeNumber(text) && TakeOne(text, ":") &&
           TakeNumber(text) && TakeOne(text, ",.") && TakeNumber(text);
}

bool IsBlockNumber(std::string_view line) {
    SkipBlanks(line);
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    return !line.empty() && std::all_of(line.begin(), line.end(), IsDigit);
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), IsBlank);
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
    }
    return lines;
}

std::string LostBlock(std::string_view number, std::size_t line, std::string_view timing,
                      bool first) {
    SkipBlanks(number);
    std::string quoted(timing.substr(0, kQuotedLine));
    if (timing.size() > kQuotedLine) {
        quoted += "...";
    }
    return "block " + std::string(number.substr(0, number.find_first_of(" \t"))) + " (line " +
           std::to_string(line) + "): the timing line \"" + quoted +
           (first ? "\" cannot be read; the block is left out"
                  : "\" cannot be read; its text was added to the subtitle before it");
}

} // namespace

bool IsSrtTimingLine(std::string_view line) {
    if (!TakeTime(line)) {
        return false;
    }
    SkipBlanks(line);
    if (!line.starts_with("-->")) {
        return false;
    }
    line.remove_prefix(3);
    return TakeTime(line);
}

SrtBlockScan ScanSrtBlocks(std::string_view text) {
    SrtBlockScan scan;
    const std::vector<std::string_view> lines = Lines(text);
    bool timingSeen = false;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        if (IsSrtTimingLine(lines[at])) {
            const bool noText = at + 1 == lines.size() || lines[at + 1].empty();
            scan.emptyBlocks += noText ? 1 : 0;
            timingSeen = true;
            continue;
        }
        const bool startsBlock = at == 0 || IsBlankLine(lines[at - 1]);
        if (!startsBlock || !IsBlockNumber(lines[at]) || at + 1 == lines.size()) {
            continue;
        }
        ++scan.numberedBlocks;
        if (!IsSrtTimingLine(lines[at + 1])) {
            scan.warnings.push_back(LostBlock(lines[at], at + 2, lines[at + 1], !timingSeen));
        }
    }
    return scan;
}

std::string SrtCountWarning(const SrtBlockScan& scan, int events) {
    const int expected = scan.numberedBlocks - scan.emptyBlocks;
    if (!scan.warnings.empty() || events >= expected) {
        return {};
    }
    return "the file has " + std::to_string(scan.numberedBlocks) + " numbered blocks, but only " +
           std::to_string(events) + " subtitles were read";
}

} // namespace orvo
