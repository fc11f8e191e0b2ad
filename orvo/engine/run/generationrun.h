#pragma once

#include "model/rendersettings.h"
#include "model/subtitle.h"
#include "output/outputtype.h"
#include "time/framerate.h"

#include <QImage>

#include <kestrum/propstore/cpropdb.h>

#include <string>
#include <vector>

namespace orvo {

class SubtitleRenderer;

// What a run needs of the program that drives it: the window or the command line.
class GenerationHost {
public:
    virtual ~GenerationHost();

    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual void SetProgressPos(int position) = 0;
    virtual bool IsTestMode() const = 0;
    // The Escape key's state now, not a queued press.
    virtual bool IsEscapeDown() = 0;
    // Yes/No; true goes on.
    virtual bool AskContinue(const std::string& question) = 0;
    // A subtitle that needed more lines than the list gave, as soon as it is found.
    virtual void WrappedFound(const std::string& fileTitle) = 0;
    // A file of the run that could not be written; the run goes on.
    virtual void WriteFailed(const std::string& fileName, const std::string& error) = 0;
    virtual void ShowErrorLog(const std::string& message, const std::string& log) = 0;
    // Something the run goes on with but the user should know at once (images it replaces that
    // another list names); the Error Log lists it again at the end.
    virtual void Warn(const std::string& text) = 0;
    // Something the user must know at the end of the run (how far a stopped run came), or why
    // a run could not start.
    virtual void ShowNote(const std::string& text) = 0;
    // The canvas holds a new picture (each subtitle, then the test text again).
    virtual void CanvasChanged() = 0;
    // Whether the canvas is shown during a run: the subtitles drawn on other threads are then
    // copied to it.
    virtual bool ShowsCanvas() const { return true; }
};

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

// Renders and saves every subtitle of the store as image StartIndex, StartIndex + 1, ...
RunOutcome RunGeneration(const SubtitleStore& store, const RunParameters& parameters,
                         const RenderSettings& settings, const SubtitleRenderer& renderer,
                         QImage& canvas, GenerationHost& host);

// Start of the Process dialog, after the list is loaded: the image name checked (a refused
// name writes nothing), the look read back from the database (a look that the DVD colours
// cannot show writes nothing either), for "DVD-1" the script file beside the list,
// "ImgName", "OutputType", "StartIndex" and "FrameRate" stored, the times checked, the database
// saved as the list configuration file, then the run. A run the user stops rewrites the script
// file to list only the bitmaps written.
// A spumux run is always drawn in the DVD colours and needs every subtitle's times at the rate
// (else nothing is written); it writes no script file but PNGs and, at the end, the control
// file LIST.xml that lists the pictures written. A VobSub run is drawn and timed alike and writes
// no images but, at the end, LIST.sub and LIST.idx with the subtitles coded; a list that LIST.sub
// would replace, or a stored "Language" the index cannot hold, writes nothing.
RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& store,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host);

} // namespace orvo
