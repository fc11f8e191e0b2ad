#pragma once

#include "model/subtitle.h"
#include "time/framerate.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvo {

struct SubtitleFileResult {
    // MediaFile: the libraries know the content for a file of another kind, a video or an
    // audio container, which is no list either.
    enum class Status { Loaded, NotRecognised, Damaged, MediaFile };
    Status status = Status::NotRecognised;
    std::string kind;        // what the file is, for people: "SRT", "WebVTT", "ASS/SSA", ...
    SubtitleStore subtitles; // each at the line its event begins at, where the reader knows it
    int events = 0;          // as the file's reader gave them, the empty ones included
    int emptySkipped = 0;
    std::vector<std::string> warnings; // what the reader got past: a damaged event, ...
    std::string reason;                // why a damaged file gave no subtitles
};

// Reads a subtitle file of one of the text kinds the subtitle libraries know (SRT, WebVTT,
// ASS/SSA, MicroDVD, SubViewer, SAMI, MPL2, ...) from its bytes, which must be UTF-8: the
// decoders refuse an event in any other encoding. Gives one list line per event that has text, in
// time order: its number counted from 1, start and end as timecodes at rate, one field per text
// line. A file the libraries do not take for one of those kinds is NotRecognised (MediaFile
// when they know it as one of another kind by its content alone); one they
// cannot read is Damaged, with their reason, and no subtitles. A frame-based file (MicroDVD)
// counts its frames at rate.
[[nodiscard]] SubtitleFileResult
ReadSubtitleFile(std::string_view bytes, const std::string& fileName, const FrameRate& rate);

} // namespace orvo
