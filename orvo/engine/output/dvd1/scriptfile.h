#pragma once

#include "model/subtitle.h"

#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace orvo {

// One script line: "%04d\t" image number, start and end time, image file name without folder.
std::string FormatScriptLine(const Subtitle& subtitle, int number, const std::string& imgName);

// Every subtitle of the store, numbered from startIndex.
std::vector<NumberedSubtitle> ScriptEntries(const SubtitleStore& store, int startIndex);

// Writes header, CR LF, then one line per subtitle numbered from startIndex. False when the
// file cannot be created or written.
[[nodiscard]] bool WriteScriptFile(const std::string& path, const std::string& header,
                                   const SubtitleStore& store, const std::string& imgName,
                                   int startIndex);
// The same for the given images only, with the reason of a failure: the text is built whole
// and then replaces the old file in one step, so a run that is killed leaves the old script or
// the new one, never half of it.
[[nodiscard]] std::error_code ReplaceScriptFile(const std::string& path, const std::string& header,
                                                std::span<const NumberedSubtitle> entries,
                                                const std::string& imgName);

} // namespace orvo
