#include "output/bluray/blurayvideo.h"
#include "output/bluray/showntimes.h"

#include "orvo/storeoflines.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

using test::StoreOf;

FrameRate Rate(const char* name) {
    return *FindFrameRate(name);
}

TEST(BluRayVideoTest, OnlyThePicturesAndRatesADiscPlaysAreTaken) {
    for (const char* rate : {"23.976", "24", "25", "29.97", "29.97ndf"}) {
        EXPECT_EQ(BluRayVideoProblem(k1080Canvas, Rate(rate)), std::nullopt) << rate;
    }
    for (const char* rate : {"23.976", "24", "50", "59.94"}) {
        EXPECT_EQ(BluRayVideoProblem(k720Canvas, Rate(rate)), std::nullopt) << rate;
    }
    EXPECT_EQ(BluRayVideoProblem(kPalCanvas, Rate("25")), std::nullopt);
    EXPECT_EQ(BluRayVideoProblem(kNtscCanvas, Rate("29.97")), std::nullopt);

    EXPECT_EQ(BluRayVideoProblem(k1080Canvas, Rate("50")),
              "A Blu-ray disc holds no 1080p video at 50 fps: it plays 1080p at 23.976, 24, 25 or "
              "29.97 fps.");
    EXPECT_NE(BluRayVideoProblem(k720Canvas, Rate("25")), std::nullopt);
    EXPECT_NE(BluRayVideoProblem(kPalCanvas, Rate("24")), std::nullopt);
    EXPECT_NE(BluRayVideoProblem(kNtscCanvas, Rate("30")), std::nullopt);
}

TEST(ShownTimesTest, ASubtitleStillShownWhenTheNextStartsEndsThenAndIsReported) {
    const SubtitleStore store =
        StoreOf({"1\t00:00:01:00\t00:00:03:00\tOne", "2\t00:00:02:00\t00:00:04:00\tTwo",
                 "3\t00:00:04:00\t00:00:05:00\tThree"});
    const StoreTimes times = ReadStoreTimes(store);
    const ShownTimes shown = TimesShownOnDisc(store, times.times);

    EXPECT_EQ(shown.problem, "");
    ASSERT_EQ(shown.times.size(), 3u);
    EXPECT_EQ(shown.times[0].endMicroseconds, 2000000);
    EXPECT_EQ(shown.times[1].endMicroseconds, 4000000); // ends as the next starts: no overlap
    EXPECT_EQ(shown.times[2].endMicroseconds, 5000000);
    ASSERT_EQ(shown.cut.size(), 1u);
    const std::string cut = "subtitle 1, line 1: still shows when subtitle 2, line 2 starts "
                            "(00:00:02.000, until 00:00:03.000): it is cleared then";
    EXPECT_EQ(shown.cut[0].text, cut);

    // Reported once: where the timecodes' check named the subtitle, its words stand alone.
    RunOutcome outcome;
    ReportCuts(shown, store, outcome);
    EXPECT_EQ(outcome.timecodeWarnings, std::vector<std::string>{cut});
    outcome.timecodeWarnings = {"subtitle 2, line 2: starts before the previous one ends"};
    ReportCuts(shown, store, outcome);
    EXPECT_EQ(outcome.timecodeWarnings.size(), 1u);
}

TEST(ShownTimesTest, AListOutOfTheOrderOfItsTimesIsAProblem) {
    for (const char* second :
         {"2\t00:00:00:10\t00:00:04:00\tTwo", "2\t00:00:01:00\t00:00:04:00\tTwo"}) {
        const SubtitleStore store = StoreOf({"1\t00:00:01:00\t00:00:03:00\tOne", second});
        const ShownTimes shown = TimesShownOnDisc(store, ReadStoreTimes(store).times);
        EXPECT_TRUE(shown.problem.starts_with("Subtitle 2, line 2 starts at 00:00:0"))
            << shown.problem;
        EXPECT_TRUE(shown.problem.ends_with(
            "not after subtitle 1, line 1: a Blu-ray stream shows the subtitles in the order of "
            "their times, so sort the list by them first."))
            << shown.problem;
        EXPECT_TRUE(shown.cut.empty());
    }
}

} // namespace
} // namespace orvo
