#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// How to start a program: in its own folder, with exactly this environment, and what it prints
// going into two files that a test reads whole after the end.
struct ProgramStart {
    std::vector<std::string> argv; // the program first
    std::string folder;
    std::vector<std::string> environment;
    std::string outFile;
    std::string errFile;
};

struct ProgramOutcome {
    int status = -1; // the exit status; -1 when it did not start or did not exit by itself
    std::string out;
    std::string err;
};

// The id of the started program, or -1 when it could not start.
pid_t StartProgram(const ProgramStart& start);

// Waits for the program that StartProgram started and reads what it printed.
ProgramOutcome FinishProgram(pid_t pid, const ProgramStart& start);

ProgramOutcome RunProgram(const ProgramStart& start);

// This process's environment without the variables of these names.
std::vector<std::string> EnvironmentWithout(const std::vector<std::string_view>& names);

} // namespace testsupport
