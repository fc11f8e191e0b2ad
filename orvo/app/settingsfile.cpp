#include "orvo/app/settingsfile.h"

#include <kestrum/propstore/cpropdb.h>

#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <unistd.h>

namespace orvo {

std::string ChooseSettingsFile(const std::string& defaultFile) {
    const std::filesystem::path folder = std::filesystem::path(defaultFile).parent_path();
    if (access(folder.c_str(), W_OK) == 0) {
        return defaultFile;
    }
    // Qt reads XDG_CONFIG_HOME and falls back to ~/.config.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::encodeName(config).toStdString() + "/orvo/orvo.cfg";
}

std::string ProgramSettingsFile() {
    return ChooseSettingsFile(kestrum::CPropDb().GetDefaultFileName());
}

} // namespace orvo
