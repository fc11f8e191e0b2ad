#pragma once

#include <string>
#include <system_error>

namespace orvo {

// The program's own settings file, which it saves: the database's default file beside the
// program when the program's folder is writable (a copy unpacked anywhere keeps its settings
// with it), otherwise orvo.cfg in the user's configuration folder ($XDG_CONFIG_HOME/orvo, by
// default ~/.config/orvo), because an installed program's folder belongs to root. A program in
// the folder the build installs programs to (/usr/bin for the Debian package) is installed
// even for root, who may write there: a system's program folder holds programs only.
std::string ProgramSettingsFile();

// The file beside the program, which an installed program may ship with settings of its own.
std::string ShippedSettingsFile();

// The file the program starts from, which the window and the batch run both read: the
// program's own settings file, or while the user has none yet, the one shipped beside it.
std::string ProgramSettingsToRead();

// The choice of ProgramSettingsFile for the default file defaultFile of a program installed to
// installFolder.
std::string ChooseSettingsFile(const std::string& defaultFile, const std::string& installFolder);

// The choice of ProgramSettingsToRead: own, unless it is missing and shipped is there.
std::string SettingsFileToRead(const std::string& own, const std::string& shipped);

// Renames a damaged file to FILE.damaged, or to FILE.damaged.1, .2, ... when earlier ones are
// there, so that none is ever overwritten. The new name; empty, with error set, when the file
// could not be moved.
std::string MoveDamagedAside(const std::string& file, std::error_code& error);

} // namespace orvo
