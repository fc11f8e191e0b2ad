#include "input/subtitleinput.h"

#include "orvo/storeoflines.h"

#include "runtestsupport.h"

#include <gtest/gtest.h>

namespace orvo::test {
namespace {

using Status = ListLoadResult::Status;

const std::string kGolden = GOLDEN_DIR;

FrameRate Rate(const char* name) {
    return FindFrameRate(name).value_or(DefaultFrameRate(true));
}

// Each file of the golden folder and the exact list it gives at a rate.
struct GoldenCase {
    const char* input;
    const char* rate;
    const char* kind;
    int emptySkipped;
};

class GoldenLists : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenLists, GiveTheirListByteForByte) {
    const GoldenCase& golden = GetParam();
    const std::string input = kGolden + "/" + golden.input;
    SubtitleStore store;
    const ListLoadResult result = LoadSubtitleFile(input, Rate(golden.rate), store);
    ASSERT_EQ(result.status, Status::Loaded) << result.reason;
    EXPECT_EQ(result.kind, golden.kind);
    EXPECT_EQ(result.emptySkipped, golden.emptySkipped);
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
    EXPECT_EQ(ListFileText(store), ReadText(input + "." + golden.rate + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenLists,
                         ::testing::Values(GoldenCase{"quay.srt", "25", "SRT", 1},
                                           GoldenCase{"minute.vtt", "29.97", "WebVTT", 0},
                                           GoldenCase{"minute.vtt", "29.97ndf", "WebVTT", 0},
                                           GoldenCase{"cafe.ass", "23.976", "ASS/SSA", 1},
                                           GoldenCase{"frames.sub", "23.976", "MicroDVD", 0},
                                           GoldenCase{"frames.sub", "25", "MicroDVD", 0}),
                         [](const auto& test) {
                             std::string name =
                                 std::string(test.param.input) + "_" + test.param.rate;
                             for (char& ch : name) {
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) != 0 ? ch : '_';
                             }
                             return name;
                         });

class SubtitleInputTest : public ::testing::Test {
protected:
    ListLoadResult Load(const std::string& name, const std::string& bytes,
                        const char* rate = "25") {
        const std::string path = m_dir.File(name);
        WriteText(path, bytes);
        return LoadSubtitleFile(path, Rate(rate), store);
    }

