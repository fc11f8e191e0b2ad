#include "deadpid.h"

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace testsupport
