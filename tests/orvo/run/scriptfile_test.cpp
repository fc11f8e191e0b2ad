#include "model/texts.h"
#include "output/dvd1/scriptfile.h"

#include "runtestsupport.h"

#include "orvo/storeoflines.h"

namespace orvo::test {
namespace {

Subtitle Line() {
    return StoreOf({"1\t00:00:01:00\t00:00:03:12\tHello\tthere"})[0];
}

TEST(FormatScriptLineTest, NumbersTimesAndImageName) {
    EXPECT_EQ(FormatScriptLine(Line(), 1, "OutputImg"),
              "0001\t00:00:01:00\t00:00:03:12\tOutputImg.1.bmp\r\n");
    EXPECT_EQ(FormatScriptLine(Line(), 0, "OutputImg"),
              "0000\t00:00:01:00\t00:00:03:12\tOutputImg.0.bmp\r\n");
    // Five digits are never cut to four.
    EXPECT_EQ(FormatScriptLine(Line(), 12345, "OutputImg"),
              "12345\t00:00:01:00\t00:00:03:12\tOutputImg.12345.bmp\r\n");
}

TEST(FormatScriptLineTest, CopiesNameAndTimesUnchanged) {
    EXPECT_EQ(FormatScriptLine(StoreOf({"7\t1:2\xe9\t \t"})[0], 3, "sub\\dir/img"),
              "0003\t1:2\xe9\t \tsub\\dir/img.3.bmp\r\n");
}

class WriteScriptFileTest : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string m_path = m_dir.File("film.sst");
    SubtitleStore m_twoLines =
        StoreOf({"1\t00:00:01:00\t00:00:03:12\tOne", "2\t00:00:05:00\t00:00:07:00\tTwo"});
};

TEST_F(WriteScriptFileTest, DefaultHeaderAndTwoSubtitlesByteForByte) {
    ASSERT_TRUE(WriteScriptFile(m_path, texts::kDefaultHeader, m_twoLines, "OutputImg", 1));
    EXPECT_EQ(ReadText(m_path), "st_format 2\r\n"
                                "\r\n"
                                "directory\r\n"
                                "\r\n"
                                "SP_NUMBER\tSTART\tEND\tFILENAME\r\n"
                                "0001\t00:00:01:00\t00:00:03:12\tOutputImg.1.bmp\r\n"
                                "0002\t00:00:05:00\t00:00:07:00\tOutputImg.2.bmp\r\n");
}

TEST_F(WriteScriptFileTest, EmptyHeaderOrEmptyStore) {
    ASSERT_TRUE(WriteScriptFile(m_path, "", m_twoLines, "Img", 0));
    EXPECT_EQ(ReadText(m_path), "\r\n"
                                "0000\t00:00:01:00\t00:00:03:12\tImg.0.bmp\r\n"
                                "0001\t00:00:05:00\t00:00:07:00\tImg.1.bmp\r\n");
    ASSERT_TRUE(WriteScriptFile(m_path, "Header", {}, "Img", 1));
    EXPECT_EQ(ReadText(m_path), "Header\r\n");
}

TEST_F(WriteScriptFileTest, ReplacesAnExistingFile) {
    WriteText(m_path, std::string(10000, 'x'));
    ASSERT_TRUE(WriteScriptFile(m_path, "H", {}, "Img", 1));
    EXPECT_EQ(ReadText(m_path), "H\r\n");
}

TEST_F(WriteScriptFileTest, FailsWhenTheFileCannotBeCreatedOrWritten) {
    EXPECT_FALSE(WriteScriptFile(m_dir.File("missing/film.sst"), "H", m_twoLines, "Img", 1));
    EXPECT_FALSE(Exists(m_dir.File("missing")));
    // Every write to /dev/full fails for want of space.
    EXPECT_FALSE(WriteScriptFile("/dev/full", "H", m_twoLines, "Img", 1));
}

} // namespace
} // namespace orvo::test
