#include "time/framerate.h"
#include "time/timecode.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>

namespace orvo {
namespace {

FrameRate Rate(const char* name) {
    const std::optional<FrameRate> rate = FindFrameRate(name);
    EXPECT_TRUE(rate) << name;
    return rate.value_or(DefaultFrameRate(true));
}

TEST(FrameRate, EveryStoredNameIsFoundAndNothingElse) {
    EXPECT_EQ(FrameRateNames(), "23.976, 24, 25, 29.97, 29.97ndf, 30, 50, 59.94");
    for (const FrameRate& rate : FrameRates()) {
        EXPECT_EQ(FindFrameRate(rate.name), rate);
    }
    for (const char* other : {"", "29,97", "25 ", "29.970", "ntsc", "29.97NDF"}) {
        EXPECT_FALSE(FindFrameRate(other)) << other;
    }
}

TEST(FrameRate, ThePictureSizeGivesTheDefault) {
    EXPECT_STREQ(DefaultFrameRate(true).name, "25");
    EXPECT_STREQ(DefaultFrameRate(false).name, "29.97");
    EXPECT_TRUE(DefaultFrameRate(false).dropFrame);
    EXPECT_STREQ(StoredFrameRate("23.976", true).name, "23.976");
    EXPECT_STREQ(StoredFrameRate("garbage", true).name, "25");
    EXPECT_STREQ(StoredFrameRate("", false).name, "29.97");
}

// Known frame counts and their timecodes: both directions must agree with the table.
struct KnownTimecode {
    const char* rate;
    std::int64_t frame;
    const char* timecode;
};

class KnownTimecodes : public ::testing::TestWithParam<KnownTimecode> {};

TEST_P(KnownTimecodes, FrameAndTimecodeAgree) {
    const KnownTimecode& known = GetParam();
    const FrameRate rate = Rate(known.rate);
    EXPECT_EQ(FormatTimecode(known.frame, rate), known.timecode);
    const ParsedTimecode parsed = ParseTimecode(known.timecode, rate);
    EXPECT_EQ(parsed.frame, known.frame) << parsed.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Table, KnownTimecodes,
    ::testing::Values(
        KnownTimecode{"25", 0, "00:00:00:00"}, KnownTimecode{"25", 24, "00:00:00:24"},
        KnownTimecode{"25", 25, "00:00:01:00"}, KnownTimecode{"25", 110, "00:00:04:10"},
        KnownTimecode{"25", 90000, "01:00:00:00"}, KnownTimecode{"25", 2159999, "23:59:59:24"},
        KnownTimecode{"24", 86400, "01:00:00:00"}, KnownTimecode{"30", 108000, "01:00:00:00"},
        // 23.976 counts 24 frames in a second of timecode.
        KnownTimecode{"23.976", 23, "00:00:00:23"}, KnownTimecode{"23.976", 24, "00:00:01:00"},
        KnownTimecode{"23.976", 86400, "01:00:00:00"},
        // Drop-frame: numbers 0 and 1 are skipped at every minute but each tenth.
        KnownTimecode{"29.97", 1799, "00:00:59;29"}, KnownTimecode{"29.97", 1800, "00:01:00;02"},
        KnownTimecode{"29.97", 3597, "00:01:59;29"}, KnownTimecode{"29.97", 3598, "00:02:00;02"},
        KnownTimecode{"29.97", 17981, "00:09:59;29"}, KnownTimecode{"29.97", 17982, "00:10:00;00"},
        KnownTimecode{"29.97", 17983, "00:10:00;01"}, KnownTimecode{"29.97", 19782, "00:11:00;02"},
        KnownTimecode{"29.97", 107892, "01:00:00;00"},
        KnownTimecode{"29.97ndf", 1800, "00:01:00:00"},
        KnownTimecode{"29.97ndf", 17982, "00:09:59:12"}),
    [](const auto& test) {
        std::string name = std::string(test.param.rate) + "_" + test.param.timecode;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) != 0 ? ch : '_';
        }
        return name;
    });

TEST(Timecode, DropFrameCountsEveryFrameOnceOverTwentyMinutes) {
    const FrameRate rate = Rate("29.97");
    std::string previous;
    for (std::int64_t frame = 0; frame < 2 * 17982 + 10; ++frame) {
        const std::string timecode = FormatTimecode(frame, rate);
        ASSERT_EQ(ParseTimecode(timecode, rate).frame, frame) << timecode;
        ASSERT_LT(previous, timecode);
        previous = timecode;
    }
}

