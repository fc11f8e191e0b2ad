#include "generationrun.h"

#include "bitmapexport.h"
#include "dvdcolours.h"
#include "imagename.h"
#include "looksettings.h"
#include "scriptfile.h"
#include "subtitlerenderer.h"
#include "texts.h"
#include "timecodecheck.h"

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <filesystem>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kFirstTextField = 3; // number, start and end come first

std::string ImageFileName(const std::string& folder, const std::string& imgName, int number) {
    return folder + imgName + "." + std::to_string(number) + ".bmp";
}

bool SaveImage(const QImage& canvas, const std::string& fileName, kestrum::FileReplacer& replacer,
               GenerationHost& host) {
    const DibSaveOutcome outcome = SaveCanvasBitmapWithReason(&canvas, fileName, &replacer);
    if (outcome.code != kDibWritten) {
        host.WriteFailed(fileName, outcome.Reason());
        return false;
    }
    return true;
}

// Each finding on its own line, each kind under its heading; the first kind's heading is the
// message, the others stand in the log before their lines.
void ShowErrorLog(const RunOutcome& outcome, GenerationHost& host) {
    const struct {
        std::string heading;
        const std::vector<std::string>& lines;
    } sections[] = {
        {texts::Format(texts::kLineBreaksFound, static_cast<int>(outcome.wrapped.size())),
         outcome.wrapped},
        {texts::Format(texts::kTextCutOff, static_cast<int>(outcome.cutOff.size())),
         outcome.cutOff},
        {texts::Format(texts::kTimecodeWarnings, static_cast<int>(outcome.timecodeWarnings.size())),
         outcome.timecodeWarnings},
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
std::string FinalStatus(const RunOutcome& outcome) {
    if (outcome.stopped) {
        return texts::kTerminatedByUser;
    }
    if (outcome.filesNotWritten > 0) {
        return texts::Format(texts::kFinishedNotWritten, outcome.filesNotWritten);
    }
    if (!outcome.wrapped.empty()) {
        return texts::Format(texts::kFinishedLineBreaks, static_cast<int>(outcome.wrapped.size()));
    }
    if (!outcome.cutOff.empty()) {
        return texts::Format(texts::kFinishedTextCutOff, static_cast<int>(outcome.cutOff.size()));
    }
    if (!outcome.timecodeWarnings.empty()) {
        return texts::Format(texts::kFinishedTimecodeWarnings,
                             static_cast<int>(outcome.timecodeWarnings.size()));
    }
    return texts::kFinishedNoErrors;
}

void ReportRun(const RunOutcome& outcome, GenerationHost& host) {
    host.SetStatus(FinalStatus(outcome));
    if (outcome.stopped && !host.IsTestMode()) {
        host.ShowNote(
            texts::Format(texts::kImagesGenerated, outcome.imagesWritten, outcome.subtitles));
    }
    if (!outcome.wrapped.empty() || !outcome.cutOff.empty() || !outcome.timecodeWarnings.empty()) {
        ShowErrorLog(outcome, host);
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

// A run that was killed leaves the temporary file it was writing; the next run of the list
// clears those of its script and bitmaps away, once.
void RemoveStaleTemporaries(const std::string& scriptPath, const std::string& imgName) {
    kestrum::CStringHelper helper;
    const std::string folder = helper.GetFilePath(scriptPath);
    const std::string scriptName = helper.GetFileTitle(scriptPath);
    const std::string imagePrefix = imgName + ".";
    kestrum::RemoveStaleTemporaries(folder.empty() ? "." : folder, [&](std::string_view base) {
        return base == scriptName || (base.starts_with(imagePrefix) && base.ends_with(".bmp"));
    });
}

// Draws and saves each subtitle until the end or until the user stops; written gets the
// bitmaps that reached their files.
void DrawAndSave(const SubtitleStore& store, const RunParameters& parameters,
                 const RenderSettings& settings, const SubtitleRenderer& renderer, QImage& canvas,
                 GenerationHost& host, RunOutcome& outcome, std::vector<ScriptEntry>& written) {
    outcome.subtitles = static_cast<int>(store.size());
    kestrum::CStringHelper helper;
    // The full count: a list longer than 65535 subtitles still fills the bar once.
    host.SetProgressRange(outcome.subtitles);
    const std::string folder = helper.GetFilePath(parameters.LastPath);
    kestrum::FileReplacer replacer;
    int number = parameters.StartIndex;
    for (const std::string& line : store) {
        host.StepProgress();
        const RenderResult rendered =
            renderer.RenderSubtitle(settings, JoinTextFields(line), canvas);
        host.CanvasChanged();
        const std::string fileName = ImageFileName(folder, parameters.ImgName, number);
        if (!host.IsTestMode()) {
            if (SaveImage(canvas, fileName, replacer, host)) {
                written.push_back({&line, number});
            } else {
                ++outcome.filesNotWritten;
            }
        }
        if (rendered.lines > helper.GetSegmentCount(line, kTab) - kFirstTextField) {
            outcome.wrapped.push_back(helper.GetFileTitle(fileName));
            host.WrappedFound(outcome.wrapped.back());
        }
        if (rendered.cutOff) {
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
               const SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host) {
    host.SetProgressPos(0);
    renderer.RenderSubtitle(settings, texts::kTestText, canvas);
    host.CanvasChanged();
    ReportRun(outcome, host);
}

} // namespace

GenerationHost::~GenerationHost() = default;

RunOutcome RunGeneration(const SubtitleStore& store, const RunParameters& parameters,
                         const RenderSettings& settings, const SubtitleRenderer& renderer,
                         QImage& canvas, GenerationHost& host) {
    RunOutcome outcome;
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, settings, renderer, canvas, host, outcome, written);
    FinishRun(outcome, settings, renderer, canvas, host);
    return outcome;
}

RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& store,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host) {
    RunOutcome outcome;
    if (const auto problem = ImageNameProblem(parameters.ImgName)) {
        host.ShowNote(ImageNameRefusal(parameters.ImgName, *problem));
        outcome.refused = true;
        return outcome;
    }
    // The stored list path is the one of the list last run; this run's list is in parameters.
    std::string storedLastPath;
    LoadLookSettings(db, settings, storedLastPath);
    if (const auto problem = DvdColoursProblem(settings)) {
        host.ShowNote(*problem);
        outcome.refused = true;
        return outcome;
    }
    // The configuration file then holds the whole look, also the keys that reading does not
    // create (the font): loaded later, it gives exactly this run's look.
    SaveLookSettings(db, settings, storedLastPath);
    renderer.RebuildFonts(settings);
    const int height = settings.PAL ? kPalHeight : kNtscHeight;
    if (canvas.width() != kCanvasWidth || canvas.height() != height) {
        canvas = MakeCanvas(settings.PAL);
    }
    kestrum::CStringHelper helper;
    const ScriptTarget script{helper.ChangeFileExtension(parameters.LastPath, "sst"),
                              db.ReadPropString("", "Header1", texts::kDefaultHeader, true)};
    RemoveStaleTemporaries(script.path, parameters.ImgName);
    if (!WriteScript(script, ScriptEntries(store, parameters.StartIndex), parameters, host)) {
        ++outcome.filesNotWritten;
    }
    db.WritePropString("", "ImgName", parameters.ImgName);
    db.WritePropInt("", "StartIndex", parameters.StartIndex);
    db.WritePropString("", "FrameRate", parameters.frameRate.name);
    for (const TimecodeWarning& warning : CheckTimecodes(store, parameters.frameRate)) {
        outcome.timecodeWarnings.push_back(warning.Text());
    }
    if (!SaveListConfiguration(db, parameters.LastPath, host)) {
        ++outcome.filesNotWritten;
    }
    std::vector<ScriptEntry> written;
    DrawAndSave(store, parameters, settings, renderer, canvas, host, outcome, written);
    // The script of a stopped run must not name bitmaps that were never written.
    if (outcome.stopped && !host.IsTestMode() && !WriteScript(script, written, parameters, host)) {
        ++outcome.filesNotWritten;
    }
    FinishRun(outcome, settings, renderer, canvas, host);
    return outcome;
}

} // namespace orvo
