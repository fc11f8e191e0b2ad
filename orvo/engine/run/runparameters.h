#pragma once

#include "output/outputtype.h"
#include "time/framerate.h"

#include <string>
#include <vector>

namespace orvo {

// The first image's number: the window's field takes five digits, and a larger number would
// overflow the count of a long run.
constexpr int kMaxStartIndex = 99999;
constexpr int kMaxStartIndexDigits = [] {
    int digits = 0;
    for (int rest = kMaxStartIndex; rest > 0; rest /= 10) {
        ++digits;
    }
    return digits;
}();

constexpr bool IsValidStartIndex(int index) {
    return index >= 0 && index <= kMaxStartIndex;
}

struct RunParameters {
    std::string LastPath; // the subtitle list: bitmaps go into its folder
    std::string ImgName;
    int StartIndex = 1;
    FrameRate frameRate = DefaultFrameRate(true); // the list's times are checked at it
    OutputType outputType = OutputType::Dvd1;
    int jobs = 0; // subtitles drawn at once; 0 is one per core
    // Every subtitle shown even where the player's subtitles are off, for the types that can
    // mark them (OutputFormat::canForce).
    bool forced = false;
    // How often the reader of the store's file warned of what it got past.
    int readerWarnings = 0;
};

struct RunOutcome {
    std::vector<std::string> wrapped; // file titles of the images whose subtitles wrapped
    std::vector<std::string> cutOff;  // file titles of the images whose text did not fit
    int subtitles = 0;                // in the store
    int imagesWritten = 0;
    int filesNotWritten = 0; // script, configuration file and bitmaps
    // One text per subtitle whose times look wrong at the rate; the run does not stop for them.
    std::vector<std::string> timecodeWarnings;
    int readerWarnings = 0; // as the parameters gave them
    // One text per other script or control file of the folder that names images the run
    // replaced.
    std::vector<std::string> otherListings;
    // The status of a run that stopped before it drew, as the list's folder took no file.
    std::string folderStop;
    bool stopped = false;
    bool refused = false; // the image name or the look was refused: nothing was written
};

} // namespace orvo
