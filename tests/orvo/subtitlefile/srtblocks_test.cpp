#include "input/srtblocks.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

TEST(SrtTimingLine, TheReadersFormsAreTaken) {
    for (const char* line :
         {"00:00:01,000 --> 00:00:02,000", "0:0:1.5-->0:0:2.25", "  1:2:3,4 --> 5:6:7,8 X1:1",
          "-0:00:01,000 --> 00:00:02,000", "00:00:01,000 -->00:00:02,000 position:50%"}) {
        EXPECT_TRUE(IsSrtTimingLine(line)) << line;
    }
    for (const char* line : {"00:00:01,000 -> 00:00:02,000", "00:00:01 --> 00:00:02",
                             "00:00:01,000 --> ", "1", "", "00:00:01;000 --> 00:00:02;000"}) {
        EXPECT_FALSE(IsSrtTimingLine(line)) << line;
    }
}

TEST(SrtBlocks, ABlockWithABrokenTimingLineIsNamed) {
    const SrtBlockScan scan = ScanSrtBlocks("1\r\n00:00:01,000 --> 00:00:02,000\r\none\r\n\r\n"
                                            "2\r\n00:00:03,000 -> 00:00:04,000\r\ntwo\r\n\r\n"
                                            "3\r\n00:00:05,000 --> 00:00:06,000\r\nthree\r\n");
    EXPECT_EQ(scan.numberedBlocks, 3);
    EXPECT_EQ(scan.emptyBlocks, 0);
    ASSERT_EQ(scan.warnings.size(), 1U);
    EXPECT_EQ(scan.warnings[0],
              "block 2 (line 6): the timing line \"00:00:03,000 -> 00:00:04,000\" cannot be read; "
              "its text was added to the subtitle before it");
}

TEST(SrtBlocks, ABrokenFirstBlockIsLeftOutAndALongLineIsCut) {
    const SrtBlockScan scan = ScanSrtBlocks("7\n" + std::string(60, 'x') + "\nseven\n");
    ASSERT_EQ(scan.warnings.size(), 1U);
    EXPECT_EQ(scan.warnings[0], "block 7 (line 2): the timing line \"" + std::string(40, 'x') +
                                    "...\" cannot be read; the block is left out");
}

TEST(SrtBlocks, ATimingLineWithoutTextIsAnEmptyBlock) {
    const SrtBlockScan scan = ScanSrtBlocks("1\n00:00:01,000 --> 00:00:02,000\n\n"
                                            "2\n00:00:03,000 --> 00:00:04,000\ntwo\n\n"
                                            "3\n00:00:05,000 --> 00:00:06,000");
    EXPECT_EQ(scan.numberedBlocks, 3);
    EXPECT_EQ(scan.emptyBlocks, 2);
    EXPECT_TRUE(scan.warnings.empty());
}

TEST(SrtBlocks, DigitsInsideATextAreNoBlock) {
    const SrtBlockScan scan = ScanSrtBlocks("1\n00:00:01,000 --> 00:00:02,000\nThe year\n1984\n");
    EXPECT_EQ(scan.numberedBlocks, 1);
    EXPECT_TRUE(scan.warnings.empty());
}

TEST(SrtBlocks, CountsThatStillDifferAreReported) {
    SrtBlockScan scan;
    scan.numberedBlocks = 5;
    scan.emptyBlocks = 1;
    EXPECT_EQ(SrtCountWarning(scan, 4), "");
    EXPECT_EQ(SrtCountWarning(scan, 5), "");
    EXPECT_EQ(SrtCountWarning(scan, 3),
              "the file has 5 numbered blocks, but only 3 subtitles were read");
    scan.warnings.push_back("block 2 named already");
    EXPECT_EQ(SrtCountWarning(scan, 3), "");
}

} // namespace
} // namespace orvo
