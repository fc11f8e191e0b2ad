#include "childprogram.h"

#include "filecontent.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace testsupport {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

pid_t StartProgram(const ProgramStart& start) {
    std::vector<std::string> argv = start.argv;
    std::vector<std::string> environment = start.environment;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, start.folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, start.outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, start.errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int error = argv.empty()
                          ? ENOENT
                          : posix_spawn(&pid, argv.front().c_str(), &actions, nullptr,
                                        Pointers(argv).data(), Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

ProgramOutcome FinishProgram(pid_t pid, const ProgramStart& start) {
    ProgramOutcome outcome;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    outcome.out = ReadText(start.outFile);
    outcome.err = ReadText(start.errFile);
    return outcome;
}

ProgramOutcome RunProgram(const ProgramStart& start) {
    return FinishProgram(StartProgram(start), start);
}

std::vector<std::string> EnvironmentWithout(const std::vector<std::string_view>& names) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        const std::string_view name = text.substr(0, text.find('='));
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            environment.emplace_back(text);
        }
    }
    return environment;
}

} // namespace testsupport
