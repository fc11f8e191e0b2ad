#include "batchrun.h"

#include "generationrun.h"
#include "imagename.h"
#include "settingsfile.h"
#include "subtitlelist.h"
#include "subtitlerenderer.h"
#include "terminalhost.h"
#include "texts.h"

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

// The option wins, then the stored value, then the default.
std::optional<RunParameters> ChooseParameters(const BatchOptions& options, kestrum::CPropDb& db,
                                              const std::string& settingsPath, std::ostream& err) {
    RunParameters parameters;
    parameters.LastPath = options.listPath;
    parameters.ImgName =
        options.imgName.value_or(db.ReadPropString("", "ImgName", texts::kDefaultImageName, false));
    // A stored name that could lead out of the list's folder (a configuration file that came
    // with a list) is refused before anything is written.
    if (const auto problem = ImageNameProblem(parameters.ImgName)) {
        err << "orvo: " << settingsPath << ": " << ImageNameRefusal(parameters.ImgName, *problem)
            << '\n';
        return std::nullopt;
    }
    parameters.StartIndex = options.startIndex.value_or(db.ReadPropInt("", "StartIndex", 1, false));
    if (!IsValidStartIndex(parameters.StartIndex)) {
        err << "orvo: " << settingsPath << ": StartIndex " << parameters.StartIndex
            << " is not between 0 and " << kMaxStartIndex << '\n';
        return std::nullopt;
    }
    if (options.header) {
        db.WritePropString("", "Header1", *options.header);
    }
    return parameters;
}

int ExitStatus(const RunOutcome& outcome) {
    if (outcome.stopped) {
        return kExitStopped;
    }
    if (outcome.filesNotWritten > 0) {
        return kExitFailed;
    }
    if (!outcome.cutOff.empty()) {
        return kExitCutOff;
    }
    return outcome.wrapped.empty() ? kExitFinished : kExitWrapped;
}

} // namespace

RuntimeFolderRemarkFilter::RuntimeFolderRemarkFilter() {
    g_previousHandler = qInstallMessageHandler(DropRuntimeFolderRemark);
}

RuntimeFolderRemarkFilter::~RuntimeFolderRemarkFilter() {
    qInstallMessageHandler(g_previousHandler);
}

int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err) {
    SubtitleStore store;
    const ListLoadResult loaded = LoadSubtitleList(options.listPath, store);
    if (loaded.status != ListLoadResult::Status::Loaded) {
        err << "orvo: " << options.listPath << ": " << loaded.reason << '\n';
        return kExitFailed;
    }
    kestrum::CPropDb db;
    const std::string settingsPath = ChooseRunSettings(options);
    if (!LoadSettings(db, settingsPath, err)) {
        return kExitFailed;
    }
    const auto parameters = ChooseParameters(options, db, settingsPath, err);
    if (!parameters) {
        return kExitFailed;
    }

    RenderSettings settings;
    SubtitleRenderer renderer(settings);
    QImage canvas = MakeCanvas(settings.PAL);
    TerminalHost host(out, err, options.testMode, isatty(STDERR_FILENO) != 0);
    InstallInterruptHandler();
    const RunOutcome outcome =
        StartGeneration(db, store, *parameters, settings, renderer, canvas, host);
    host.FinishWriteFailures();
    out << host.Status() << '\n';
    out.flush();
    return ExitStatus(outcome);
}

} // namespace orvo
