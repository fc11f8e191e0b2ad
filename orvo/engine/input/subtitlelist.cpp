#include "input/subtitlelist.h"

#include "model/texts.h"

#include <kestrum/util/fileio.h>

#include <algorithm>
#include <string_view>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kMinimumFields = 4;
constexpr int kFirstTextField = 3;

std::string InvalidLineReason(int line, int fields) {
    return "line " + std::to_string(line) + ": " + std::to_string(fields) +
           (fields == 1 ? " field" : " tab-separated fields") +
           "; a subtitle needs at least 4: number, start time, end time, text";
}

} // namespace

std::string SubtitlePlace(std::string_view number, std::size_t index, const SourceLines& source) {
    std::string place = "subtitle " + std::string(number);
    if (const int line = source.LineOf(index); line > 0) {
        place += ", line " + std::to_string(line);
    }
    return place;
}

// One pass over the line: finding each field anew from the start of the line made a line of
// many tabs take quadratic time.
ListTimes TimesOfLine(std::string_view line) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t tab = line.find(kTab);
        field = line.substr(0, tab);
        line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
    }
    return {fields[0], fields[1], fields[2]};
}

std::string JoinTextFields(const std::string& line) {
    std::size_t at = 0;
    for (int field = 0; field < kFirstTextField; ++field) {
        at = line.find(kTab, at);
        if (at == std::string::npos) {
            return {};
        }
        ++at;
    }
    std::string text;
    text.reserve(2 * (line.size() - at));
    for (; at < line.size(); ++at) {
        if (line[at] == kTab) {
            text += "\r\n";
        } else {
            text += line[at];
        }
    }
    return text;
}

ListLoadResult LoadSubtitleList(const std::string& path, SubtitleStore& store) {
    ListLoadResult result;
    const kestrum::ReadResult file = kestrum::ReadFileLimited(path, kMaxListBytes);
    if (!file) {
        result.status = ListLoadResult::Status::CannotOpen;
        result.message = texts::kErrorReadingFile;
        result.reason = file.Message();
        return result;
    }
    return ParseSubtitleList(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()),
        store);
}

ListLoadResult ParseSubtitleList(std::string_view bytes, SubtitleStore& store) {
    ListLoadResult result;
    store.clear();
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
        store.emplace_back(line);
    }
    return result;
}

} // namespace orvo
