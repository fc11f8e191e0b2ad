#pragma once

// The shared helpers that the run's tests use, by their names in this suite.
#include "common/deadpid.h"
#include "common/filecontent.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

namespace orvo::test {

using testsupport::CurrentFolder;
using testsupport::DeadPid;
using testsupport::Exists;
using testsupport::ReadText;
using testsupport::TempDir;
using testsupport::WriteText;

} // namespace orvo::test
