#pragma once

#include <ostream>
#include <span>
#include <string>

// The commands of kestrum-prop, apart from the process, so that tests can drive them.
namespace kestrum::tool {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailure = 1, // a file that cannot be read or written, or a missing key
    kExitUsage = 2,   // a command line the tool cannot act on
};

// Runs the command that args (the arguments after the program name) name. Results go to out,
// messages and the usage text of a usage error to err. A file is saved only when it was read
// completely and the command changed it.
int RunCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace kestrum::tool
