#pragma once

#include <kestrum/propstore/cpropdb.h>

namespace orvo {

// What a run writes. The numbers are stored: never renumber them. Each has its entry in the
// table of output formats (output/outputformat.h).
enum class OutputType {
    Dvd1 = 0,   // the script file and 4-bit bitmaps
    Spumux = 1, // the authoring tool's control file and palette PNGs
    VobSub = 2, // an index and its subpicture stream
    Pgs = 3,    // a presentation graphics stream for Blu-ray discs and Matroska files
    Bdn = 4,    // a listing and its full-colour PNGs for Blu-ray authoring
};

// The run's output type as stored under "OutputType"; a number of a type that this program
// cannot write yet is the default.
OutputType ReadOutputType(kestrum::CPropDb& db);

// Stores the type beside the image name. The default is written only over a stored value, so
// that the files of a list that never had another type stay as they were.
void WriteOutputType(kestrum::CPropDb& db, OutputType type);

} // namespace orvo
