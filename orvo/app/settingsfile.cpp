#include "settingsfile.h"

#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/fileio.h>

#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <unistd.h>

namespace orvo {

namespace {

const char* const kDamagedSuffix = ".damaged";
// Enough for every damaged file a person would keep, and a bound on the search for a name.
constexpr int kMaxDamagedCopies = 1000;

} // namespace

std::string ChooseSettingsFile(const std::string& defaultFile, const std::string& installFolder) {
    const std::filesystem::path folder = std::filesystem::path(defaultFile).parent_path();
    std::error_code error;
    // Equivalence, not the names: /bin and /usr/bin are one folder on most systems.
    const bool installed = std::filesystem::equivalent(folder, installFolder, error);
    if (!installed && access(folder.c_str(), W_OK) == 0) {
        return defaultFile;
    }
    // Qt reads XDG_CONFIG_HOME and falls back to ~/.config.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::encodeName(config).toStdString() + "/orvo/orvo.cfg";
}

std::string SettingsFileToRead(const std::string& own, const std::string& shipped) {
    if (shipped.empty() || !kestrum::IsMissing(own) || kestrum::IsMissing(shipped)) {
        return own;
    }
    return shipped;
}

std::string ShippedSettingsFile() {
    return kestrum::CPropDb().GetDefaultFileName();
}

std::string ProgramSettingsFile() {
    return ChooseSettingsFile(ShippedSettingsFile(), ORVO_INSTALL_BINDIR);
}

std::string ProgramSettingsToRead() {
    return SettingsFileToRead(ProgramSettingsFile(), ShippedSettingsFile());
}

std::string MoveDamagedAside(const std::string& file, std::error_code& error) {
    std::string aside = file + kDamagedSuffix;
    for (int copy = 1; copy <= kMaxDamagedCopies; ++copy) {
        error = kestrum::RenameWithoutReplacing(file, aside);
        if (!error) {
            return aside;
        }
        if (error != std::errc::file_exists) {
            return {};
        }
        aside = file + kDamagedSuffix + "." + std::to_string(copy);
    }
    error = std::make_error_code(std::errc::file_exists);
    return {};
}

} // namespace orvo
