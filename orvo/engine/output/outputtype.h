#pragma once

#include <kestrum/propstore/cpropdb.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// What a run writes. The numbers are stored: never renumber them.
enum class OutputType {
    Dvd1 = 0,   // the script file and 4-bit bitmaps
    Spumux = 1, // the authoring tool's control file and palette PNGs
    VobSub = 2, // an index and its subpicture stream
};

// Whether the type writes image files named after the image name: VobSub writes none, so its
// runs neither need nor check one.
constexpr bool WritesImageFiles(OutputType type) {
    return type != OutputType::VobSub;
}

// The run's output type as stored under "OutputType"; a number of a type that this program
// cannot write yet is the default.
OutputType ReadOutputType(kestrum::CPropDb& db);

// Stores the type beside the image name. The default is written only over a stored value, so
// that the files of a list that never had another type stay as they were.
void WriteOutputType(kestrum::CPropDb& db, OutputType type);

// The language of a VobSub index as stored under "Language": "en" when none is.
std::string ReadIndexLanguage(kestrum::CPropDb& db);

// Stores the language; "en" only over a stored value, as the type.
void WriteIndexLanguage(kestrum::CPropDb& db, const std::string& language);

// The type of a name as the command line takes it: "dvd-1", "spumux" or "vobsub"; none for any
// other.
std::optional<OutputType> FindOutputType(std::string_view name);

// "dvd-1, spumux, vobsub", for help and messages.
std::string OutputTypeNames();

} // namespace orvo
