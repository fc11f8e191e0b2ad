#include "time/timecodecheck.h"

#include "orvo/storeoflines.h"

#include <gtest/gtest.h>

namespace orvo::test {
namespace {

std::vector<std::string> Texts(const SubtitleStore& store) {
    std::vector<std::string> texts;
    for (const TimecodeWarning& warning : CheckTimecodes(store)) {
        texts.push_back(warning.Text());
    }
    return texts;
}

std::vector<std::string> Texts(const Lines& lines, const char* rate) {
    return Texts(StoreOf(lines, *FindFrameRate(rate)));
}

TEST(TimecodeCheck, AGoodListHasNoWarnings) {
    EXPECT_TRUE(
        Texts({"1\t00:00:01:00\t00:00:02:00\ta", "2\t00:00:02:00\t00:00:03:24\tb"}, "25").empty());
    EXPECT_TRUE(Texts(Lines{}, "25").empty());
}

TEST(TimecodeCheck, EndBeforeStartAndOverlapNameTheSubtitleAndLine) {
    const Lines store{"10\t00:00:05:00\t00:00:04:00\tbackwards",
                      "11\t00:00:06:00\t00:00:09:00\tlong",
                      "12\t00:00:08:00\t00:00:10:00\toverlaps"};
    EXPECT_EQ(Texts(store, "25"),
              (std::vector<std::string>{
                  "subtitle 10, line 1: ends before it starts (00:00:05:00, 00:00:04:00)",
                  "subtitle 12, line 3: starts at 00:00:08:00, before subtitle 11 ends"}));
}

TEST(TimecodeCheck, TimecodesThatDoNotExistAtTheRateAreNamed) {
    const Lines store{"1\t00:00:01:25\t00:00:02:00\ta", "2\t00:00:03:00\t00:61:00:00\tb"};
    EXPECT_EQ(Texts(store, "25"),
              (std::vector<std::string>{
                  "subtitle 1, line 1: start 00:00:01:25 does not exist: frame 25 at 25 fps",
                  "subtitle 2, line 2: end 00:61:00:00 does not exist: minute 61"}));
    // At 30 frames a second frame 25 exists.
    EXPECT_EQ(Texts(store, "30").size(), 1U);
}

TEST(TimecodeCheck, DropFrameSkipsNumbersAndSeveralProblemsShareOneWarning) {
    const Lines store{"1\t00:01:00;00\t00:00:59;00\ta"};
    EXPECT_EQ(Texts(store, "29.97"),
              (std::vector<std::string>{"subtitle 1, line 1: start 00:01:00;00 does not exist: "
                                        "frame 0 is skipped at minute 1 at 29.97 fps"}));
    EXPECT_EQ(Texts(store, "29.97ndf"),
              (std::vector<std::string>{
                  "subtitle 1, line 1: ends before it starts (00:01:00;00, 00:00:59;00)"}));
}

TEST(TimecodeCheck, AListWithAnyTimeInAnotherFormIsLeftAlone) {
    const Lines store{"1\t00:00:05:00\t00:00:04:00\ta", "2\t5.0s\t6.0s\tb"};
    EXPECT_TRUE(Texts(store, "25").empty());
    Subtitle noEnd; // no end field
    noEnd.start = TimeAtRate("00:00:05:00", DefaultFrameRate(true));
    EXPECT_TRUE(Texts(SubtitleStore{{noEnd}}).empty());
}

} // namespace
} // namespace orvo::test
