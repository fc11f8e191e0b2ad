#pragma once

#include "model/rendersettings.h"
#include "model/subtitle.h"
#include "output/outputtype.h"
#include "output/runoutput.h"
#include "run/runparameters.h"
#include "time/subtitletimes.h"

#include <kestrum/propstore/cpropdb.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// The colours an output's pictures hold.
enum class ColourModel {
    Standard,   // the 16 standard colours of a 4-bit bitmap
    DvdClasses, // the four of a DVD subpicture: the run is drawn in the DVD colours
    FullColour, // the look's own colours, blended, on a transparent canvas
};

// What an output type is given to check a run and to make its output.
struct OutputContext {
    const RunParameters& parameters;
    const RenderSettings& look; // the run's: in the DVD colours where the type holds only them
    const SubtitleStore& store;
    const std::vector<SubtitleTimes>& times; // one per subtitle where the type needs times
    kestrum::CPropDb& db;                    // the run's settings: "Language", ...
    const std::string& header;               // the script header where the type needs one
    bool testMode;
};

// One output type: everything the run, the window and the command line need to know of it.
// The table of them (OutputFormats) is the only list of types there is: adding a type is a
// folder under output/ and a line in the table.
struct OutputFormat {
    OutputType type;           // stored under "OutputType": never renumber
    std::string_view name;     // on the command line: --output-type NAME
    std::string_view label;    // in the Process dialog's box
    std::string_view help;     // in --help: what a run writes
    std::string_view writes;   // in --help's description: "one bitmap per subtitle and ..."
    std::string_view pictures; // what the report calls its images: "bitmaps"
    // What a stopped run says, with the count written and the subtitles': "%d of %d images
    // generated; the script file lists them."
    const char* stoppedNote;
    bool needsTimes;  // every subtitle's times at the rate, or nothing is written
    bool needsHeader; // the script header: the dialog's field, --header
    ColourModel colours;
    bool highDefinition; // draws on the HD canvases too; a run on one is refused otherwise
    bool canForce;       // marks its subtitles forced: shown even with subtitles off
    // The extension of its image files NAME.N.EXT, named after the image name; empty when it
    // writes none.
    std::string_view imageExtension;
    // The image name when none is given or stored; empty for the list's own name without its
    // extension, so that two lists of a folder never share their pictures.
    std::string_view defaultImageName;
    // Its files LIST.EXT beside the list: their killed writers' temporaries are cleared away,
    // and none may be the list itself.
    std::span<const std::string_view> listings;
    // The command-line options that serve this type alone.
    std::span<const std::string_view> options;
    // Why a run of the list cannot start: nothing is written then. None when it can.
    std::optional<std::string> (*Preflight)(const OutputContext& context);
    std::unique_ptr<RunOutput> (*MakeOutput)(const OutputContext& context);

    bool WritesImageFiles() const { return !imageExtension.empty(); }
};

// Every type, in the order of their stored numbers.
std::span<const OutputFormat* const> OutputFormats();

// The command-line names of the output types that serve, in the table's order.
template <typename Serves>
std::vector<std::string_view> TypesThat(Serves serves) {
    std::vector<std::string_view> names;
    for (const OutputFormat* format : OutputFormats()) {
        if (serves(*format)) {
            names.push_back(format->name);
        }
    }
    return names;
}

// The entry of a type the program writes.
const OutputFormat& FormatOf(OutputType type);

// The type of a name as the command line takes it; none for any other.
std::optional<OutputType> FindOutputType(std::string_view name);

// "dvd-1, spumux, vobsub", for help and messages.
std::string OutputTypeNames();

} // namespace orvo
