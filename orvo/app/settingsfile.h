#pragma once

#include <string>

namespace orvo {

// The program's own settings file: the database's default file beside the program when the
// program's folder is writable (a copy unpacked anywhere keeps its settings with it), otherwise
// orvo.cfg in the user's configuration folder ($XDG_CONFIG_HOME/orvo, by default
// ~/.config/orvo), because an installed program's folder belongs to root. The window and the
// batch run both read it from here.
std::string ProgramSettingsFile();

// The same choice for the default file defaultFile.
std::string ChooseSettingsFile(const std::string& defaultFile);

} // namespace orvo
