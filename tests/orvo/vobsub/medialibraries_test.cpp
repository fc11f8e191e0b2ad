#include "input/medialibraries.h"

#include "common/filecontent.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace orvo {
namespace {

bool Loaded(const char* library) {
    return testsupport::ReadText("/proc/self/maps").find(library) != std::string::npos;
}

// What the child finds wrong, or nothing.
const char* CodingThenReadingProblem() {
    if (OpenMediaLibraries(MediaUse::Coding) == nullptr || Av().avcodec_find_encoder == nullptr) {
        return "coding found no encoder functions";
    }
    if (Loaded("libavformat.so")) {
        return "coding loaded libavformat";
    }
    const MediaLibraries* reading = OpenMediaLibraries(MediaUse::Reading);
    if (reading == nullptr || reading->avformat_open_input == nullptr) {
        return "reading after coding found no file functions";
    }
    if (Av().avformat_open_input != reading->avformat_open_input ||
        Av().avcodec_find_encoder == nullptr) {
        return "Av does not give the reading set once it is open";
    }
    return nullptr;
}

// The libraries stay loaded for the life of a process, so the case runs in one of its own: a
// death test that re-executes the test program.
TEST(MediaLibrariesTest, CodingLeavesTheFileLibraryUnloadedUntilAFileIsRead) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const char* problem = CodingThenReadingProblem();
            if (problem != nullptr) {
                std::fputs(problem, stderr);
            }
            std::_Exit(problem == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace orvo
