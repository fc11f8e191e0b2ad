// Runs the real orvo program on subtitle files of other kinds: the reader it chooses, the rate
// of its timecodes, its warnings and exit statuses, and the lists --convert writes.
#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/tempdir.h"

#include <kestrum/propstore/cpropdb.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace orvo::test {
namespace {

using Result = testsupport::ProgramOutcome;
using testsupport::Exists;
using testsupport::ReadText;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteText;

const std::string kExamples = EXAMPLES_DIR;
const std::string kHeader =
    "st_format 2\r\n\r\ndirectory\r\n\r\nSP_NUMBER\tSTART\tEND\tFILENAME\r\n";
const std::string kSrt = "1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>One</i>\r\n\r\n"
                         "2\r\n00:01:00,000 --> 00:01:02,000\r\nTwo\r\nlines\r\n";

class SubtitleFileBatchTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return m_dir.File(name); }

    // Runs the program in the test's folder, on the offscreen platform, with no settings of
    // the program's own: only what the test writes counts.
    Result Run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), ORVO_PROGRAM);
        return RunProgram({arguments,
                           m_dir.Path().string(),
                           {"QT_QPA_PLATFORM=offscreen"},
                           File("stdout"),
                           File("stderr")});
    }

    std::string StoredRate(const std::string& cfg) const {
        kestrum::CPropDb db;
        EXPECT_TRUE(db.LoadWithReason(File(cfg)));
        return db.ReadPropString("", "FrameRate", "(none)", false);
    }

    TempDir m_dir;
    // The look of the example; the settings of the test's own program copy are never read.
    const std::vector<std::string> m_look{"--settings", kExamples + "/orvo.cfg"};
};

