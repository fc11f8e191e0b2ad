#pragma once

#include "input/subtitlelist.h"
#include "time/framerate.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// What "orvo: FILE: ..." says of a file no reader takes.
constexpr const char* kNotASubtitleFile =
    "not a subtitle file Orvo can read (tab-separated list, SRT, WebVTT, ASS/SSA, ...)";

// Loads a subtitle file of any kind Orvo reads into the store. A file with a NUL byte in its
// first 4 KB is no text and is refused. An empty file, and one whose first line holds a tab, is
// a tab-separated list, read by its own rules; any other goes to the subtitle file reader,
// whose events become list lines with timecodes at rate; a file that reader does not recognise
// is read as a list when its name ends in ".txt" (so that a broken list still says which line),
// and refused otherwise, as is a file the media libraries know for a video or audio file. UTF-16
// with a byte order mark is read as its UTF-8. A file that cannot be read leaves the store as it
// was; once it is read the store is emptied, and it is filled only when the file loaded.
[[nodiscard]] ListLoadResult LoadSubtitleFile(const std::string& path, const FrameRate& rate,
                                              SubtitleStore& store);

// The same for a file already read: bytes are the whole file, fileName its name.
[[nodiscard]] ListLoadResult ReadSubtitles(std::string_view bytes, const std::string& fileName,
                                           const FrameRate& rate, SubtitleStore& store);

// "120 Subtitles loaded !", with the kind of a file that is not a list and the events left
// out for want of text in brackets: "120 Subtitles loaded ! (SRT, 2 empty left out)".
std::string LoadedStatusText(const ListLoadResult& result, std::size_t subtitles);

// The store as a tab-separated list file: each line with CR LF after it.
std::string ListFileText(const SubtitleStore& store);

// The UTF-8 of a text in UTF-16 with a byte order mark (either order); none for any other
// bytes. An unpaired surrogate or a final odd byte becomes U+FFFD.
std::optional<std::string> Utf8FromUtf16(std::string_view bytes);

} // namespace orvo
