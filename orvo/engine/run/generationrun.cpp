#include "run/generationrun.h"
#include "model/storedkeys.h"

#include "model/texts.h"
#include "output/dvd1/bitmapexport.h"
#include "output/dvd1/scriptfile.h"
#include "output/imagename.h"
#include "output/listedimages.h"
#include "output/runoutput.h"
#include "output/spumux/spumuxoutput.h"
#include "output/vobsub/vobsuboutput.h"
#include "render/dvdcolours.h"
#include "render/looksettings.h"
#include "render/subtitlerenderer.h"
#include "run/subtitlepipeline.h"
#include "time/subtitletimes.h"
#include "time/timecodecheck.h"

#include <kestrum-gui/colorref.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <cerrno>
#include <filesystem>

namespace orvo {
namespace {

// Draws a subtitle and encodes it as its bitmap, on one thread.
class BitmapEncoder : public SubtitleEncoder {
public:
    BitmapEncoder(const RenderSettings& settings, const SubtitleRenderer& renderer, bool testMode)
        : m_settings(settings)
        , m_renderer(renderer)
        , m_encoder(kestrum::ToQColor(settings.BkgColor).rgb())
        , m_testMode(testMode) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t /*index*/,
                           QImage& canvas) override {
        EncodedSubtitle encoded;
        // The canvas is this encoder's alone: after a subtitle, the rows outside those it drew
        // are known to hold the background.
        const bool known = m_drawn && canvas.size() == m_drawnCanvas;
        encoded.rendered =
            m_renderer.RenderSubtitle(m_settings, subtitle, canvas, known ? &*m_drawn : nullptr);
        m_drawn = encoded.rendered.drawn;
        m_drawnCanvas = canvas.size();
        if (!m_testMode) {
            if (std::optional<Dib> dib = m_encoder.Encode(canvas, encoded.rendered.drawn)) {
                encoded.bytes = std::move(*dib);
            }
        }
        return encoded;
    }

private:
    const RenderSettings& m_settings;
    const SubtitleRenderer& m_renderer;
    CanvasBitmapEncoder m_encoder;
    bool m_testMode;
    std::optional<CanvasRows> m_drawn; // of the canvas as last drawn
    QSize m_drawnCanvas;
};

// The script file's run: each subtitle a 4-bit bitmap of the canvas.
class BitmapOutput : public RunOutput {
public:
    BitmapOutput(const RenderSettings& settings, std::string folder, std::string imgName,
                 bool testMode)
        : m_settings(settings)
        , m_folder(std::move(folder))
        , m_imgName(std::move(imgName))
        , m_testMode(testMode) {}

    std::string ImageFileName(int number) const override {
        return m_folder + ImageFileTitle(m_imgName, number, "bmp");
    }

    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override {
        return std::make_unique<BitmapEncoder>(m_settings, renderer, m_testMode);
    }

