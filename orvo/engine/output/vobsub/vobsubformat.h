#pragma once

#include "output/outputformat.h"

#include <kestrum/propstore/cpropdb.h>

#include <string>

namespace orvo {

// VobSub: for players and Matroska files, the index LIST.idx and its packs of subpictures
// LIST.sub, in the four DVD colours; no image files.
extern const OutputFormat kVobSubFormat;

// The language of the index as stored under "Language": "en" when none is.
std::string ReadIndexLanguage(kestrum::CPropDb& db);

// Stores the language; "en" only over a stored value, so that the files of a list that never
// had another language stay as they were.
void WriteIndexLanguage(kestrum::CPropDb& db, const std::string& language);

} // namespace orvo
