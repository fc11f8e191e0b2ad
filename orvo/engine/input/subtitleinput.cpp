#include "input/subtitleinput.h"

#include "input/subtitlefile.h"
#include "model/texts.h"

#include <kestrum/util/fileio.h>
#include <kestrum/util/textcodec.h>

#include <algorithm>
#include <cctype>

namespace orvo {
namespace {

// Text holds no NUL byte, while the first kilobytes of every video, audio or image file do:
// such a file would otherwise be read as a list whose first line is wrong.
bool IsBinary(std::string_view bytes) {
    constexpr std::size_t kLooked = 4096;
    return bytes.substr(0, kLooked).find('\0') != std::string_view::npos;
}

bool IsTabList(std::string_view bytes) {
    return bytes.empty() || bytes.substr(0, bytes.find('\n')).find('\t') != std::string_view::npos;
}

bool HasTxtExtension(const std::string& fileName) {
    constexpr std::string_view kTxt = ".txt";
    if (fileName.size() < kTxt.size()) {
        return false;
    }
    return std::equal(kTxt.begin(), kTxt.end(), fileName.end() - kTxt.size(),
                      [](char wanted, char ch) {
                          return wanted == std::tolower(static_cast<unsigned char>(ch));
                      });
}

ListLoadResult Failure(ListLoadResult::Status status, std::string reason) {
    ListLoadResult result;
    result.status = status;
    result.message = texts::kErrorReadingFile;
    result.reason = std::move(reason);
    return result;
}

// A file read that no reader takes: the store no longer holds the list it held.
ListLoadResult Refused(SubtitleStore& store) {
    store.clear();
    return Failure(ListLoadResult::Status::NotSubtitleFile, kNotASubtitleFile);
}

ListLoadResult FromSubtitleFile(SubtitleFileResult file, SubtitleStore& store) {
    if (file.status == SubtitleFileResult::Status::Damaged) {
        return Failure(ListLoadResult::Status::Damaged, file.kind + ": " + file.reason);
    }
    ListLoadResult result;
    store = std::move(file.subtitles);
    result.kind = std::move(file.kind);
    result.emptySkipped = file.emptySkipped;
    result.warnings = std::move(file.warnings);
    return result;
}

// The decoders take UTF-8 only. Text that is not is read as Windows-1252 here, as every text
// of a list is read for drawing, rather than by the decoders' own conversion, which drops a
// whole event for one of the five bytes the code page leaves undefined.
std::string SubtitleFileText(std::string_view bytes) {
    // The libraries' readers differ in whether they skip a UTF-8 byte order mark.
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.remove_prefix(kUtf8Mark.size());
    }
    // Line by line, so that the code points of a large file are never all in memory at once.
    const auto eachLine = [bytes](const auto& take) {
        for (std::string_view rest = bytes; !rest.empty();) {
            const std::size_t end = std::min(rest.find('\n'), rest.size() - 1);
            if (!take(rest.substr(0, end + 1))) {
                return false;
            }
            rest.remove_prefix(end + 1);
        }
        return true;
    };
    if (eachLine([](std::string_view line) { return kestrum::DecodeUtf8(line).has_value(); })) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    eachLine([&text](std::string_view line) {
        for (const char32_t code : kestrum::DecodeWindows1252(line)) {
            kestrum::AppendUtf8(text, code);
        }
        return true;
    });
    return text;
}

} // namespace

std::optional<std::string> Utf8FromUtf16(std::string_view bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) {
        return std::nullopt;
    }
    return kestrum::Utf16ToUtf8(bytes.substr(2), little);
}

ListLoadResult ReadSubtitles(std::string_view bytes, const std::string& fileName,
                             const FrameRate& rate, SubtitleStore& store) {
    const std::optional<std::string> utf8 = Utf8FromUtf16(bytes);
    if (utf8) {
        bytes = *utf8;
    }
    if (IsBinary(bytes)) {
        return Refused(store);
    }
    if (IsTabList(bytes)) {
        return ParseSubtitleList(bytes, rate, store);
    }
    SubtitleFileResult file = ReadSubtitleFile(SubtitleFileText(bytes), fileName, rate);
    using FileStatus = SubtitleFileResult::Status;
    if (file.status == FileStatus::Loaded || file.status == FileStatus::Damaged) {
        store.clear();
        return FromSubtitleFile(std::move(file), store);
    }
    if (file.status == FileStatus::NotRecognised && HasTxtExtension(fileName)) {
        return ParseSubtitleList(bytes, rate, store);
    }
    return Refused(store);
}

std::string LoadedStatusText(const ListLoadResult& result, std::size_t subtitles) {
    std::string text = texts::Format(texts::kSubtitlesLoaded, static_cast<int>(subtitles));
    if (!result.kind.empty()) {
        text += " (" + result.kind;
        if (result.emptySkipped > 0) {
            text += ", " + std::to_string(result.emptySkipped) + " empty left out";
        }
        text += ")";
    }
    return text;
}

std::string ListFileText(const SubtitleStore& store) {
    std::string text;
    for (const std::string& line : ListLines(store)) {
        text += line + "\r\n";
    }
    return text;
}

ListLoadResult LoadSubtitleFile(const std::string& path, const FrameRate& rate,
                                SubtitleStore& store) {
    const kestrum::ReadResult file = kestrum::ReadFileLimited(path, kMaxListBytes);
    if (!file) {
        return Failure(ListLoadResult::Status::CannotOpen, file.Message());
    }
    return ReadSubtitles(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()), path,
        rate, store);
}

} // namespace orvo
