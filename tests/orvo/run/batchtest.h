#pragma once

// The real orvo program, copied into each test's own folder so that its settings file beside it
// is the test's too, and other programs run in the same folder.
#include "runtestsupport.h"

#include "common/childprogram.h"

#include <kestrum/propstore/cpropdb.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvo::test {

using Result = testsupport::ProgramOutcome;
using testsupport::EnvironmentWithout;
using testsupport::FinishProgram;
using testsupport::ProgramStart;
using testsupport::RunProgram;
using testsupport::StartProgram;

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir.Path() / "bin");
        std::filesystem::create_directories(m_dir.Path() / "work");
        std::filesystem::create_directories(m_dir.Path() / "runtime");
        std::filesystem::permissions(m_dir.Path() / "runtime", std::filesystem::perms::owner_all);
        std::filesystem::copy_file(ORVO_PROGRAM, m_program);
    }

    // The program in the work folder, without a display or a chosen Qt platform.
    ProgramStart Start(const std::vector<std::string>& arguments) const {
        ProgramStart start{{m_program},
                           m_dir.File("work"),
                           EnvironmentWithout({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY",
                                               "XDG_RUNTIME_DIR"}),
                           m_dir.File("stdout"),
                           m_dir.File("stderr")};
        if (m_withRuntimeFolder) {
            start.environment.push_back("XDG_RUNTIME_DIR=" + m_dir.File("runtime"));
        }
        start.argv.insert(start.argv.end(), arguments.begin(), arguments.end());
        return start;
    }

    Result Orvo(const std::vector<std::string>& arguments) const {
        return RunProgram(Start(arguments));
    }

    std::string Work(const std::string& name) const { return m_dir.File("work/" + name); }

    // Another program in the work folder, through the shell, which finds it on the path.
    Result Tool(const std::string& command) const {
        return RunProgram({{"/bin/sh", "-c", command},
                           m_dir.File("work"),
                           EnvironmentWithout({}),
                           m_dir.File("stdout"),
                           m_dir.File("stderr")});
    }

    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path() / "work")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void WriteSettings(const std::string& path, const std::string& imgName, int startIndex) const {
        kestrum::CPropDb db;
        db.WritePropString("", "ImgName", imgName);
        db.WritePropInt("", "StartIndex", startIndex);
        db.WritePropString("", "Header1", "Header of " + imgName);
        ASSERT_TRUE(db.Save(path));
    }

    TempDir m_dir;
    std::string m_program = m_dir.File("bin/orvo");
    std::string m_ownSettings = m_dir.File("bin/orvo.cfg");
    bool m_withRuntimeFolder = true;
};

} // namespace orvo::test
