#pragma once

#include <sys/types.h>

namespace testsupport {

// The id of a process that has ended and been reaped, so that no process has it for now.
pid_t DeadPid();

} // namespace testsupport
