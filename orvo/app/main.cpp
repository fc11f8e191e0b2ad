#include "batchrun.h"
#include "commandline.h"
#include "corvoapp.h"
#include "programicon.h"
#include "settingsfile.h"

#include <kestrum/util/cversion.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <iostream>

namespace {

// Without a display Qt would abort the window with a platform plugin error.
bool HasDisplay() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    kestrum::CVersion version;
    version.Init();
    QCoreApplication::setApplicationName("orvo");
    QCoreApplication::setApplicationVersion(QString::fromStdString(version.GetVersion()));

    orvo::CommandLine commandLine;
    const orvo::ParsedCommandLine parsed = commandLine.Parse({argv, argv + argc});
    // Every argument belongs to the program: Qt gets none of them to interpret.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    if (parsed.request == orvo::CommandLineRequest::Batch) {
        // A batch run must work without a display; a platform the user chose still wins.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        const orvo::RuntimeFolderRemarkFilter quiet;
        QGuiApplication app(qtArgc, qtArgv);
        return orvo::RunBatch(parsed.options, std::cout, std::cerr);
    }
    if (parsed.request == orvo::CommandLineRequest::Window && HasDisplay()) {
        QApplication app(qtArgc, qtArgv);
        QGuiApplication::setDesktopFileName(QStringLiteral("org.orvo.Orvo"));
        QApplication::setWindowIcon(orvo::ProgramIcon());
        return orvo::COrvoApp(orvo::ProgramSettingsFile(), orvo::ShippedSettingsFile()).Run();
    }

    // Qt's help text names the program through the application object.
    QCoreApplication app(qtArgc, qtArgv);
    switch (parsed.request) {
    case orvo::CommandLineRequest::Convert:
        return orvo::RunConvert(parsed.options, std::cout, std::cerr);
    case orvo::CommandLineRequest::Help:
        commandLine.ShowHelp();
    case orvo::CommandLineRequest::Version:
        commandLine.ShowVersion();
    case orvo::CommandLineRequest::Window:
        std::cerr << "orvo: there is no display for the window; orvo --batch LIST needs none.\n"
                     "Try 'orvo --help' for the options.\n";
        return orvo::kExitUsage;
    default:
        std::cerr << "orvo: " << parsed.error << "\nTry 'orvo --help' for the options.\n";
        return orvo::kExitUsage;
    }
}
