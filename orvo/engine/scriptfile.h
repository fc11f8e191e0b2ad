#pragma once

#include "orvo/engine/subtitlelist.h"

#include <string>

namespace orvo {

// One script line: "%04d\t" image number, start and end time, image file name without folder.
std::string FormatScriptLine(const std::string& line, int number, const std::string& imgName);

// Writes header, CR LF, then one line per subtitle numbered from startIndex. False when the
// file cannot be created or written.
bool WriteScriptFile(const std::string& path, const std::string& header, const SubtitleStore& store,
                     const std::string& imgName, int startIndex);

} // namespace orvo
