#include "orvo/engine/generationrun.h"

#include "orvo/engine/bitmapexport.h"
#include "orvo/engine/looksettings.h"
#include "orvo/engine/scriptfile.h"
#include "orvo/engine/subtitlerenderer.h"
#include "orvo/engine/texts.h"

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/util/cstringhelper.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kFirstTextField = 3;

// Fields 3 and on, one text line each.
std::string JoinTextFields(kestrum::CStringHelper& helper, const std::string& line, int fields) {
    std::string text;
    for (int i = kFirstTextField; i < fields; ++i) {
        text += helper.GetSegment(i, line, kTab);
        if (i < fields - 1) {
            text += "\r\n";
        }
    }
    return text;
}

std::string ImageFileName(const std::string& folder, const std::string& imgName, int number) {
    return folder + imgName + "." + std::to_string(number) + ".bmp";
}

// The writers report why through errno; a failure that left none still needs a reason.
std::string LastErrorText(int error, std::string fallback) {
    return error != 0 ? std::string(std::strerror(error)) : fallback;
}

std::string SaveResultText(std::uint16_t result) {
    switch (result) {
    case kDibNotAccessible:
        return "cannot create the file";
    case kDibFileError:
        return "write error";
    case kNoDib:
        return "no picture to write";
    default:
        return "error " + std::to_string(result);
    }
}

void SaveImage(const QImage& canvas, const std::string& fileName, GenerationHost& host) {
    errno = 0;
    const std::uint16_t result = SaveCanvasBitmap(&canvas, fileName);
    const int error = errno;
    if (result != kDibWritten) {
        host.WriteFailed(fileName, LastErrorText(error, SaveResultText(result)));
    }
}

void ReportRun(const RunOutcome& outcome, GenerationHost& host) {
    if (!outcome.wrapped.empty()) {
        std::array<char, 96> message{};
        std::snprintf(message.data(), message.size(), texts::kLineBreaksFound,
                      static_cast<int>(outcome.wrapped.size()));
        std::string log;
        for (const std::string& title : outcome.wrapped) {
            log += title + "\r\n";
        }
        host.ShowErrorLog(message.data(), log);
    } else if (!outcome.stopped) {
        host.SetStatus(texts::kFinishedNoErrors);
    }
}

// The list is in memory only: a script or configuration file of the same name as the list
// (a list called "film.sst") would destroy it.
bool IsTheList(const std::string& path, const std::string& listPath) {
    std::error_code error;
    return path == listPath || std::filesystem::equivalent(path, listPath, error);
}

void WriteScript(kestrum::CPropDb& db, const SubtitleStore& store, const RunParameters& parameters,
                 GenerationHost& host) {
    kestrum::CStringHelper helper;
    const std::string path = helper.ChangeFileExtension(parameters.LastPath, "sst");
    if (IsTheList(path, parameters.LastPath)) {
        host.WriteFailed(path, "it is the subtitle list");
        return;
    }
    const std::string header = db.ReadPropString("", "Header1", texts::kDefaultHeader, true);
    errno = 0;
    if (!WriteScriptFile(path, header, store, parameters.ImgName, parameters.StartIndex)) {
        const int error = errno;
        host.WriteFailed(path, LastErrorText(error, "write error"));
    }
}

void SaveListConfiguration(kestrum::CPropDb& db, const std::string& listPath,
                           GenerationHost& host) {
    kestrum::CStringHelper helper;
    const std::string path = helper.ChangeFileExtension(listPath, "cfg");
    if (IsTheList(path, listPath)) {
        host.WriteFailed(path, "it is the subtitle list");
        return;
    }
    try {
        errno = 0;
        if (!db.Save(path)) {
            const int error = errno;
            host.WriteFailed(path, LastErrorText(error, "cannot create the file"));
        }
    } catch (const kestrum::CArchiveException& error) {
        host.WriteFailed(path, error.what());
    }
}

} // namespace

GenerationHost::~GenerationHost() = default;

RunOutcome RunGeneration(const SubtitleStore& store, const RunParameters& parameters,
                         const RenderSettings& settings, const SubtitleRenderer& renderer,
                         QImage& canvas, GenerationHost& host) {
    RunOutcome outcome;
    kestrum::CStringHelper helper;
    // The full count: a list longer than 65535 subtitles still fills the bar once.
    host.SetProgressRange(static_cast<int>(store.size()));
    const std::string folder = helper.GetFilePath(parameters.LastPath);
    int number = parameters.StartIndex;
    for (const std::string& line : store) {
        host.StepProgress();
        const int fields = helper.GetSegmentCount(line, kTab);
        const RenderResult rendered =
            renderer.RenderSubtitle(settings, JoinTextFields(helper, line, fields), canvas);
        host.CanvasChanged();
        const std::string fileName = ImageFileName(folder, parameters.ImgName, number);
        if (!host.IsTestMode()) {
            SaveImage(canvas, fileName, host);
        }
        if (rendered.lines > fields - kFirstTextField) {
            outcome.wrapped.push_back(helper.GetFileTitle(fileName));
            host.WrappedFound(outcome.wrapped.back());
        }
        host.SetStatus(fileName + texts::kEscapeHint);
        ++number;
        if (host.IsEscapeDown() && !host.AskContinue(texts::kContinueQuestion)) {
            host.SetStatus(texts::kTerminatedByUser);
            outcome.stopped = true;
            break;
        }
    }
    host.SetProgressPos(0);
    renderer.RenderSubtitle(settings, texts::kTestText, canvas);
    host.CanvasChanged();
    ReportRun(outcome, host);
    return outcome;
}

RunOutcome StartGeneration(kestrum::CPropDb& db, const SubtitleStore& store,
                           const RunParameters& parameters, RenderSettings& settings,
                           SubtitleRenderer& renderer, QImage& canvas, GenerationHost& host) {
    // The stored list path is the one of the list last run; this run's list is in parameters.
    std::string storedLastPath;
    LoadLookSettings(db, settings, storedLastPath);
    renderer.RebuildFonts(settings);
    const int height = settings.PAL ? kPalHeight : kNtscHeight;
    if (canvas.width() != kCanvasWidth || canvas.height() != height) {
        canvas = MakeCanvas(settings.PAL);
    }
    WriteScript(db, store, parameters, host);
    db.WritePropString("", "ImgName", parameters.ImgName);
    db.WritePropInt("", "StartIndex", parameters.StartIndex);
    SaveListConfiguration(db, parameters.LastPath, host);
    return RunGeneration(store, parameters, settings, renderer, canvas, host);
}

} // namespace orvo