    TempDir m_dir;
    SubtitleStore store = StoreOf({"1\told\tlist\tline"});
};

const std::string kSrt = "1\r\n00:00:01,000 --> 00:00:02,000\r\nCaf\xc3\xa9 au lait\r\n";
const Lines kSrtStore{"1\t00:00:01:00\t00:00:02:00\tCaf\xc3\xa9 au lait"};

TEST_F(SubtitleInputTest, AnEmptyFileOrATabInTheFirstLineIsAListReadAsItIs) {
    EXPECT_EQ(Load("film.srt", "").status, Status::Loaded);
    EXPECT_TRUE(store.empty());
    const ListLoadResult result = Load("film.srt", "1\ta\tb\tcaf\xe9\r\n");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(result.kind, "");
    EXPECT_EQ(ListLines(store), (Lines{"1\ta\tb\tcaf\xe9"}));
}

TEST_F(SubtitleInputTest, AnUnknownTxtFileIsAListThatSaysWhichLine) {
    const ListLoadResult result = Load("notes.txt", "Dear translator,\nthanks.\n");
    EXPECT_EQ(result.status, Status::InvalidLine);
    EXPECT_EQ(result.line, 1);
    EXPECT_EQ(result.reason,
              "line 1: 1 field; a subtitle needs at least 4: number, start time, end time, text");
    EXPECT_TRUE(store.empty());
}

TEST_F(SubtitleInputTest, AnUnknownFileOfAnotherNameIsRefused) {
    const ListLoadResult result = Load("notes.doc", "Dear translator,\nthanks.\n");
    EXPECT_EQ(result.status, Status::NotSubtitleFile);
    EXPECT_EQ(result.reason,
              "not a subtitle file Orvo can read (tab-separated list, SRT, WebVTT, ASS/SSA, ...)");
    EXPECT_TRUE(store.empty());
}

// A video's first line may hold a tab, and a playlist is text that names other files: neither
// is a list, whatever its name says.
TEST_F(SubtitleInputTest, VideoFilesAndPlaylistsAreRefusedUnderAnyName) {
    // The bytes as they start such files, NUL bytes and all.
    const auto bytes = [](const auto& literal) { return std::string(literal, sizeof literal - 1); };
    const std::string mp4 = bytes("\0\0\0\x20"
                                  "ftypisom\0\0\x02\0isomiso2avc1mp41\t\x01\n\0\0\x08"
                                  "free");
    const std::string mkv = bytes("\x1a\x45\xdf\xa3\xa3\x42\x86\x81\x01\x42\xf7\x81\x01\x42\x82\x88"
                                  "matroska\n\t\x18\x53\x80\x67\x01\0\0\0");
    const std::string concat = "ffconcat version 1.0\nfile reel1.mp4\n";
    for (const auto& [name, file] : {std::pair{"clip.mp4", mp4}, std::pair{"clip.txt", mp4},
                                     std::pair{"clip.mkv", mkv}, std::pair{"reels.txt", concat}}) {
        const ListLoadResult result = Load(name, file);
        EXPECT_EQ(result.status, Status::NotSubtitleFile) << name << ": " << result.reason;
        EXPECT_EQ(result.reason, kNotASubtitleFile) << name;
    }
}

TEST_F(SubtitleInputTest, AFileThatCannotBeReadLeavesTheStore) {
    const ListLoadResult result = LoadSubtitleFile(m_dir.File("missing.srt"), Rate("25"), store);
    EXPECT_EQ(result.status, Status::CannotOpen);
    EXPECT_EQ(result.reason, "No such file or directory");
    EXPECT_EQ(ListLines(store), (Lines{"1\told\tlist\tline"}));
}

TEST_F(SubtitleInputTest, Utf8WithOrWithoutMarkAndUtf16WithMarkReadAlike) {
    EXPECT_EQ(Load("plain.srt", kSrt).kind, "SRT");
    EXPECT_EQ(ListLines(store), kSrtStore);
    EXPECT_EQ(Load("marked.srt", "\xEF\xBB\xBF" + kSrt).kind, "SRT");
    EXPECT_EQ(ListLines(store), kSrtStore);
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (const char ch : "1\r\n00:00:01,000 --> 00:00:02,000\r\nCaf\xe9 au lait\r\n") {
        if (ch != '\0') {
            little += {ch, '\0'};
            big += {'\0', ch};
        }
    }
    EXPECT_EQ(Load("little.srt", little).kind, "SRT");
    EXPECT_EQ(ListLines(store), kSrtStore);
    EXPECT_EQ(Load("big.srt", big).kind, "SRT");
    EXPECT_EQ(ListLines(store), kSrtStore);
}

TEST_F(SubtitleInputTest, TextThatIsNotUtf8IsWindows1252AndNoEventIsLost) {
    // 0x81 is one of the bytes the code page leaves undefined: it keeps its Latin-1 meaning.
    const ListLoadResult result =
        Load("old.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nCaf\xe9 \x80 \x81\r\n");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(ListLines(store),
              (Lines{"1\t00:00:01:00\t00:00:02:00\tCaf\xc3\xa9 \xe2\x82\xac \xc2\x81"}));
}

TEST_F(SubtitleInputTest, ALostSrtBlockIsNamedAndTheLibrariesSayNothingOnStderr) {
    ::testing::internal::CaptureStderr();
    const ListLoadResult result = Load(
        "lost.srt", "1\n00:00:01,000 --> 00:00:02,000\none\n\n"
                    "2\n00:00:03,000 -> 00:00:04,000\ntwo\n\n"
                    "3\n00:00:05,000 --> 00:00:06,000\n<font color=\"nocolour\">three</font>\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\t00:00:01:00\t00:00:02:00\tone\t2\t00:00:03,000 -> "
                                       "00:00:04,000\ttwo",
                                       "2\t00:00:05:00\t00:00:06:00\tthree"}));
    ASSERT_EQ(result.warnings.size(), 2U);
    EXPECT_EQ(result.warnings[0], "block 2 (line 6): the timing line \"00:00:03,000 -> "
                                  "00:00:04,000\" cannot be read; its text was added to the "
                                  "subtitle before it");
    EXPECT_EQ(result.warnings[1], "subtitle 2 (line 10): Cannot find color 'nocolour'");
}

TEST_F(SubtitleInputTest, TimesComeInTimeOrderAtTheChosenRate) {
    const std::string srt = "2\n00:01:00,000 --> 00:01:01,000\nlater\n\n"
                            "1\n00:00:59,000 --> 00:00:59,900\nearlier\n";
    EXPECT_EQ(Load("order.srt", srt, "29.97").status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\t00:00:58;28\t00:00:59;25\tearlier",
                                       "2\t00:00:59;28\t00:01:01;00\tlater"}));
}

TEST_F(SubtitleInputTest, AnEventPastTheHoursOfATimecodeIsLeftOutAndNamed) {
    const ListLoadResult result = Load("long.srt", "1\n00:00:01,000 --> 00:00:02,000\none\n\n"
                                                   "2\n99:59:59,000 --> 100:00:01,000\ntwo\n");
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(ListLines(store), (Lines{"1\t00:00:01:00\t00:00:02:00\tone"}));
    EXPECT_EQ(result.warnings, std::vector<std::string>{"subtitle 2 (line 6): ends after 99 hours, "
                                                        "left out"});
}

