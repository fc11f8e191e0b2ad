#include "input/subtitlelist.h"

#include "orvo/storeoflines.h"

#include "runtestsupport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace orvo::test {
namespace {

using Status = ListLoadResult::Status;

class SubtitleListTest : public ::testing::Test {
protected:
    // Writes bytes as the list and loads it into store.
    ListLoadResult Load(const std::string& bytes) {
        WriteText(m_listPath, bytes);
        return LoadSubtitleList(m_listPath, DefaultFrameRate(true), store);
    }

    TempDir m_dir;
    std::string m_listPath = m_dir.File("film.txt");
    SubtitleStore store;
};

TEST_F(SubtitleListTest, LinesEndInCrLfOrLoneLfAndTheLastNeedsNone) {
    const ListLoadResult result = Load("1\ta\tb\tone\r\n2\tc\td\ttwo\n3\te\tf\tthree");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\tone", "2\tc\td\ttwo", "3\te\tf\tthree"}));
}

TEST_F(SubtitleListTest, AFinalLineEndAddsNoLine) {
    EXPECT_EQ(Load("1\ta\tb\tone\r\n").status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\tone"}));
    EXPECT_EQ(Load("1\ta\tb\tone\n").status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\tone"}));
}

TEST_F(SubtitleListTest, AnEmptyFileLoadsNoSubtitle) {
    store = StoreOf({"1\told\tlist\tline"});
    const ListLoadResult result = Load("");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_TRUE(store.empty());
}

TEST_F(SubtitleListTest, BytesStayAsTheyAre) {
    // Windows-1252 "é", UTF-8 "é", a lone CR inside a line and one CR before CR LF.
    const std::string lines[] = {"1\ta\tb\tcaf\xe9", "2\tc\td\tcaf\xc3\xa9", "3\te\tf\tx\ry",
                                 "4\tg\th\tend\r"};
    const ListLoadResult result =
        Load(lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\r\n" + lines[3] + "\r\n");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(ListLines(store), Lines(std::begin(lines), std::end(lines)));
}

TEST_F(SubtitleListTest, ALoneCrAtTheVeryEndStaysInTheLastLine) {
    EXPECT_EQ(Load("1\ta\tb\tone\r").status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\tone\r"}));
}

TEST_F(SubtitleListTest, FourFieldsWithAnEmptyTextAreASubtitle) {
    EXPECT_EQ(Load("1\ta\tb\t\r\n\t\t\t\r\n").status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\t", "\t\t\t"}));
}

TEST_F(SubtitleListTest, LinesCrossingTheReadBufferKeepTheirBytes) {
    // The first line puts its CR at the last byte of a 4096-byte buffer and its LF into the
    // next one; lines of 100 bytes then end at many other buffer positions.
    std::string first = "0\tstart\tend\t";
    first.resize(4095, 'x');
    Lines expected{first};
    std::string bytes = first + "\r\n";
    for (int i = 1; i < 300; ++i) {
        std::string line = std::to_string(i) + "\tstart\tend\t";
        line.resize(98, static_cast<char>('a' + i % 26));
        expected.push_back(line);
        bytes += line + "\r\n";
    }
    EXPECT_EQ(Load(bytes).status, Status::Loaded);
    EXPECT_EQ(ListLines(store), expected);
}

struct InvalidCase {
    const char* name;
    const char* bytes;
    int line;
    const char* reason;
};

class InvalidLineTest : public SubtitleListTest,
                        public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidLineTest, StopsWithTheLineNumberAndEmptiesTheStore) {
    store = StoreOf({"1\told\tlist\tline"});
    const ListLoadResult result = Load(GetParam().bytes);
    EXPECT_EQ(result.status, Status::InvalidLine);
    EXPECT_EQ(result.line, GetParam().line);
    EXPECT_EQ(result.message,
              "Error reading line " + std::to_string(GetParam().line) + " !\r\nLoading aborted!");
    EXPECT_EQ(result.reason, GetParam().reason);
    EXPECT_TRUE(store.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InvalidLineTest,
    ::testing::Values(
        InvalidCase{"ThreeFields", "1\ta\tb\tone\r\n2\tc\td\r\n3\te\tf\tthree\r\n", 2,
                    "line 2: 3 tab-separated fields; a subtitle needs at least 4: number, start "
                    "time, end time, text"},
        InvalidCase{"EmptyLineInTheMiddle", "1\ta\tb\tone\r\n\r\n3\te\tf\tthree\r\n", 2,
                    "line 2: 1 field; a subtitle needs at least 4: number, start time, end time, "
                    "text"},
        InvalidCase{"TwoFinalLineEnds", "1\ta\tb\tone\r\n2\tc\td\ttwo\r\n\r\n", 3,
                    "line 3: 1 field; a subtitle needs at least 4: number, start time, end time, "
                    "text"},
        InvalidCase{"OnlyALineEnd", "\n", 1,
                    "line 1: 1 field; a subtitle needs at least 4: number, start time, end time, "
                    "text"},
        InvalidCase{"ThreeFieldsLastWithoutLineEnd", "1\ta\tb\tone\n2\tc\td", 2,
                    "line 2: 3 tab-separated fields; a subtitle needs at least 4: number, start "
                    "time, end time, text"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ListText, EachFieldAfterTheThirdIsATextLine) {
    const struct {
        std::string line;
        std::string text;
    } cases[] = {
        {"1\ta\tb\tone", "one"},       {"1\ta\tb\tone\ttwo\tthree", "one\r\ntwo\r\nthree"},
        {"1\ta\tb\tone\t", "one\r\n"}, {"1\ta\tb\t", ""},
        {"1\ta\tb\t\t\t", "\r\n\r\n"},
    };
    for (const auto& [line, text] : cases) {
        EXPECT_EQ(StoreOf({line})[0].Text(), text) << line;
    }
}

// Nothing is read of a file that cannot be a list: the store stays as it was.
TEST_F(SubtitleListTest, AFileThatCannotBeAListIsRefusedWithItsReasonAndLeavesTheStore) {
    const std::string fifo = m_dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = m_dir.File("huge.txt");
    WriteText(huge, "");
    std::filesystem::resize_file(huge, (std::uintmax_t{256} << 20) + 1);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {m_dir.File("missing.txt"), std::strerror(ENOENT)},
        {m_dir.Path().string(), "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {fifo, "not a regular file"},
        {huge, "larger than 256 MB"},
    };
    for (const auto& refused : cases) {
        store = StoreOf({"1\told\tlist\tline"});
        const ListLoadResult result = LoadSubtitleList(refused.path, DefaultFrameRate(true), store);
        EXPECT_EQ(result.status, Status::CannotOpen) << refused.path;
        EXPECT_EQ(result.message, "Error reading file");
        EXPECT_EQ(result.reason, refused.reason);
        EXPECT_EQ(ListLines(store), (Lines{"1\told\tlist\tline"}));
    }
}

} // namespace
} // namespace orvo::test
