#pragma once

#include "input/subtitlelist.h"

#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/cversion.h>

#include <string>

class QWidget;

namespace orvo {

// The interactive program: owns the version information, the settings database and the
// subtitle store for as long as the program runs, and shows the main window between loading
// and saving the settings file.
class COrvoApp {
public:
    // settingsFile: where the settings database lives; the program passes
    // ProgramSettingsFile(), tests a file of their own. shippedFile: read instead while
    // settingsFile does not exist (ShippedSettingsFile()); empty for none.
    explicit COrvoApp(std::string settingsFile, std::string shippedFile = {});

    // Loads the settings, runs the main window until it is closed, saves the settings; the
    // exit code.
    int Run();

    kestrum::CPropDb& GetPropDb() { return m_PropDb; }
    SubtitleStore& GetStore() { return m_store; }
    const kestrum::CVersion& GetVersion() const { return m_version; }
    const std::string& GetSettingsFile() const { return m_settingsFile; }

    // Replaces the database by the settings file, or by the shipped file while the settings
    // file is missing; no file means the defaults. A settings file that cannot be read is
    // moved aside to FILE.damaged (or FILE.damaged.N beside earlier ones), so that the next
    // save keeps it; a shipped one is left alone. Either way the user is told (parent: the
    // window the message belongs to).
    void LoadSettings(QWidget* parent);
    // Writes the settings file, creating its folder; false when it could not be written.
    bool SaveSettings();

private:
    void InitInstance();
    int ExitInstance();
    void ReportDamagedFile(QWidget* parent, const std::string& file, const std::string& error);

    kestrum::CVersion m_version;
    kestrum::CPropDb m_PropDb;
    SubtitleStore m_store;
    std::string m_settingsFile;
    std::string m_shippedFile;
    // Cleared when a damaged settings file could not be moved aside: saving would destroy it.
    bool m_mayWriteFile = true;
};

} // namespace orvo
