#include "orvo/app/corvoapp.h"

#include "orvo/app/corvodlg.h"
#include "orvo/app/messages.h"

#include <kestrum/propstore/carchiveexception.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace orvo {

namespace {

const char* const kDamagedSuffix = ".damaged";

} // namespace

COrvoApp::COrvoApp(std::string settingsFile)
    : m_settingsFile(std::move(settingsFile)) {}

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
    std::string error;
    try {
        errno = 0;
        if (m_PropDb.Load(m_settingsFile)) {
            return;
        }
        if (errno == ENOENT) {
            return;
        }
        error = errno != 0 ? std::strerror(errno) : "cannot be opened";
    } catch (const kestrum::CArchiveException& exception) {
        error = exception.what();
    }
    // What was read before the error is no settings anyone chose.
    m_PropDb.DeleteAll();
    SetDamagedFileAside(parent, error);
}

void COrvoApp::SetDamagedFileAside(QWidget* parent, const std::string& error) {
    const std::string aside = m_settingsFile + kDamagedSuffix;
    std::error_code failed;
    std::filesystem::rename(m_settingsFile, aside, failed);
    std::string text = "The settings file " + m_settingsFile + " cannot be read: " + error + ".";
    if (failed) {
        m_mayWriteFile = false;
        text += "\r\n\r\nIt could not be moved aside (" + failed.message() +
                "), so the settings of this session will not be saved.";
    } else {
        text += "\r\n\r\nIt has been renamed to " + aside +
                ". Orvo starts with the default "
                "settings.";
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
        errno = 0;
        if (m_PropDb.Save(m_settingsFile)) {
            return true;
        }
        error = errno != 0 ? std::strerror(errno) : "cannot be created";
    } catch (const kestrum::CArchiveException& exception) {
        error = exception.what();
    }
    // Nobody is left to tell at exit but the terminal the program was started from.
    std::cerr << "orvo: cannot save the settings to " << m_settingsFile << ": " << error << '\n';
    return false;
}

} // namespace orvo
