#include "run/generationrun.h"

#include "model/canvasspec.h"
#include "model/storedkeys.h"
#include "model/texts.h"
#include "output/imagename.h"
#include "output/listedimages.h"
#include "output/outputformat.h"
#include "output/runfiles.h"
#include "render/dvdcolours.h"
#include "render/looksettings.h"
#include "render/subtitlerenderer.h"
#include "run/subtitlepipeline.h"
#include "time/subtitletimes.h"
#include "time/timecodecheck.h"

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/util/cstringhelper.h>

namespace orvo {
namespace {

// Each finding on its own line, each kind under its heading; the first kind's heading is the
// message, the others stand in the log before their lines.
void ShowErrorLog(const RunOutcome& outcome, const OutputFormat& format, GenerationHost& host) {
    const char* pictures = format.pictures.data();
    const struct {
        std::string heading;
        const std::vector<std::string>& lines;
    } sections[] = {
        {texts::Format(texts::kLineBreaksFound, static_cast<int>(outcome.wrapped.size()), pictures),
         outcome.wrapped},
        {texts::Format(texts::kTextCutOff, static_cast<int>(outcome.cutOff.size()), pictures),
         outcome.cutOff},
        {texts::Format(texts::kTimecodeWarnings, static_cast<int>(outcome.timecodeWarnings.size())),
         outcome.timecodeWarnings},
        {texts::Format(texts::kOtherListings, static_cast<int>(outcome.otherListings.size())),
         outcome.otherListings},
    };
    std::string message;
    std::string log;
    for (const auto& section : sections) {
        if (section.lines.empty()) {
            continue;
        }
        if (message.empty()) {
            message = section.heading;
        } else {
            log += "\r\n" + section.heading + "\r\n";
        }
        for (const std::string& line : section.lines) {
            log += line + "\r\n";
        }
    }
    host.ShowErrorLog(message, log);
}

// The status line never keeps the Escape hint: the key cancels nothing after the run.
std::string FinalStatus(const RunOutcome& outcome, const OutputFormat& format) {
    const char* pictures = format.pictures.data();
    if (outcome.stopped) {
        return texts::kTerminatedByUser;
    }
    if (!outcome.folderStop.empty()) {
        return outcome.folderStop;
    }
    if (outcome.filesNotWritten > 0) {
        return texts::Format(texts::kFinishedNotWritten, outcome.filesNotWritten);
    }
    if (!outcome.wrapped.empty()) {
        return texts::Format(texts::kFinishedLineBreaks, static_cast<int>(outcome.wrapped.size()),
                             pictures);
    }
    if (!outcome.cutOff.empty()) {
        return texts::Format(texts::kFinishedTextCutOff, static_cast<int>(outcome.cutOff.size()),
                             pictures);
    }
    if (!outcome.timecodeWarnings.empty()) {
        return texts::Format(texts::kFinishedTimecodeWarnings,
                             static_cast<int>(outcome.timecodeWarnings.size()));
    }
    if (!outcome.otherListings.empty()) {
        return texts::Format(texts::kFinishedOtherListings,
                             static_cast<int>(outcome.otherListings.size()));
    }
    if (outcome.readerWarnings > 0) {
        return texts::Format(texts::kFinishedReaderWarnings, outcome.readerWarnings);
    }
    return texts::kFinishedNoErrors;
}

void ReportRun(const RunOutcome& outcome, const OutputFormat& format, GenerationHost& host) {
    host.SetStatus(FinalStatus(outcome, format));
    if (outcome.stopped && !host.IsTestMode()) {
        host.ShowNote(texts::Format(format.stoppedNote, outcome.imagesWritten, outcome.subtitles));
    }
    if (!outcome.wrapped.empty() || !outcome.cutOff.empty() || !outcome.timecodeWarnings.empty() ||
        !outcome.otherListings.empty()) {
        ShowErrorLog(outcome, format, host);
    }
}

bool SaveListConfiguration(kestrum::CPropDb& db, const RunParameters& parameters,
                           GenerationHost& host, RunOutcome& outcome) {
    const std::string path = ListingPath(parameters, "cfg");
    if (IsTheList(path, parameters)) {
        CountFailure(path, texts::kIsTheList, host, outcome);
        return false;
    }
    try {
        const kestrum::PropFileResult saved = db.SaveWithReason(path);
        if (!saved) {
            CountFailure(path, saved.message, host, outcome);
            return false;
        }
    } catch (const kestrum::CArchiveException& error) {
        CountFailure(path, error.what(), host, outcome);
        return false;
    }
    return true;
}

// False when the run stops: the list's folder refused the configuration file.
bool SaveConfigurationOrStop(kestrum::CPropDb& db, const RunParameters& parameters,
                             GenerationHost& host, RunOutcome& outcome) {
    return SaveListConfiguration(db, parameters, host, outcome) ||
           !StopForFolder(ListingPath(parameters, "cfg"), outcome);
}

// Every listing any type writes beside the list: the list's own, whatever its last type.
std::vector<std::string> OwnListings(const RunParameters& parameters) {
    std::vector<std::string> listings;
    for (const OutputFormat* format : OutputFormats()) {
        for (const std::string_view extension : format->listings) {
            listings.push_back(ListingPath(parameters, extension));
        }
    }
    return listings;
}

// Tells, before the run, of the other lists in the folder whose images it replaces: two lists
// of a folder may share an image name.
void WarnOfOtherListings(const SubtitleStore& store, const RunParameters& parameters,
                         const OutputFormat& format, GenerationHost& host, RunOutcome& outcome) {
    if (host.IsTestMode() || !format.WritesImageFiles()) {
        return;
    }
    outcome.otherListings =
        OtherListingsOfImages(ListFolder(parameters), OwnListings(parameters),
                              {parameters.ImgName, std::string(format.imageExtension),
                               parameters.StartIndex, static_cast<int>(store.size())});
    for (const std::string& listing : outcome.otherListings) {
        host.Warn(listing);
    }
}

// Draws and saves each subtitle until the end or until the user stops; written gets those
// whose images reached their files. The subtitles are drawn on the run's jobs, and written,
// counted and reported here in the order of the store, so that a stopped run leaves the first
// subtitles of the list.
void DrawAndSave(const SubtitleStore& store, const RunParameters& parameters, RunOutput& output,
                 const RunDrawing& drawing, GenerationHost& host, RunOutcome& outcome,
                 std::vector<NumberedSubtitle>& written) {
    outcome.subtitles = static_cast<int>(store.size());
    kestrum::CStringHelper helper;
    // The full count: a list longer than 65535 subtitles still fills the bar once.
    host.SetProgressRange(outcome.subtitles);
    SubtitlePipeline pipeline(
        store, output, {drawing.settings, drawing.renderer, drawing.canvas, host.ShowsCanvas()},
        parameters.jobs);
    int number = parameters.StartIndex;
    for (std::size_t index = 0; index < store.size(); ++index) {
        const Subtitle& subtitle = store[index];
        host.StepProgress();
        EncodedSubtitle encoded = pipeline.Next();
        if (!encoded.shown.isNull()) {
            drawing.canvas.swap(encoded.shown);
        }
        host.CanvasChanged();
        const std::string fileName = output.ImageFileName(number);
        switch (output.Save(encoded, index, number, host)) {
        case RunOutput::Saved::Written:
            written.push_back({&subtitle, number});
            break;
        case RunOutput::Saved::Failed:
            ++outcome.filesNotWritten;
            break;
        case RunOutput::Saved::FolderRefused:
            ++outcome.filesNotWritten;
            if (index == 0 && StopForFolder(fileName, outcome)) {
                return;
            }
            break;
        case RunOutput::Saved::TestMode:
            break;
        }
        if (encoded.rendered.lines > static_cast<int>(subtitle.lines.LineCount())) {
            outcome.wrapped.push_back(helper.GetFileTitle(fileName));
            host.WrappedFound(outcome.wrapped.back());
        }
        if (encoded.rendered.cutOff) {
            outcome.cutOff.push_back(helper.GetFileTitle(fileName));
        }
        host.SetStatus(fileName + texts::kEscapeHint);
        ++number;
        if (host.IsEscapeDown() && !host.AskContinue(texts::kContinueQuestion)) {
            outcome.stopped = true;
            break;
        }
    }
    outcome.imagesWritten = static_cast<int>(written.size());
}

// The preview shows the test text in the window's look again, and the run says how it went.
void FinishRun(const RunOutcome& outcome, const OutputFormat& format,
               const RenderSettings& windowLook, const RunDrawing& drawing, GenerationHost& host) {
    host.SetProgressPos(0);
    drawing.renderer.RenderSubtitle(windowLook, texts::kTestText, drawing.canvas);
    host.CanvasChanged();
    ReportRun(outcome, format, host);
}

// Why the run cannot start: a refused image name, a picture or a look the type cannot show,
// times it cannot carry, or the type's own check. Nothing is written then.
std::optional<std::string> RunProblem(const OutputFormat& format, const OutputContext& context,
                                      const StoreTimes& times) {
    if (auto problem = ImageNameProblem(format.type, context.parameters.ImgName)) {
        return ImageNameRefusal(context.parameters.ImgName, *problem);
    }
    if (const CanvasSpec& canvas = CanvasOf(context.look);
        IsHighDefinition(canvas) && !format.highDefinition) {
        return std::string(format.label) + " holds PAL and NTSC pictures only, not " +
               std::string(canvas.name) + ": choose PAL or NTSC, or a Blu-ray output type.";
    }
    if (auto problem = DvdColoursProblem(context.look)) {
        return problem;
    }
    if (!times.problem.empty()) {
        return times.problem;
    }
    return format.Preflight != nullptr ? format.Preflight(context) : std::nullopt;
}

// The list configuration file then holds everything the run used: the whole look (also the
// keys that reading does not create, the font), the header where the type has one, read and
// stored when missing before the run's keys as the file has always ordered them, and the run's
// keys.
std::string StoreRunKeys(kestrum::CPropDb& db, const OutputFormat& format,
                         const RunParameters& parameters, const RenderSettings& look,
                         const std::string& storedLastPath) {
    SaveLookSettings(db, look, storedLastPath);
    const std::string header =
        format.needsHeader ? db.ReadPropString("", keys::kHeader, texts::kDefaultHeader, true)
                           : std::string();
    db.WritePropString("", keys::kImgName, parameters.ImgName);
    WriteOutputType(db, parameters.outputType);
    db.WritePropInt("", keys::kStartIndex, parameters.StartIndex);
    db.WritePropString("", keys::kFrameRate, parameters.frameRate.name);
    return header;
}

} // namespace

GenerationHost::~GenerationHost() = default;

void RunSubtitles(const SubtitleStore& store, const RunParameters& parameters,
                  const OutputFormat& format, RunOutput& output, const RunDrawing& drawing,
                  const RenderSettings& windowLook, GenerationHost& host, RunOutcome& outcome) {
    std::vector<NumberedSubtitle> written;
    DrawAndSave(store, parameters, output, drawing, host, outcome, written);
    output.Finish(written, host, outcome);
    FinishRun(outcome, format, windowLook, drawing, host);
}

RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& loaded,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host) {
    const OutputFormat& format = FormatOf(parameters.outputType);
    // A list's times are checked and carried at the run's rate, which may not be the one the
    // list was read at.
    std::optional<SubtitleStore> retimed;
    if (!(loaded.rate == parameters.frameRate)) {
        retimed = loaded.AtRate(parameters.frameRate);
    }
    const SubtitleStore& store = retimed ? *retimed : loaded;
    // The stored list path is the one of the list last run; this run's list is in parameters.
    std::string storedLastPath;
    LoadLookSettings(db, settings, storedLastPath);
    // A subpicture holds four colours: its run is drawn in them, whatever the look says.
    RenderSettings look = settings;
    // The types in full colour blend the look's own colours over the video.
    look.Transparent = format.colours == ColourModel::FullColour;
    look.DvdColors =
        !look.Transparent && (look.DvdColors || format.colours == ColourModel::DvdClasses);
    const StoreTimes times = format.needsTimes ? ReadStoreTimes(store) : StoreTimes{};
    std::string header;
    const OutputContext context{parameters,       look, store, times.times, db, header,
                                host.IsTestMode()};
    RunOutcome outcome;
    if (const auto problem = RunProblem(format, context, times)) {
        host.ShowNote(*problem);
        outcome.refused = true;
        return outcome;
    }
    header = StoreRunKeys(db, format, parameters, look, storedLastPath);
    renderer.RebuildFonts(look);
    if (canvas.size() != CanvasOf(look).Size() || canvas.hasAlphaChannel() != look.Transparent) {
        canvas = MakeCanvas(look);
    }
    outcome.readerWarnings = parameters.readerWarnings;
    for (const TimecodeWarning& warning : CheckTimecodes(store)) {
        outcome.timecodeWarnings.push_back(warning.Text());
    }
    const std::unique_ptr<RunOutput> output = format.MakeOutput(context);
    const RunDrawing drawing{look, renderer, canvas};
    RemoveStaleRunTemporaries(parameters, format.listings, format.imageExtension);
    WarnOfOtherListings(store, parameters, format, host, outcome);
    if (output->Begin(host, outcome) && SaveConfigurationOrStop(db, parameters, host, outcome)) {
        RunSubtitles(store, parameters, format, *output, drawing, settings, host, outcome);
    } else {
        FinishRun(outcome, format, settings, drawing, host);
    }
    return outcome;
}

} // namespace orvo
