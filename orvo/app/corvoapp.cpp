#include "corvoapp.h"

#include "corvodlg.h"
#include "messages.h"
#include "settingsfile.h"

#include <kestrum/propstore/carchiveexception.h>

#include <filesystem>
#include <iostream>

namespace orvo {

COrvoApp::COrvoApp(std::string settingsFile, std::string shippedFile)
    : m_settingsFile(std::move(settingsFile))
    , m_shippedFile(std::move(shippedFile)) {}

int COrvoApp::Run() {
    InitInstance();
    return ExitInstance();
}

void COrvoApp::InitInstance() {
    m_version.Init();
    LoadSettings(nullptr);
    COrvoDlg dialog(*this);
    dialog.exec();
}

int COrvoApp::ExitInstance() {
    SaveSettings();
    m_store.clear();
    return 0;
}

void COrvoApp::LoadSettings(QWidget* parent) {
    if (!m_mayWriteFile) {
        // The file is the damaged one the user was told about; the defaults stand.
        m_PropDb.DeleteAll();
        return;
    }
    const std::string file = SettingsFileToRead(m_settingsFile, m_shippedFile);
    std::string error;
    try {
        const kestrum::PropFileResult loaded = m_PropDb.LoadWithReason(file);
        if (loaded || loaded.IsMissing()) {
            return;
        }
        error = loaded.message;
    } catch (const kestrum::CArchiveException& exception) {
        error = exception.what();
    }
    // What was read before the error is no settings anyone chose.
    m_PropDb.DeleteAll();
    ReportDamagedFile(parent, file, error);
}

void COrvoApp::ReportDamagedFile(QWidget* parent, const std::string& file,
                                 const std::string& error) {
    const std::string defaults = "Orvo starts with the default settings.";
    std::string text = "The settings file " + file + " cannot be read: " + error + ".\r\n\r\n";
    if (file != m_settingsFile) {
        // The shipped file is not the user's to move, and the next save goes elsewhere.
        text += defaults;
        ShowMessage(parent, QMessageBox::Warning, text);
        return;
    }
    std::error_code failed;
    const std::string aside = MoveDamagedAside(file, failed);
    if (failed) {
        m_mayWriteFile = false;
        text += "It could not be moved aside (" + failed.message() +
                "), so the settings of this session will not be saved.";
    } else {
        text += "It has been renamed to " + aside + ". " + defaults;
    }
    ShowMessage(parent, QMessageBox::Warning, text);
}

bool COrvoApp::SaveSettings() {
    if (!m_mayWriteFile) {
        return false;
    }
    // The configuration folder may not exist yet.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_settingsFile).parent_path(),
                                        ignored);
    std::string error;
    try {
        const kestrum::PropFileResult saved = m_PropDb.SaveWithReason(m_settingsFile);
        if (saved) {
            return true;
        }
        error = saved.message;
    } catch (const kestrum::CArchiveException& exception) {
        error = exception.what();
    }
    // Nobody is left to tell at exit but the terminal the program was started from.
    std::cerr << "orvo: cannot save the settings to " << m_settingsFile << ": " << error << '\n';
    return false;
}

} // namespace orvo
