#pragma once

#include "common/childprogram.h"
#include "common/tempdir.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A test's own folder, in which the system's media tools read the files the test wrote there.
class ToolFolderTest : public ::testing::Test {
protected:
    // The tool's path, or empty; the test skips with the reason when it is missing.
    static std::string Tool(const char* name) {
        return QStandardPaths::findExecutable(name).toStdString();
    }

    ProgramOutcome Run(std::vector<std::string> argv) const {
        return RunProgram({std::move(argv), m_dir.Path().string(), EnvironmentWithout({}),
                           m_dir.File("stdout"), m_dir.File("stderr")});
    }

    TempDir m_dir;
};

} // namespace testsupport
