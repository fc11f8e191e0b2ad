#include "input/subtitlelist.h"

#include "model/texts.h"

#include <kestrum/util/fileio.h>

#include <algorithm>
#include <string_view>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kMinimumFields = 4;

std::string InvalidLineReason(int line, int fields) {
    return "line " + std::to_string(line) + ": " + std::to_string(fields) +
           (fields == 1 ? " field" : " tab-separated fields") +
           "; a subtitle needs at least 4: number, start time, end time, text";
}

// The subtitle of a valid line, in one pass over it: finding each field anew from the start of
// the line made a line of many tabs take quadratic time.
Subtitle SubtitleOfLine(std::string_view line, int lineNumber, const FrameRate& rate) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t tab = line.find(kTab);
        field = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    Subtitle subtitle;
    subtitle.number = fields[0];
    subtitle.start = TimeAtRate(std::string(fields[1]), rate);
    subtitle.end = TimeAtRate(std::string(fields[2]), rate);
    subtitle.sourceLine = lineNumber;
    for (;;) {
        const std::size_t tab = line.find(kTab);
        subtitle.lines.AddLine(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return subtitle;
        }
        line.remove_prefix(tab + 1);
    }
}

} // namespace

ListLoadResult LoadSubtitleList(const std::string& path, const FrameRate& rate,
                                SubtitleStore& store) {
    ListLoadResult result;
    const kestrum::ReadResult file = kestrum::ReadFileLimited(path, kMaxListBytes);
    if (!file) {
        result.status = ListLoadResult::Status::CannotOpen;
        result.message = texts::kErrorReadingFile;
        result.reason = file.Message();
        return result;
    }
    return ParseSubtitleList(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()), rate,
        store);
}

ListLoadResult ParseSubtitleList(std::string_view bytes, const FrameRate& rate,
                                 SubtitleStore& store) {
    ListLoadResult result;
    store.clear();
    store.rate = rate;
    // Lines end at LF, with one CR just before it dropped: a CR anywhere else is part of the
    // line's text. The last line needs no line end, and a final line end adds no line.
    for (int lineNumber = 1; !bytes.empty(); ++lineNumber) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const int fields = static_cast<int>(std::count(line.begin(), line.end(), kTab)) + 1;
        if (fields < kMinimumFields) {
            result.status = ListLoadResult::Status::InvalidLine;
            result.line = lineNumber;
            result.message = texts::Format(texts::kErrorReadingLine, lineNumber);
            result.reason = InvalidLineReason(lineNumber, fields);
            store.clear();
            return result;
        }
        store.subtitles.push_back(SubtitleOfLine(line, lineNumber, rate));
    }
    return result;
}

} // namespace orvo
