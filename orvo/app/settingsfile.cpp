#include "settingsfile.h"

#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/fileio.h>

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orvo {

namespace {

const char* const kDamagedSuffix = ".damaged";
// Enough for every damaged file a person would keep, and a bound on the search for a name.
constexpr int kMaxDamagedCopies = 1000;

// Renames from to to unless to exists, in one step where the file system can.
int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) {
        return EEXIST;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::string ChooseSettingsFile(const std::string& defaultFile) {
    const std::filesystem::path folder = std::filesystem::path(defaultFile).parent_path();
    if (access(folder.c_str(), W_OK) == 0) {
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
    return ChooseSettingsFile(ShippedSettingsFile());
}

std::string ProgramSettingsToRead() {
    return SettingsFileToRead(ProgramSettingsFile(), ShippedSettingsFile());
}

std::string MoveDamagedAside(const std::string& file, std::error_code& error) {
    std::string aside = file + kDamagedSuffix;
    for (int copy = 1; copy <= kMaxDamagedCopies; ++copy) {
        const int failure = RenameWithoutReplacing(file, aside);
        if (failure == 0) {
            error.clear();
            return aside;
        }
        if (failure != EEXIST) {
            error = std::error_code(failure, std::generic_category());
            return {};
        }
        aside = file + kDamagedSuffix + "." + std::to_string(copy);
    }
    error = std::make_error_code(std::errc::file_exists);
    return {};
}

} // namespace orvo