    Saved Save(const EncodedSubtitle& encoded, std::size_t /*index*/, int number,
               GenerationHost& host) override {
        if (m_testMode) {
            return Saved::TestMode;
        }
        const std::string fileName = ImageFileName(number);
        // No bytes: the canvas could not be captured, and SaveDib says so.
        const DibSaveOutcome outcome = SaveDibWithReason(
            encoded.bytes.empty() ? nullptr : &encoded.bytes, fileName, &m_replacer);
        if (outcome.code != kDibWritten) {
            host.WriteFailed(fileName, outcome.Reason());
            return IsFolderRefusal(outcome.error) ? Saved::FolderRefused : Saved::Failed;
        }
        return Saved::Written;
    }

private:
    const RenderSettings& m_settings;
    std::string m_folder;
    std::string m_imgName;
    bool m_testMode;
    kestrum::FileReplacer m_replacer;
};

std::string ListFolder(const RunParameters& parameters) {
    return kestrum::CStringHelper().GetFilePath(parameters.LastPath);
}

// Why file's folder takes no new file now; none when it does, or when it refused for another
// reason than the folder. A folder with room for an empty file may have none for a picture.
std::error_code FolderRefusal(const std::string& file) {
    constexpr std::size_t kPictureBytes = 4096;
    const std::error_code error = kestrum::TryCreateBeside(file, kPictureBytes);
    return IsFolderRefusal(error) ? error : std::error_code();
}

// The run's first file was refused by its folder: the thousands after it would be too, so the
// run stops before it draws them. True when it stops.
bool StopForFolder(const std::string& file, RunOutcome& outcome) {
    const std::error_code error = FolderRefusal(file);
    if (error) {
        const std::string folder = kestrum::CStringHelper().GetFilePath(file);
        outcome.folderStop = "Stopped: no file can be written in " +
                             (folder.empty() ? std::string(".") : folder) + " (" + error.message() +
                             ").";
    }
    return !!error;
}

// How the report of a run speaks of what it wrote: the note of a stopped run, with the count
// written and the subtitles', and the noun of its findings.
struct RunReport {
    const char* stoppedNote;
    const char* pictures;
};
constexpr RunReport kBitmapReport{texts::kImagesGenerated, "bitmaps"};
constexpr RunReport kPictureReport{texts::kPicturesListed, "images"};
constexpr RunReport kSubpictureReport{texts::kSubtitlesCoded, "subtitles"};

// Each finding on its own line, each kind under its heading; the first kind's heading is the
// message, the others stand in the log before their lines.
void ShowErrorLog(const RunOutcome& outcome, const RunReport& report, GenerationHost& host) {
    const struct {
        std::string heading;
        const std::vector<std::string>& lines;
    } sections[] = {
        {texts::Format(texts::kLineBreaksFound, static_cast<int>(outcome.wrapped.size()),
                       report.pictures),
         outcome.wrapped},
        {texts::Format(texts::kTextCutOff, static_cast<int>(outcome.cutOff.size()),
                       report.pictures),
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
std::string FinalStatus(const RunOutcome& outcome, const RunReport& report) {
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
                             report.pictures);
    }
    if (!outcome.cutOff.empty()) {
        return texts::Format(texts::kFinishedTextCutOff, static_cast<int>(outcome.cutOff.size()),
                             report.pictures);
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

void ReportRun(const RunOutcome& outcome, const RunReport& report, GenerationHost& host) {
    host.SetStatus(FinalStatus(outcome, report));
    if (outcome.stopped && !host.IsTestMode()) {
        host.ShowNote(texts::Format(report.stoppedNote, outcome.imagesWritten, outcome.subtitles));
    }
    if (!outcome.wrapped.empty() || !outcome.cutOff.empty() || !outcome.timecodeWarnings.empty() ||
        !outcome.otherListings.empty()) {
        ShowErrorLog(outcome, report, host);
    }
}

// The list is in memory only: a script or configuration file of the same name as the list
// (a list called "film.sst") would destroy it.
bool IsTheList(const std::string& path, const std::string& listPath) {
    std::error_code error;
    return path == listPath || std::filesystem::equivalent(path, listPath, error);
}

// Where the script file of a run goes and what it starts with.
struct ScriptTarget {
    std::string path;
    std::string header;
};

bool WriteScript(const ScriptTarget& script, const std::vector<ScriptEntry>& entries,
                 const RunParameters& parameters, GenerationHost& host) {
    if (IsTheList(script.path, parameters.LastPath)) {
        host.WriteFailed(script.path, "it is the subtitle list");
        return false;
    }
    if (const std::error_code error =
            ReplaceScriptFile(script.path, script.header, entries, parameters.ImgName)) {
        host.WriteFailed(script.path, error.message());
        return false;
    }
    return true;
}

bool SaveListConfiguration(kestrum::CPropDb& db, const std::string& listPath,
                           GenerationHost& host) {
    kestrum::CStringHelper helper;
    const std::string path = helper.ChangeFileExtension(listPath, "cfg");
    if (IsTheList(path, listPath)) {
        host.WriteFailed(path, "it is the subtitle list");
        return false;
    }
    try {
        const kestrum::PropFileResult saved = db.SaveWithReason(path);
        if (!saved) {
            host.WriteFailed(path, saved.message);
            return false;
        }
    } catch (const kestrum::CArchiveException& error) {
        host.WriteFailed(path, error.what());
        return false;
    }
    return true;
}

// False when the run stops: the list's folder refused the configuration file, the run's first.
bool SaveConfigurationOrStop(kestrum::CPropDb& db, const std::string& listPath,
                             GenerationHost& host, RunOutcome& outcome) {
    if (SaveListConfiguration(db, listPath, host)) {
        return true;
    }
    ++outcome.filesNotWritten;
    return !StopForFolder(kestrum::CStringHelper().ChangeFileExtension(listPath, "cfg"), outcome);
}

// A run that was killed leaves the temporary file it was writing; the next run of the list
// clears those of its listing file (script or control file) and images away, once.
void RemoveStaleTemporaries(const std::string& listingPath, const std::string& imgName,
                            std::string_view imageExtension) {
    kestrum::CStringHelper helper;
    const std::string folder = helper.GetFilePath(listingPath);
    const std::string listingName = helper.GetFileTitle(listingPath);
    const std::string imagePrefix = imgName + ".";
    kestrum::RemoveStaleTemporaries(folder.empty() ? "." : folder, [&](std::string_view base) {
        return base == listingName ||
               (base.starts_with(imagePrefix) && base.ends_with(imageExtension));
    });
}

// Tells, before the run, of the other lists in the folder whose images it replaces: two lists
// of a folder share the default image name.
void WarnOfOtherListings(const SubtitleStore& store, const RunParameters& parameters,
                         const char* extension, GenerationHost& host, RunOutcome& outcome) {
    if (host.IsTestMode()) {
        return;
    }
    kestrum::CStringHelper helper;
    outcome.otherListings = OtherListingsOfImages(
        ListFolder(parameters),
        {helper.ChangeFileExtension(parameters.LastPath, "sst"),
         helper.ChangeFileExtension(parameters.LastPath, "xml")},
        {parameters.ImgName, extension, parameters.StartIndex, static_cast<int>(store.size())});
    for (const std::string& listing : outcome.otherListings) {
        host.Warn(listing);
    }
}

// How a run draws: its look, and the renderer and canvas of the run's thread.
struct RunDrawing {
    const RenderSettings& settings;
    const SubtitleRenderer& renderer;
    QImage& canvas;
};

// Draws and saves each subtitle until the end or until the user stops; written gets the
// bitmaps that reached their files. The subtitles are drawn on the run's jobs, and written,
// counted and reported here in the order of the store, so that a stopped run leaves the first
// subtitles of the list.
void DrawAndSave(const SubtitleStore& store, const RunParameters& parameters, RunOutput& output,
                 const RunDrawing& drawing, GenerationHost& host, RunOutcome& outcome,
                 std::vector<ScriptEntry>& written) {
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

// The preview shows the test text again, and the run says how it went.
void FinishRun(const RunOutcome& outcome, const RenderSettings& settings,
               const SubtitleRenderer& renderer, QImage& canvas, const RunReport& report,
               GenerationHost& host) {
    host.SetProgressPos(0);
    renderer.RenderSubtitle(settings, texts::kTestText, canvas);
    host.CanvasChanged();
    ReportRun(outcome, report, host);
}

// The run of the script file and its bitmaps, after the list configuration file.
void RunDvd1(kestrum::CPropDb& db, const SubtitleStore& store, const RunParameters& parameters,
             const std::string& header, const RenderSettings& settings,
             const SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host,
             RunOutcome& outcome) {
    kestrum::CStringHelper helper;
    const ScriptTarget script{helper.ChangeFileExtension(parameters.LastPath, "sst"), header};
    RemoveStaleTemporaries(script.path, parameters.ImgName, ".bmp");
    WarnOfOtherListings(store, parameters, "bmp", host, outcome);
    if (!WriteScript(script, ScriptEntries(store, parameters.StartIndex), parameters, host)) {
        ++outcome.filesNotWritten;
        if (StopForFolder(script.path, outcome)) {
            FinishRun(outcome, settings, renderer, canvas, kBitmapReport, host);
            return;
        }
    }
    if (!SaveConfigurationOrStop(db, parameters.LastPath, host, outcome)) {
        FinishRun(outcome, settings, renderer, canvas, kBitmapReport, host);
        return;
    }
    BitmapOutput output(settings, ListFolder(parameters), parameters.ImgName, host.IsTestMode());
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, output, {settings, renderer, canvas}, host, outcome, written);
    // The script of a stopped run must not name bitmaps that were never written.
    if (outcome.stopped && !host.IsTestMode() && !WriteScript(script, written, parameters, host)) {
        ++outcome.filesNotWritten;
    }
    FinishRun(outcome, settings, renderer, canvas, kBitmapReport, host);
}

// The run of the authoring tool's control file and its PNGs, after the list configuration file.
// The control file is written at the end, also of a stopped run, and lists only the pictures
// written.
void RunSpumux(kestrum::CPropDb& db, const SubtitleStore& store, const RunParameters& parameters,
               std::vector<SubtitleTimes> times, const RenderSettings& settings,
               const SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host,
               RunOutcome& outcome) {
    kestrum::CStringHelper helper;
    const std::string controlPath = helper.ChangeFileExtension(parameters.LastPath, "xml");
    RemoveStaleTemporaries(controlPath, parameters.ImgName, ".png");
    WarnOfOtherListings(store, parameters, "png", host, outcome);
    // The control file comes at the end: its folder is asked now.
    if ((!host.IsTestMode() && StopForFolder(controlPath, outcome)) ||
        !SaveConfigurationOrStop(db, parameters.LastPath, host, outcome)) {
        FinishRun(outcome, settings, renderer, canvas, kPictureReport, host);
        return;
    }
    SpumuxOutput output(settings,
                        {ListFolder(parameters), parameters.ImgName, controlPath,
                         CanvasOf(settings), host.IsTestMode()},
                        std::move(times));
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, output, {settings, renderer, canvas}, host, outcome, written);
    if (IsTheList(controlPath, parameters.LastPath)) {
        host.WriteFailed(controlPath, "it is the subtitle list");
        ++outcome.filesNotWritten;
    } else if (!output.WriteControl(host)) {
        ++outcome.filesNotWritten;
    }
    FinishRun(outcome, settings, renderer, canvas, kPictureReport, host);
}

// The run of the subtitle pair LIST.sub and LIST.idx, after the list configuration file. The
// pair is written at the end, also of a stopped run, and holds only the subtitles coded.
void RunVobSub(kestrum::CPropDb& db, const SubtitleStore& store, const RunParameters& parameters,
               std::vector<SubtitleTimes> times, const VobSubSettings& vobSub,
               const RenderSettings& settings, const SubtitleRenderer& renderer, QImage& canvas,
               GenerationHost& host, RunOutcome& outcome) {
    kestrum::CStringHelper helper;
    std::string base = helper.ChangeFileExtension(parameters.LastPath, "");
    base.pop_back();
    const std::string folder = helper.GetFilePath(base);
    const std::string name = helper.GetFileTitle(base);
    kestrum::RemoveStaleTemporaries(folder.empty() ? "." : folder, [&](std::string_view stale) {
        return stale == name + ".idx" || stale == name + ".sub";
    });
    // The pair comes at the end: its folder is asked now.
    if ((!host.IsTestMode() && StopForFolder(base + ".sub", outcome)) ||
        !SaveConfigurationOrStop(db, parameters.LastPath, host, outcome)) {
        FinishRun(outcome, settings, renderer, canvas, kSubpictureReport, host);
        return;
    }
    VobSubOutput output(settings, vobSub, std::move(times), base, parameters.StartIndex,
                        host.IsTestMode());
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, output, {settings, renderer, canvas}, host, outcome, written);
    if (!output.WritePair(host)) {
        ++outcome.filesNotWritten;
    }
    FinishRun(outcome, settings, renderer, canvas, kSubpictureReport, host);
}

// Why a VobSub run of the list cannot start; none when it can. Its packs would replace a list
// that has their name (a MicroDVD film.sub), and a language the index cannot hold or a missing
// encoder would leave the run with nothing to write.
std::optional<std::string> VobSubProblem(const RunParameters& parameters,
                                         const VobSubSettings& vobSub) {
    kestrum::CStringHelper helper;
    const std::string packs = helper.ChangeFileExtension(parameters.LastPath, "sub");
    if (IsTheList(packs, parameters.LastPath)) {
        return "The subtitles cannot be written to " + packs + ": it is the subtitle list.";
    }
    std::string problem = VobSubWriter(vobSub).Problem();
    if (problem.empty()) {
        problem = DvdSubpictureEncoder(vobSub.size, vobSub.colours).Problem();
    }
    if (!problem.empty()) {
        return "The subtitles cannot be written: " + problem + ".";
    }
    return std::nullopt;
}

} // namespace

GenerationHost::~GenerationHost() = default;

bool IsFolderRefusal(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::no_space_on_device ||
           error == std::error_condition(EDQUOT, std::generic_category());
}
RunOutput::~RunOutput() = default;

RunOutcome RunGeneration(const SubtitleStore& store, const RunParameters& parameters,
                         const RenderSettings& settings, const SubtitleRenderer& renderer,
                         QImage& canvas, GenerationHost& host) {
    RunOutcome outcome;
    BitmapOutput output(settings, ListFolder(parameters), parameters.ImgName, host.IsTestMode());
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, output, {settings, renderer, canvas}, host, outcome, written);
    FinishRun(outcome, settings, renderer, canvas, kBitmapReport, host);
    return outcome;
}

RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& loaded,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host) {
    // A list's times are checked and carried at the run's rate, which may not be the one the
    // list was read at.
    std::optional<SubtitleStore> retimed;
    if (!(loaded.rate == parameters.frameRate)) {
        retimed = loaded.AtRate(parameters.frameRate);
    }
    const SubtitleStore& store = retimed ? *retimed : loaded;
    RunOutcome outcome;
    if (const auto problem = ImageNameProblem(parameters.outputType, parameters.ImgName)) {
        host.ShowNote(ImageNameRefusal(parameters.ImgName, *problem));
        outcome.refused = true;
        return outcome;
    }
    // The stored list path is the one of the list last run; this run's list is in parameters.
    std::string storedLastPath;
    LoadLookSettings(db, settings, storedLastPath);
    const bool spumux = parameters.outputType == OutputType::Spumux;
    const bool vobSub = parameters.outputType == OutputType::VobSub;
    const bool subpictures = spumux || vobSub;
    // A subpicture holds four colours: its outputs are always drawn in them.
    settings.DvdColors = settings.DvdColors || subpictures;
    if (const auto problem = DvdColoursProblem(settings)) {
        host.ShowNote(*problem);
        outcome.refused = true;
        return outcome;
    }
    // Times the tool cannot be given stop the run before anything is written.
    StoreTimes times;
    if (subpictures) {
        times = ReadStoreTimes(store);
        if (!times.problem.empty()) {
            host.ShowNote(times.problem);
            outcome.refused = true;
            return outcome;
        }
    }
    const VobSubSettings vobSubSettings{CanvasOf(settings).Size(), DvdClassColours(settings),
                                        ReadIndexLanguage(db)};
    if (vobSub) {
        if (const auto problem = VobSubProblem(parameters, vobSubSettings)) {
            host.ShowNote(*problem);
            outcome.refused = true;
            return outcome;
        }
    }
    // The configuration file then holds the whole look, also the keys that reading does not
    // create (the font): loaded later, it gives exactly this run's look.
    SaveLookSettings(db, settings, storedLastPath);
    renderer.RebuildFonts(settings);
    if (canvas.size() != CanvasOf(settings).Size()) {
        canvas = MakeCanvas(CanvasOf(settings));
    }
    // Read (and stored when missing) before the run's keys, as the configuration file has always
    // ordered them.
    const std::string header =
        subpictures ? std::string()
                    : db.ReadPropString("", keys::kHeader, texts::kDefaultHeader, true);
    db.WritePropString("", keys::kImgName, parameters.ImgName);
    WriteOutputType(db, parameters.outputType);
    db.WritePropInt("", keys::kStartIndex, parameters.StartIndex);
    db.WritePropString("", keys::kFrameRate, parameters.frameRate.name);
    outcome.readerWarnings = parameters.readerWarnings;
    for (const TimecodeWarning& warning : CheckTimecodes(store)) {
        outcome.timecodeWarnings.push_back(warning.Text());
    }
    if (spumux) {
        RunSpumux(db, store, parameters, std::move(times.times), settings, renderer, canvas, host,
                  outcome);
    } else if (vobSub) {
        RunVobSub(db, store, parameters, std::move(times.times), vobSubSettings, settings, renderer,
                  canvas, host, outcome);
    } else {
        RunDvd1(db, store, parameters, header, settings, renderer, canvas, host, outcome);
    }
    return outcome;
}

} // namespace orvo
