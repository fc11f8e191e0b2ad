#include "time/subtitletimes.h"

#include "orvo/storeoflines.h"

#include <gtest/gtest.h>

namespace orvo::test {
namespace {

FrameRate Rate(const char* name) {
    return *FindFrameRate(name);
}

TEST(StoreTimes, EveryTimecodeBecomesRealTimeAtTheRate) {
    const Lines store = {"1\t00:00:04:10\t00:00:07:00\tOne",
                         "2\t00:10:00;00\t00:10:01;15\tTwo\tlines"};
    const StoreTimes pal = ReadStoreTimes(StoreOf({store[0]}, Rate("25")));
    ASSERT_TRUE(pal.problem.empty()) << pal.problem;
    ASSERT_EQ(pal.times.size(), 1u);
    EXPECT_EQ(pal.times[0].startMicroseconds, 4400000);
    EXPECT_EQ(pal.times[0].endMicroseconds, 7000000);

    const StoreTimes ntsc = ReadStoreTimes(StoreOf(store, Rate("29.97")));
    ASSERT_TRUE(ntsc.problem.empty()) << ntsc.problem;
    ASSERT_EQ(ntsc.times.size(), 2u);
    // Drop-frame timecodes keep up with the clock: 00:10:00;00 is ten real minutes to 0.6 ms.
    EXPECT_EQ(ntsc.times[1].startMicroseconds, 599999400);
    EXPECT_EQ(ntsc.times[1].endMicroseconds, 599999400 + 45 * 1001000 / 30);
}

TEST(StoreTimes, TheFirstUnreadableSubtitleIsNamedWithItsLineAndNoTimeIsGiven) {
    const Lines store = {"7\t00:00:01:00\t00:00:02:00\tOne", "8\t00:00:03:00\t00:00:04:25\tTwo",
                         "9\t00:00:0x:00\t00:00:06:00\tThree"};
    const StoreTimes times = ReadStoreTimes(StoreOf(store, Rate("25")));
    EXPECT_TRUE(times.times.empty());
    EXPECT_EQ(times.problem,
              "Subtitle 8, line 2: the time \"00:00:04:25\" cannot be read at 25 fps (frame 25 "
              "at 25 fps)");
    // Read at 30 the same frame is there; the next line's start is not a timecode at all.
    EXPECT_EQ(ReadStoreTimes(StoreOf(store, Rate("30"))).problem,
              "Subtitle 9, line 3: the time \"00:00:0x:00\" cannot be read at 30 fps (not of the "
              "form HH:MM:SS:FF)");
    EXPECT_EQ(ReadStoreTimes(StoreOf({"1\tlate\tearly\tx"}, Rate("25"))).problem,
              "Subtitle 1, line 1: the time \"late\" cannot be read at 25 fps (not of the form "
              "HH:MM:SS:FF)");
}

TEST(StoreTimes, ASubtitleThatDoesNotEndAfterItStartsIsRefused) {
    for (const char* line : {"3\t00:00:05:00\t00:00:05:00\tx", "3\t00:00:05:01\t00:00:05:00\tx"}) {
        const StoreTimes times = ReadStoreTimes(StoreOf({line}, Rate("25")));
        EXPECT_TRUE(times.times.empty());
        EXPECT_EQ(times.problem, "Subtitle 3, line 1: it does not end after it starts") << line;
    }
}

} // namespace
} // namespace orvo::test