TEST(Timecode, RealTimeRoundsToTheNearestFrame) {
    const FrameRate pal = Rate("25");
    EXPECT_EQ(FrameAtTime(4400000, pal), 110);
    EXPECT_EQ(FrameAtTime(4419999, pal), 110); // less than half a frame past
    EXPECT_EQ(FrameAtTime(4420000, pal), 111); // half a frame rounds up
    EXPECT_EQ(FrameAtTime(-1000000, pal), 0);
    // 600 real seconds at 29.97 are exactly 17982 frames: the ten-minute timecode.
    EXPECT_EQ(FrameAtTime(600000000, Rate("29.97")), 17982);
    EXPECT_EQ(FormatTimecode(FrameAtTime(600000000, Rate("29.97")), Rate("29.97")), "00:10:00;00");
    // An hour of film at 23.976 is 86313.6 frames: timecode 00:59:56:10.
    EXPECT_EQ(FrameAtTime(3600000000LL, Rate("23.976")), 86314);
    EXPECT_EQ(FormatTimecode(86314, Rate("23.976")), "00:59:56:10");
    EXPECT_EQ(FrameAtTime(1001000, Rate("23.976")), 24);
    // The latest time keeps its arithmetic within range.
    EXPECT_EQ(FrameAtTime(INT64_MAX, Rate("30")), kMaxTimeMicroseconds / 1000000 * 30);
}

TEST(Timecode, AFrameStartsAtTheTimeThatRoundsBackToIt) {
    EXPECT_EQ(TimeOfFrame(110, Rate("25")), 4400000);
    // One frame at 29.97 is 1001/30000 s = 33366.67 us: 17982 frames, the ten-minute timecode,
    // start 0.6 ms before ten real minutes, nearer to them than to any other frame.
    EXPECT_EQ(TimeOfFrame(17982, Rate("29.97")), 599999400);
    EXPECT_EQ(TimeOfFrame(1, Rate("29.97")), 33367);
    EXPECT_EQ(TimeOfFrame(24, Rate("23.976")), 1001000);
    for (const FrameRate& rate : FrameRates()) {
        for (const std::int64_t frame : {std::int64_t{0}, std::int64_t{1}, std::int64_t{12345},
                                         std::int64_t{86314}, std::int64_t{86000000}}) {
            // 86000000 frames are close to the latest time at 23.976.
            EXPECT_EQ(FrameAtTime(TimeOfFrame(frame, rate), rate), frame) << rate.name;
        }
    }
}

TEST(Timecode, HoursPast99NeedMoreDigits) {
    const FrameRate pal = Rate("25");
    EXPECT_TRUE(HasTwoDigitHours(100 * 90000 - 1, pal));
    EXPECT_FALSE(HasTwoDigitHours(100 * 90000, pal));
    EXPECT_EQ(FormatTimecode(100 * 90000, pal), "100:00:00:00");
    const FrameRate dropFrame = Rate("29.97");
    const std::int64_t last = *ParseTimecode("99:59:59;29", dropFrame).frame;
    EXPECT_TRUE(HasTwoDigitHours(last, dropFrame));
    EXPECT_FALSE(HasTwoDigitHours(last + 1, dropFrame));
}

TEST(Timecode, OnlyTwoDigitFieldsWithColonsOrADropFrameSemicolonHaveTheForm) {
    for (const char* good : {"00:00:00:00", "99:59:59:29", "01:02:03;04"}) {
        EXPECT_TRUE(HasTimecodeForm(good)) << good;
    }
    for (const char* bad : {"", "0:00:00:00", "00:00:00:000", "00:00:00,000", "00;00:00:00",
                            "00:00:00.00", "aa:bb:cc:dd", "00:00:00:0 ", "00:00:01,000"}) {
        EXPECT_FALSE(HasTimecodeForm(bad)) << bad;
    }
}

TEST(Timecode, TimecodesThatDoNotExistAtTheRateSayWhy) {
    EXPECT_EQ(ParseTimecode("00:00:00:25", Rate("25")).problem, "frame 25 at 25 fps");
    EXPECT_TRUE(ParseTimecode("00:00:00:29", Rate("30")).frame);
    EXPECT_EQ(ParseTimecode("00:00:00:24", Rate("23.976")).problem, "frame 24 at 23.976 fps");
    EXPECT_EQ(ParseTimecode("00:60:00:00", Rate("25")).problem, "minute 60");
    EXPECT_EQ(ParseTimecode("00:00:60:00", Rate("25")).problem, "second 60");
    EXPECT_EQ(ParseTimecode("00:01:00;00", Rate("29.97")).problem,
              "frame 0 is skipped at minute 1 at 29.97 fps");
    EXPECT_EQ(ParseTimecode("00:01:00;01", Rate("29.97")).problem,
              "frame 1 is skipped at minute 1 at 29.97 fps");
    EXPECT_TRUE(ParseTimecode("00:01:00:00", Rate("29.97ndf")).frame);
    EXPECT_TRUE(ParseTimecode("00:10:00;00", Rate("29.97")).frame);
    EXPECT_EQ(ParseTimecode("00:00:01,000", Rate("25")).problem, "not of the form HH:MM:SS:FF");
}

} // namespace
} // namespace orvo