TEST_F(SubtitleFileBatchTest, AnSrtFileGivesTheScriptAtTheRateAndStoresIt) {
    WriteText(File("film.srt"), kSrt);
    Result result = Run({"--batch", "film.srt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "orvo: film.srt: 2 Subtitles loaded ! (SRT)\n");
    EXPECT_EQ(ReadText(File("film.sst")),
              kHeader + "0001\t00:00:01:00\t00:00:02:13\tOutputImg.1.bmp\r\n"
                        "0002\t00:01:00:00\t00:01:02:00\tOutputImg.2.bmp\r\n");
    EXPECT_EQ(StoredRate("film.cfg"), "25");

    result = Run({"--batch", "film.srt", "--test-mode", "--fps", "29.97"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadText(File("film.sst")),
              kHeader + "0001\t00:00:01;00\t00:00:02;15\tOutputImg.1.bmp\r\n"
                        "0002\t00:00:59;28\t00:01:02;00\tOutputImg.2.bmp\r\n");
    EXPECT_EQ(StoredRate("film.cfg"), "29.97");

    // Without --fps the list configuration file's rate holds.
    result = Run({"--batch", "film.srt", "--test-mode"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(ReadText(File("film.sst")).find("00:00:59;28"), std::string::npos);
}

TEST_F(SubtitleFileBatchTest, TheExampleSrtDrawsTheSameBitmapsAndScriptAsTheExampleList) {
    std::filesystem::create_directories(m_dir.Path() / "txt");
    std::filesystem::create_directories(m_dir.Path() / "srt");
    std::filesystem::copy_file(kExamples + "/harbour-lights.txt", File("txt/film.txt"));
    std::filesystem::copy_file(kExamples + "/harbour-lights.srt", File("srt/film.srt"));
    std::vector<std::string> txt{"--batch", "txt/film.txt"};
    std::vector<std::string> srt{"--batch", "srt/film.srt", "--fps", "25"};
    txt.insert(txt.end(), m_look.begin(), m_look.end());
    srt.insert(srt.end(), m_look.begin(), m_look.end());
    const Result fromList = Run(txt);
    const Result fromSrt = Run(srt);
    EXPECT_EQ(fromSrt.status, fromList.status) << fromSrt.err;
    EXPECT_EQ(fromSrt.out, fromList.out);
    EXPECT_EQ(ReadText(File("srt/film.sst")), ReadText(File("txt/film.sst")));
    int bitmaps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path() / "txt")) {
        if (entry.path().extension() == ".bmp") {
            ++bitmaps;
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(ReadText(File("srt/" + name)), ReadText(entry.path().string())) << name;
        }
    }
    EXPECT_EQ(bitmaps, 20);
}

TEST_F(SubtitleFileBatchTest, TimecodeWarningsAreReportedAndExitWithThree) {
    WriteText(File("film.txt"), "1\t00:00:01:00\t00:00:03:00\tOne\r\n"
                                "2\t00:00:02:00\t00:00:04:00\tOverlaps\r\n"
                                "3\t00:00:05:00\t00:00:05:25\tNo frame 25\r\n");
    const Result result = Run({"--batch", "film.txt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "Timecode warnings in 2 subtitles:\n"
                          "subtitle 2, line 2: starts at 00:00:02:00, before subtitle 1 ends\n"
                          "subtitle 3, line 3: end 00:00:05:25 does not exist: frame 25 at 25 fps\n"
                          "Finished! Timecode warnings in 2 subtitles.\n");
    // Times are copied as they are, warnings or not.
    EXPECT_NE(ReadText(File("film.sst")).find("\t00:00:05:25\t"), std::string::npos);
}

TEST_F(SubtitleFileBatchTest, WrappedSubtitlesAndTimecodeWarningsShareTheReport) {
    WriteText(File("film.txt"), "1\t00:00:01:00\t00:00:03:00\tThis subtitle is much too long to "
                                "fit on one line of a standard definition picture at all\r\n"
                                "2\t00:00:02:00\t00:00:04:00\tShort\r\n");
    const Result result = Run({"--batch", "film.txt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "OutputImg.1.bmp\n"
                          "Additional line breaks in 1 bitmaps found:\n"
                          "OutputImg.1.bmp\n"
                          "\n"
                          "Timecode warnings in 1 subtitles:\n"
                          "subtitle 2, line 2: starts at 00:00:02:00, before subtitle 1 ends\n"
                          "Finished! Additional line breaks in 1 bitmaps found.\n");
}

TEST_F(SubtitleFileBatchTest, AListWithTimesOfAnotherFormIsNotChecked) {
    WriteText(File("film.txt"), "1\t3.0\t1.0\tBackwards, but not timecodes\r\n");
    const Result result = Run({"--batch", "film.txt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Finished! No errors found.\n");
}

TEST_F(SubtitleFileBatchTest, AFileNoReaderTakesIsRefusedAndNothingIsWritten) {
    WriteText(File("notes.doc"), "Dear translator,\nthanks.\n");
    const Result result = Run({"--batch", "notes.doc"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvo: notes.doc: not a subtitle file Orvo can read (tab-separated "
                          "list, SRT, WebVTT, ASS/SSA, ...)\n");
    EXPECT_FALSE(Exists(File("notes.sst")));
    EXPECT_FALSE(Exists(File("notes.cfg")));
}

TEST_F(SubtitleFileBatchTest, ALostBlockIsAWarningThatExitsWithThree) {
    WriteText(File("film.srt"), "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n"
                                "2\n00:00:03,000 -> 00:00:04,000\nTwo\n");
    const Result result = Run({"--batch", "film.srt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, "orvo: film.srt: block 2 (line 6): the timing line \"00:00:03,000 -> "
                          "00:00:04,000\" cannot be read; its text was added to the subtitle "
                          "before it\norvo: film.srt: 1 Subtitles loaded ! (SRT)\n");
    EXPECT_EQ(result.out, "Finished! Reading the file gave 1 warnings.\n");
}

// The line a translator looks for is the one of the file, not of the list it became.
TEST_F(SubtitleFileBatchTest, TimecodeWarningsNameTheLineOfTheSubtitleFile) {
    WriteText(File("film.srt"), "1\n00:00:01,000 --> 00:00:03,000\nOne\nline two\n\n\n\n"
                                "2\n00:00:02,000 --> 00:00:04,000\nOverlaps\n");
    Result result = Run({"--batch", "film.srt", "--test-mode", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 3);
    // The SRT reader places a block at its timing line.
    EXPECT_NE(result.out.find("subtitle 2, line 9: starts at 00:00:02:00, before subtitle 1 ends"),
              std::string::npos)
        << result.out;
    WriteText(File("film.ass"), "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                                "Format: Layer, Start, End, Style, Name, MarginL, MarginR, "
                                "MarginV, Effect, Text\n"
                                "Dialogue: 0,0:00:01.00,0:00:03.00,Default,,0,0,0,,One\n"
                                "Comment: 0,0:00:01.50,0:00:02.00,Default,,0,0,0,,note\n"
                                "Dialogue: 0,0:00:02.00,0:00:04.00,Default,,0,0,0,,Two\n");
    result = Run({"--convert", "film.ass", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("subtitle 2, line 8: starts at 00:00:02:00, before subtitle 1 ends"),
              std::string::npos)
        << result.err;
}

TEST_F(SubtitleFileBatchTest, ConvertWritesTheListAndNeverTheSubtitleFile) {
    WriteText(File("film.srt"), kSrt);
    const std::string list = "1\t00:00:01:00\t00:00:02:12\tOne\r\n"
                             "2\t00:01:00:00\t00:01:02:00\tTwo\tlines\r\n";
    Result result = Run({"--convert", "film.srt", "--fps", "24", "--settings", "none.cfg"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, list);

    result = Run({"--convert", "film.srt", "--fps", "24", "-o", "film.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadText(File("film.txt")), list);
    EXPECT_FALSE(Exists(File("film.sst")));

    result = Run({"--convert", "film.srt", "-o", "./film.srt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvo: ./film.srt: is the subtitle file; give another list\n");
    EXPECT_EQ(ReadText(File("film.srt")), kSrt);
}

TEST_F(SubtitleFileBatchTest, AnUnknownRateOrOutputTypeIsAUsageError) {
    const Result result = Run({"--batch", "film.srt", "--fps", "25fps"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "orvo: Invalid frame rate '25fps': give one of 23.976, 24, 25, 29.97, "
                          "29.97ndf, 30, 50, 59.94.\nTry 'orvo --help' for the options.\n");
    const Result type = Run({"--batch", "film.srt", "--output-type", "png"});
    EXPECT_EQ(type.status, 2);
    EXPECT_EQ(type.err,
              "orvo: Invalid output type 'png': give one of dvd-1, spumux, vobsub, pgs, bdn.\n"
              "Try 'orvo --help' for the options.\n");
    EXPECT_EQ(Run({"-o", "x.txt"}).status, 2);
    EXPECT_EQ(Run({"--batch", "a.srt", "--convert", "a.srt"}).status, 2);
}

} // namespace
} // namespace orvo::test
