#include "orvo/engine/subtitlelist.h"

#include "runtestsupport.h"

#include <cerrno>
#include <cstring>

namespace orvo::test {
namespace {

using Status = ListLoadResult::Status;

class SubtitleListTest : public ::testing::Test {
protected:
    // Writes bytes as the list and loads it into store.
    ListLoadResult Load(const std::string& bytes) {
        WriteFile(m_listPath, bytes);
        return LoadSubtitleList(m_listPath, store);
    }

    TempDir m_dir;
    std::string m_listPath = m_dir.File("film.txt");
    SubtitleStore store;
};

TEST_F(SubtitleListTest, LinesEndInCrLfOrLoneLfAndTheLastNeedsNone) {
    const ListLoadResult result = Load("1\ta\tb\tone\r\n2\tc\td\ttwo\n3\te\tf\tthree");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(store, (SubtitleStore{"1\ta\tb\tone", "2\tc\td\ttwo", "3\te\tf\tthree"}));
}

TEST_F(SubtitleListTest, AFinalLineEndAddsNoLine) {
    EXPECT_EQ(Load("1\ta\tb\tone\r\n").status, Status::Loaded);
    EXPECT_EQ(store, SubtitleStore{"1\ta\tb\tone"});
    EXPECT_EQ(Load("1\ta\tb\tone\n").status, Status::Loaded);
    EXPECT_EQ(store, SubtitleStore{"1\ta\tb\tone"});
}

TEST_F(SubtitleListTest, AnEmptyFileLoadsNoSubtitle) {
    store = {"1\told\tlist\tline"};
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
    EXPECT_EQ(store, SubtitleStore(std::begin(lines), std::end(lines)));
}

TEST_F(SubtitleListTest, ALoneCrAtTheVeryEndStaysInTheLastLine) {
    EXPECT_EQ(Load("1\ta\tb\tone\r").status, Status::Loaded);
    EXPECT_EQ(store, SubtitleStore{"1\ta\tb\tone\r"});
}

TEST_F(SubtitleListTest, FourFieldsWithAnEmptyTextAreASubtitle) {
    EXPECT_EQ(Load("1\ta\tb\t\r\n\t\t\t\r\n").status, Status::Loaded);
    EXPECT_EQ(store, (SubtitleStore{"1\ta\tb\t", "\t\t\t"}));
}

TEST_F(SubtitleListTest, LinesCrossingTheReadBufferKeepTheirBytes) {
    // The first line puts its CR at the last byte of a 4096-byte buffer and its LF into the
    // next one; lines of 100 bytes then end at many other buffer positions.
    std::string first = "0\tstart\tend\t";
    first.resize(4095, 'x');
    SubtitleStore expected{first};
    std::string bytes = first + "\r\n";
    for (int i = 1; i < 300; ++i) {
        std::string line = std::to_string(i) + "\tstart\tend\t";
        line.resize(98, static_cast<char>('a' + i % 26));
        expected.push_back(line);
        bytes += line + "\r\n";
    }
    EXPECT_EQ(Load(bytes).status, Status::Loaded);
    EXPECT_EQ(store, expected);
}

struct InvalidCase {
    const char* name;
    const char* bytes;
    int line;
};

class InvalidLineTest : public SubtitleListTest,
                        public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidLineTest, StopsWithTheLineNumberAndEmptiesTheStore) {
    store = {"1\told\tlist\tline"};
    const ListLoadResult result = Load(GetParam().bytes);
    EXPECT_EQ(result.status, Status::InvalidLine);
    EXPECT_EQ(result.line, GetParam().line);
    EXPECT_EQ(result.message,
              "Error reading line " + std::to_string(GetParam().line) + " !\r\nLoading aborted!");
    EXPECT_TRUE(store.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InvalidLineTest,
    ::testing::Values(
        InvalidCase{"ThreeFields", "1\ta\tb\tone\r\n2\tc\td\r\n3\te\tf\tthree\r\n", 2},
        InvalidCase{"EmptyLineInTheMiddle", "1\ta\tb\tone\r\n\r\n3\te\tf\tthree\r\n", 2},
        InvalidCase{"TwoFinalLineEnds", "1\ta\tb\tone\r\n2\tc\td\ttwo\r\n\r\n", 3},
        InvalidCase{"OnlyALineEnd", "\n", 1},
        InvalidCase{"ThreeFieldsLastWithoutLineEnd", "1\ta\tb\tone\n2\tc\td", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SubtitleListTest, AFileThatCannotBeOpenedLeavesTheStore) {
    store = {"1\told\tlist\tline"};
    const ListLoadResult result = LoadSubtitleList(m_dir.File("missing.txt"), store);
    EXPECT_EQ(result.status, Status::CannotOpen);
    EXPECT_EQ(result.message, "Error reading file");
    EXPECT_EQ(store, SubtitleStore{"1\told\tlist\tline"});
}

TEST_F(SubtitleListTest, AReadErrorAfterOpeningNamesTheError) {
    // A folder opens for reading but cannot be read.
    store = {"1\told\tlist\tline"};
    const ListLoadResult result = LoadSubtitleList(m_dir.Path().string(), store);
    EXPECT_EQ(result.status, Status::ReadError);
    EXPECT_EQ(result.message, std::string("Error reading file: ") + std::strerror(EISDIR));
    EXPECT_TRUE(store.empty());
}

} // namespace
} // namespace orvo::test
