#include "batchrun.h"
#include "model/storedkeys.h"
#include "render/looksettings.h"

#include "input/subtitleinput.h"
#include "input/subtitlelist.h"
#include "model/texts.h"
#include "output/imagename.h"
#include "output/outputformat.h"
#include "output/vobsub/vobsubformat.h"
#include "render/subtitlerenderer.h"
#include "run/generationrun.h"
#include "settingsfile.h"
#include "terminalhost.h"
#include "time/timecodecheck.h"

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <QString>
#include <QtGlobal>

#include <unistd.h>

namespace orvo {
namespace {

QtMessageHandler g_previousHandler = nullptr;

void DropRuntimeFolderRemark(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) {
        return;
    }
    g_previousHandler(type, context, message);
}

std::string ChooseRunSettings(const BatchOptions& options) {
    if (options.settingsFile) {
        return *options.settingsFile;
    }
    kestrum::CStringHelper helper;
    const std::string listConfig = helper.ChangeFileExtension(options.listPath, "cfg");
    if (!options.ignoreListConfig && !kestrum::IsMissing(listConfig)) {
        return listConfig;
    }
    return ProgramSettingsToRead();
}

// Only a file that is not there means defaults; one that is there but unreadable is an error.
bool LoadSettings(kestrum::CPropDb& db, const std::string& path, std::ostream& err) {
    try {
        const kestrum::PropFileResult loaded = db.LoadWithReason(path);
        if (loaded || loaded.IsMissing()) {
            return true;
        }
        err << "orvo: " << path << ": " << loaded.message << '\n';
    } catch (const kestrum::CArchiveException& error) {
        err << "orvo: " << path << ": " << error.what() << '\n';
    }
    return false;
}

// "vobsub, pgs or bdn": the types that can mark subtitles forced.
std::string ForcingTypeNames() {
    return texts::Listed(TypesThat([](const OutputFormat& format) { return format.canForce; }),
                         " or ");
}

// The option wins, then the stored value, then the default.
std::optional<RunParameters> ChooseParameters(const BatchOptions& options, kestrum::CPropDb& db,
                                              const std::string& settingsPath, std::ostream& err) {
    RunParameters parameters;
    parameters.LastPath = options.listPath;
    parameters.outputType = options.outputType.value_or(ReadOutputType(db));
    const std::string defaultName = DefaultImageName(parameters.outputType, options.listPath);
    // The program's own settings hold the name of whatever list ran last: only the types
    // whose images have always shared one name take it.
    const bool ownName = !FormatOf(parameters.outputType).defaultImageName.empty() ||
                         settingsPath != ProgramSettingsToRead();
    parameters.ImgName = options.imgName.value_or(
        ownName ? db.ReadPropString("", keys::kImgName, defaultName, false) : defaultName);
    // A stored name that could lead out of the list's folder (a configuration file that came
    // with a list) is refused before anything is written.
    if (const auto problem = ImageNameProblem(parameters.outputType, parameters.ImgName)) {
        err << "orvo: " << settingsPath << ": " << ImageNameRefusal(parameters.ImgName, *problem)
            << '\n';
        return std::nullopt;
    }
    parameters.StartIndex =
        options.startIndex.value_or(db.ReadPropInt("", keys::kStartIndex, 1, false));
    if (!IsValidStartIndex(parameters.StartIndex)) {
        err << "orvo: " << settingsPath << ": StartIndex " << parameters.StartIndex
            << " is not between 0 and " << kMaxStartIndex << '\n';
        return std::nullopt;
    }
    parameters.jobs = options.jobs.value_or(0);
    const OutputFormat& format = FormatOf(parameters.outputType);
    if (options.look.otherColours && format.colours == ColourModel::Standard) {
        err << "orvo: " << format.name << " holds the 16 standard colours only: give one of "
            << StandardColourNames() << ", or choose an output type with a palette of its own\n";
        return std::nullopt;
    }
    if (options.forced && !format.canForce) {
        err << "orvo: " << format.name << " cannot mark subtitles forced: choose "
            << ForcingTypeNames() << "\n";
        return std::nullopt;
    }
    parameters.forced = options.forced;
    if (options.header) {
        db.WritePropString("", keys::kHeader, *options.header);
    }
    if (options.language) {
        WriteIndexLanguage(db, *options.language);
    }
    // The run reads its look from the database, and the list configuration file keeps it.
    if (options.dvdColors) {
        db.WritePropBool("", keys::kDvdColors, 1);
    }
    return parameters;
}

int ExitStatus(const RunOutcome& outcome) {
    if (outcome.refused) {
        return kExitFailed;
    }
    if (outcome.stopped) {
        return kExitStopped;
    }
    if (outcome.filesNotWritten > 0) {
        return kExitFailed;
    }
    if (!outcome.cutOff.empty()) {
        return kExitCutOff;
    }
    const bool lookAt = !outcome.wrapped.empty() || !outcome.timecodeWarnings.empty() ||
                        outcome.readerWarnings > 0 || !outcome.otherListings.empty();
    return lookAt ? kExitWrapped : kExitFinished;
}

// The rate of the times: the option, then the stored one, then the picture size's default.
FrameRate ChooseFrameRate(const BatchOptions& options, kestrum::CPropDb& db) {
    if (options.frameRate) {
        return *options.frameRate;
    }
    // As the look reads it: only exactly 1 is PAL.
    const bool pal = ReadStoredPal(db, false);
    return StoredFrameRate(db.ReadPropString("", keys::kFrameRate, "", false), pal);
}

// What a batch run and a conversion start from: the settings, the rate they and the options
// give, and the subtitles of the file read at that rate.
struct LoadedFile {
    kestrum::CPropDb db;
    std::string settingsPath;
    FrameRate rate = DefaultFrameRate(true);
    SubtitleStore store;
    int readerWarnings = 0; // what the reader got past, and said
};

// Reads the settings, then the subtitle file, and says what its reader got past. False, with
// the reason on err, when either cannot be read.
bool LoadFile(const BatchOptions& options, LoadedFile& file, std::ostream& err) {
    file.settingsPath = ChooseRunSettings(options);
    if (!LoadSettings(file.db, file.settingsPath, err)) {
        return false;
    }
    // The look's options replace the stored look before anything reads it: --ntsc also means
    // NTSC's frame rate.
    if (!options.look.Empty()) {
        RenderSettings look;
        std::string lastPath;
        LoadLookSettings(file.db, look, lastPath);
        options.look.ApplyTo(look);
        SaveLookSettings(file.db, look, lastPath);
    }
    file.rate = ChooseFrameRate(options, file.db);
    const std::string& path = options.listPath;
    const ListLoadResult result = LoadSubtitleFile(path, file.rate, file.store);
    if (result.status != ListLoadResult::Status::Loaded) {
        err << "orvo: " << path << ": " << result.reason << '\n';
        return false;
    }
    for (const std::string& warning : result.warnings) {
        err << "orvo: " << path << ": " << warning << '\n';
    }
    if (!result.kind.empty()) {
        err << "orvo: " << path << ": " << LoadedStatusText(result, file.store.size()) << '\n';
    }
    file.readerWarnings = static_cast<int>(result.warnings.size());
    return true;
}

int WriteList(const std::string& path, const std::string& text, std::ostream& err) {
    const std::error_code error = kestrum::ReplaceFile(path, [&text](int fd) {
        return kestrum::WriteAll(fd,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    });
    if (error) {
        err << "orvo: cannot write " << path << ": " << error.message() << '\n';
        return kExitFailed;
    }
    return kExitFinished;
}

} // namespace

RuntimeFolderRemarkFilter::RuntimeFolderRemarkFilter() {
    g_previousHandler = qInstallMessageHandler(DropRuntimeFolderRemark);
}

RuntimeFolderRemarkFilter::~RuntimeFolderRemarkFilter() {
    qInstallMessageHandler(g_previousHandler);
}

int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err) {
    LoadedFile file;
    if (!LoadFile(options, file, err)) {
        return kExitFailed;
    }
    auto parameters = ChooseParameters(options, file.db, file.settingsPath, err);
    if (!parameters) {
        return kExitFailed;
    }
    parameters->frameRate = file.rate;
    parameters->readerWarnings = file.readerWarnings;

    RenderSettings settings;
    SubtitleRenderer renderer(settings);
    QImage canvas = MakeCanvas(CanvasOf(settings));
    TerminalHost host(out, err, options.testMode, isatty(STDERR_FILENO) != 0);
    InstallInterruptHandler();
    const RunOutcome outcome =
        StartGeneration(file.db, file.store, *parameters, settings, renderer, canvas, host);
    host.FinishWriteFailures();
    out << host.Status() << '\n';
    out.flush();
    return ExitStatus(outcome);
}

int RunConvert(const BatchOptions& options, std::ostream& out, std::ostream& err) {
    if (options.outputPath && kestrum::IsSameFile(*options.outputPath, options.listPath)) {
        err << "orvo: " << *options.outputPath << ": is the subtitle file; give another list\n";
        return kExitFailed;
    }
    LoadedFile file;
    if (!LoadFile(options, file, err)) {
        return kExitFailed;
    }
    const std::vector<TimecodeWarning> warnings = CheckTimecodes(file.store);
    if (!warnings.empty()) {
        err << "orvo: " << options.listPath << ": "
            << texts::Format(texts::kTimecodeWarnings, static_cast<int>(warnings.size())) << '\n';
    }
    for (const TimecodeWarning& warning : warnings) {
        err << "orvo: " << options.listPath << ": " << warning.Text() << '\n';
    }
    const std::string text = ListFileText(file.store);
    if (!options.outputPath) {
        out << text;
        out.flush();
    } else if (WriteList(*options.outputPath, text, err) != kExitFinished) {
        return kExitFailed;
    }
    return file.readerWarnings > 0 || !warnings.empty() ? kExitWrapped : kExitFinished;
}

} // namespace orvo
