#include "time/timecodecheck.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

std::vector<std::string> Texts(const SubtitleStore& store, const char* rate) {
    std::vector<std::string> texts;
    for (const TimecodeWarning& warning : CheckTimecodes(store, *FindFrameRate(rate))) {
        texts.push_back(warning.Text());
    }
    return texts;
}

TEST(TimecodeCheck, AGoodListHasNoWarnings) {
    EXPECT_TRUE(
        Texts({"1\t00:00:01:00\t00:00:02:00\ta", "2\t00:00:02:00\t00:00:03:24\tb"}, "25").empty());
    EXPECT_TRUE(Texts({}, "25").empty());
}

TEST(TimecodeCheck, EndBeforeStartAndOverlapNameTheSubtitleAndLine) {
    const SubtitleStore store{"10\t00:00:05:00\t00:00:04:00\tbackwards",
                              "11\t00:00:06:00\t00:00:09:00\tlong",
                              "12\t00:00:08:00\t00:00:10:00\toverlaps"};
    EXPECT_EQ(Texts(store, "25"),
              (std::vector<std::string>{
                  "subtitle 10, line 1: ends before it starts (00:00:05:00, 00:00:04:00)",
                  "subtitle 12, line 3: starts at 00:00:08:00, before subtitle 11 ends"}));
}

TEST(TimecodeCheck, TimecodesThatDoNotExistAtTheRateAreNamed) {
    const SubtitleStore store{"1\t00:00:01:25\t00:00:02:00\ta", "2\t00:00:03:00\t00:61:00:00\tb"};
    EXPECT_EQ(Texts(store, "25"),
              (std::vector<std::string>{
                  "subtitle 1, line 1: start 00:00:01:25 does not exist: frame 25 at 25 fps",
                  "subtitle 2, line 2: end 00:61:00:00 does not exist: minute 61"}));
    // At 30 frames a second frame 25 exists.
    EXPECT_EQ(Texts(store, "30").size(), 1U);
}

TEST(TimecodeCheck, DropFrameSkipsNumbersAndSeveralProblemsShareOneWarning) {
    const SubtitleStore store{"1\t00:01:00;00\t00:00:59;00\ta"};
    EXPECT_EQ(Texts(store, "29.97"),
              (std::vector<std::string>{"subtitle 1, line 1: start 00:01:00;00 does not exist: "
                                        "frame 0 is skipped at minute 1 at 29.97 fps"}));
    EXPECT_EQ(Texts(store, "29.97ndf"),
              (std::vector<std::string>{
                  "subtitle 1, line 1: ends before it starts (00:01:00;00, 00:00:59;00)"}));
}

TEST(TimecodeCheck, AListWithAnyTimeInAnotherFormIsLeftAlone) {
    const SubtitleStore store{"1\t00:00:05:00\t00:00:04:00\ta", "2\t5.0s\t6.0s\tb"};
    EXPECT_TRUE(Texts(store, "25").empty());
    EXPECT_TRUE(Texts({"1\t00:00:05:00"}, "25").empty()); // no end field
}

} // namespace
} // namespace orvo