TEST(Utf8FromUtf16, PairsJoinAndBrokenUnitsBecomeReplacementCharacters) {
    EXPECT_FALSE(Utf8FromUtf16("plain"));
    EXPECT_EQ(Utf8FromUtf16(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8FromUtf16(std::string("\xFE\xFF\xD8\x3D\x00\x41", 6)), "\xEF\xBF\xBD"
                                                                         "A");
    EXPECT_EQ(Utf8FromUtf16(std::string("\xFF\xFE\x41\x00\x42", 5)), "A\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromUtf16(std::string("\xFF\xFE\x00\xDC", 4)), "\xEF\xBF\xBD");
}

} // namespace
} // namespace orvo::test

namespace orvo::test {
namespace {

// Each line of a subtitle as its runs' texts, emphasised ones in brackets with their bits.
std::vector<std::string> Marked(const Subtitle& subtitle) {
    std::vector<std::string> lines;
    for (std::size_t line = 0; line < subtitle.lines.LineCount(); ++line) {
        std::string text;
        for (const TextRun& run : subtitle.lines.Runs(line)) {
            const auto bits = static_cast<unsigned>(run.emphasis);
            text += bits == 0 ? std::string(run.text)
                              : "[" + std::to_string(bits) + ":" + std::string(run.text) + "]";
        }
        lines.push_back(text);
    }
    return lines;
}

// What translators mark: the decoders turn SRT's tags into the script markup, ASS styles
// carry their own emphasis and place, and a list's text is never read for markup.
TEST_F(SubtitleInputTest, TheFilesMarkupBecomesEmphasisAndPlacement) {
    ASSERT_EQ(Load("film.srt", "1\n00:00:01,000 --> 00:00:02,000\n<i>Sung</i> and <b>said</b>\n\n"
                               "2\n00:00:03,000 --> 00:00:04,000\n{\\an8}EXIT\n")
                  .status,
              Status::Loaded);
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(Marked(store[0]), Lines{"[1:Sung] and [2:said]"});
    EXPECT_TRUE(store[0].placement.IsDefault());
    EXPECT_EQ(store[1].placement.row, Placement::Row::Top);

    ASSERT_EQ(Load("film.ass", "[Script Info]\nScriptType: v4.00+\nPlayResX: 640\nPlayResY: 480\n\n"
                               "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
                               "Bold, Italic, Underline, Alignment\n"
                               "Style: Default,Arial,20,&H00FFFFFF,0,0,0,2\n"
                               "Style: Song,Arial,20,&H00FFFFFF,0,-1,0,8\n\n[Events]\n"
                               "Format: Layer, Start, End, Style, Name, MarginL, MarginR, "
                               "MarginV, Effect, Text\n"
                               "Dialogue: 0,0:00:01.00,0:00:02.00,Song,,0,0,0,,La la\n"
                               "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,"
                               "{\\pos(320,120)}Here\n")
                  .status,
              Status::Loaded);
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(Marked(store[0]), Lines{"[1:La la]"});
    EXPECT_EQ(store[0].placement.row, Placement::Row::Top);
    ASSERT_TRUE(store[1].placement.position);
    EXPECT_DOUBLE_EQ(store[1].placement.position->x, 0.5);
    EXPECT_DOUBLE_EQ(store[1].placement.position->y, 0.25);

    ASSERT_EQ(Load("film.txt", "1\ta\tb\t{\\an8}<i>as it is</i>\n").status, Status::Loaded);
    EXPECT_EQ(Marked(store[0]), Lines{"{\\an8}<i>as it is</i>"});
    EXPECT_TRUE(store[0].placement.IsDefault());
}

} // namespace
} // namespace orvo::test

namespace orvo::test {
namespace {

// An emphasis that goes on over a line break belongs to both lines, each its own.
TEST(SubtitleText, RunsKeepToTheirLines) {
    SubtitleText text;
    text.AddLine({{"Lamp on", Emphasis::Italic}, {" the", Emphasis::Italic}});
    text.AddLine({{"light me", Emphasis::Italic}, {" home", Emphasis::None}});
    ASSERT_EQ(text.LineCount(), 2u);
    const std::vector<TextRun> first = text.Runs(0);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].text, "Lamp on the");
    const std::vector<TextRun> second = text.Runs(1);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].text, "light me");
    EXPECT_EQ(second[0].emphasis, Emphasis::Italic);
    EXPECT_EQ(second[1].text, " home");
}

} // namespace
} // namespace orvo::test
