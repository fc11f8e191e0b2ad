#pragma once

#include "model/rendersettings.h"
#include "model/subtitle.h"
#include "run/generationhost.h"
#include "run/runparameters.h"

#include <QImage>

#include <kestrum/propstore/cpropdb.h>

namespace orvo {

class RunOutput;
class SubtitleRenderer;
struct OutputFormat;

// How a run draws: the look, and the renderer and canvas of the run's thread.
struct RunDrawing {
    const RenderSettings& settings;
    const SubtitleRenderer& renderer;
    QImage& canvas;
};

// The loop of a run: draws every subtitle of the store on the run's jobs and saves it through
// output as image StartIndex, StartIndex + 1, ... in the order of the store, until the end or
// until the user stops; then the preview shows the test text in the window's look again and
// the run says how it went, in the words of format.
void RunSubtitles(const SubtitleStore& store, const RunParameters& parameters,
                  const OutputFormat& format, RunOutput& output, const RunDrawing& drawing,
                  const RenderSettings& windowLook, GenerationHost& host, RunOutcome& outcome);

// Start of the Process dialog, after the list is loaded, for any output type: the image name
// checked where the type writes image files (a refused name writes nothing), the look read
// back from the database (a look that the DVD colours cannot show writes nothing either),
// drawn in the DVD colours for this run where the type holds only them, the times read where
// the type carries them and the type's own check made (a problem writes nothing), "ImgName",
// "OutputType", "StartIndex" and "FrameRate" stored, the times checked, then the type's first
// files, the database saved as the list configuration file, the run, and the type's last
// files. settings gets the stored look, not the run's colours.
RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& store,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host);

} // namespace orvo
