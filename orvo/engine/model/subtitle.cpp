#include "model/subtitle.h"

#include "time/timecode.h"

#include <algorithm>

namespace orvo {

void SubtitleText::AddLine(std::string_view bytes) {
    m_bytes += bytes;
    m_lineEnds.push_back(m_bytes.size());
}

void SubtitleText::AddLine(const std::vector<TextRun>& runs) {
    const std::size_t lineStart = m_bytes.size();
    for (const TextRun& run : runs) {
        const std::size_t begin = m_bytes.size();
        m_bytes += run.text;
        if (run.emphasis == Emphasis::None || run.text.empty()) {
            continue;
        }
        if (!m_spans.empty() && m_spans.back().begin >= lineStart && m_spans.back().end == begin &&
            m_spans.back().emphasis == run.emphasis) {
            m_spans.back().end = m_bytes.size();
        } else {
            m_spans.push_back({begin, m_bytes.size(), run.emphasis});
        }
    }
    m_lineEnds.push_back(m_bytes.size());
}

std::string_view SubtitleText::Line(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : m_lineEnds[index - 1];
    return std::string_view(m_bytes).substr(begin, m_lineEnds[index] - begin);
}

std::vector<TextRun> SubtitleText::Runs(std::size_t line) const {
    const std::size_t begin = line == 0 ? 0 : m_lineEnds[line - 1];
    const std::size_t end = m_lineEnds[line];
    const std::string_view bytes(m_bytes);
    std::vector<TextRun> runs;
    // The spans are in order: the first that ends after the line's start is the line's first.
    auto span = std::lower_bound(m_spans.begin(), m_spans.end(), begin,
                                 [](const Span& one, std::size_t at) { return one.end <= at; });
    std::size_t at = begin;
    for (; span != m_spans.end() && span->begin < end; ++span) {
        if (span->begin > at) {
            runs.push_back({bytes.substr(at, span->begin - at)});
        }
        runs.push_back({bytes.substr(span->begin, span->end - span->begin), span->emphasis});
        at = span->end;
    }
    if (at < end || runs.empty()) {
        runs.push_back({bytes.substr(at, end - at)});
    }
    return runs;
}

std::string SubtitleText::Joined(std::string_view separator) const {
    std::string text;
    text.reserve(m_bytes.size() + separator.size() * m_lineEnds.size());
    for (std::size_t index = 0; index < LineCount(); ++index) {
        if (index > 0) {
            text += separator;
        }
        text += Line(index);
    }
    return text;
}

std::string Subtitle::Text() const {
    return lines.Joined("\r\n");
}

std::string Subtitle::Place() const {
    std::string place = "subtitle " + number;
    if (sourceLine > 0) {
        place += ", line " + std::to_string(sourceLine);
    }
    return place;
}

SubtitleText LinesOfText(std::string_view text) {
    SubtitleText lines;
    for (;;) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.AddLine(line);
        if (end == std::string_view::npos) {
            return lines;
        }
        text.remove_prefix(end + 1);
    }
}

SubtitleTime TimeAtRate(std::string text, const FrameRate& rate) {
    ParsedTimecode parsed = ParseTimecode(text, rate);
    return {std::move(text), parsed.frame, std::move(parsed.problem)};
}

SubtitleStore SubtitleStore::AtRate(const FrameRate& other) const {
    SubtitleStore timed{subtitles, other};
    for (Subtitle& subtitle : timed.subtitles) {
        subtitle.start = TimeAtRate(std::move(subtitle.start.text), other);
        subtitle.end = TimeAtRate(std::move(subtitle.end.text), other);
    }
    return timed;
}

std::vector<std::string> ListLines(const SubtitleStore& store) {
    std::vector<std::string> lines;
    lines.reserve(store.size());
    for (const Subtitle& subtitle : store) {
        lines.push_back(subtitle.number + '\t' + subtitle.start.text + '\t' + subtitle.end.text +
                        '\t' + subtitle.lines.Joined("\t"));
    }
    return lines;
}

} // namespace orvo
