#include "model/texts.h"
#include "output/dvd1/dvd1format.h"
#include "output/spumux/spumuxoutput.h"
#include "output/vobsub/vobsuboutput.h"
#include "render/dvdcolours.h"
#include "render/looksettings.h"
#include "render/subtitlerenderer.h"
#include "run/generationrun.h"

#include "runtestsupport.h"

#include "orvo/storeoflines.h"

#include "common/imageprobes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orvo::test {
namespace {

// Records what the run tells its driver; Escape is held from a given subtitle on.
class FakeHost : public GenerationHost {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetProgressRange(int maximum) override { range = maximum; }
    void StepProgress() override { ++steps; }
    void SetProgressPos(int position) override { positions.push_back(position); }
    bool IsTestMode() const override { return testMode; }
    bool IsEscapeDown() override { return steps >= escapeFromStep; }
    bool AskContinue(const std::string& question) override {
        questions.push_back(question);
        askedAtStep.push_back(steps);
        return answer;
    }
    void WrappedFound(const std::string& fileTitle) override { wrapped.push_back(fileTitle); }
    void WriteFailed(const std::string& fileName, const std::string& error) override {
        failures.emplace_back(fileName, error);
    }
    void ShowErrorLog(const std::string& message, const std::string& log) override {
        errorLogs.emplace_back(message, log);
    }
    void ShowNote(const std::string& text) override { notes.push_back(text); }
    void Warn(const std::string& text) override { warnings.push_back(text); }
    void CanvasChanged() override { ++canvasChanges; }

    bool testMode = false;
    int escapeFromStep = INT_MAX;
    bool answer = true;

    std::vector<std::string> statuses;
    int range = -1;
    int steps = 0;
    std::vector<int> positions;
    std::vector<std::string> questions;
    std::vector<int> askedAtStep;
    std::vector<std::string> wrapped;
    std::vector<std::pair<std::string, std::string>> failures;
    std::vector<std::pair<std::string, std::string>> errorLogs;
    std::vector<std::string> notes;
    std::vector<std::string> warnings;
    int canvasChanges = 0;
};

const std::string kShort = "1\t00:00:01:00\t00:00:02:00\tOne";
const std::string kTwoLines = "2\t00:00:03:00\t00:00:04:00\tTwo\tlines";
const std::string kThree = "3\t00:00:05:00\t00:00:06:00\tThree";
// Too wide for 720 pixels at the default font: it wraps.
const std::string kLong = "4\t00:00:07:00\t00:00:08:00\tThis subtitle is much too long to fit "
                          "on one line of a standard definition picture at all";
const std::string kHint = "         Press Escape to cancel!";

// The height field of a BMP file's info header.
std::int32_t BitmapHeight(const std::string& path) {
    const std::string bytes = ReadText(path);
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) {
        return 0;
    }
    std::int32_t height = 0;
    std::memcpy(&height, bytes.data() + 22, sizeof height);
    return height;
}

class RunTest : public ::testing::Test {
protected:
    // The loop of a DVD-1 run alone: bitmaps, but no script or configuration file.
    RunOutcome Run(const SubtitleStore& store) {
        kestrum::CPropDb db;
        const std::string header;
        const OutputContext context{m_parameters, m_settings, store,          {},
                                    db,           header,     m_host.testMode};
        const std::unique_ptr<RunOutput> output = kDvd1Format.MakeOutput(context);
        RunOutcome outcome;
        RunSubtitles(store, m_parameters, kDvd1Format, *output, {m_settings, m_renderer, m_canvas},
                     m_settings, m_host, outcome);
        return outcome;
    }
    RunOutcome Run(const Lines& lines) { return Run(StoreOf(lines)); }

    std::string Image(int number) const {
        return m_dir.File("OutputImg." + std::to_string(number) + ".bmp");
    }

    bool CanvasShowsTheTestText() const {
        QImage expected = MakeCanvas(CanvasOf(m_settings));
        m_renderer.RenderSubtitle(m_settings, texts::kTestText, expected);
        return m_canvas == expected;
    }

    TempDir m_dir;
    RunParameters m_parameters{m_dir.File("film.txt"), "OutputImg", 1};
    RenderSettings m_settings;
    SubtitleRenderer m_renderer{m_settings};
    QImage m_canvas = MakeCanvas(kPalCanvas);
    FakeHost m_host;
};

TEST_F(RunTest, ThreeSubtitlesBecomeNumberedBitmapsInTheListsFolder) {
    const RunOutcome outcome = Run({kShort, kTwoLines, kThree});

    for (int number : {1, 2, 3}) {
        EXPECT_EQ(BitmapHeight(Image(number)), kPalCanvas.height) << number;
    }
    EXPECT_FALSE(Exists(Image(0)));
    EXPECT_FALSE(Exists(Image(4)));
    EXPECT_EQ(m_host.statuses,
              (std::vector<std::string>{Image(1) + kHint, Image(2) + kHint, Image(3) + kHint,
                                        "Finished! No errors found."}));
    EXPECT_EQ(m_host.range, 3);
    EXPECT_EQ(m_host.steps, 3);
    EXPECT_EQ(m_host.positions, std::vector<int>{0});
    EXPECT_EQ(m_host.canvasChanges, 4);
    EXPECT_TRUE(m_host.questions.empty());
    EXPECT_TRUE(m_host.errorLogs.empty());
    EXPECT_TRUE(m_host.failures.empty());
    EXPECT_TRUE(outcome.wrapped.empty());
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(CanvasShowsTheTestText());
}

// Both drivers accept exactly this range, and the window's field is exactly as wide as its top.
TEST(StartIndexTest, RangeEndsAtTheFieldWidth) {
    const std::pair<int, bool> cases[] = {
        {INT_MIN, false}, {-1, false},     {0, true},        {1, true},
        {99999, true},    {100000, false}, {INT_MAX, false},
    };
    for (const auto& [index, valid] : cases) {
        EXPECT_EQ(IsValidStartIndex(index), valid) << index;
    }
    EXPECT_EQ(kMaxStartIndexDigits, 5);
}

TEST_F(RunTest, NumbersFromTheStartIndex) {
    m_parameters.StartIndex = 41;
    Run({kShort, kThree});
    EXPECT_TRUE(Exists(Image(41)));
    EXPECT_TRUE(Exists(Image(42)));
    EXPECT_FALSE(Exists(Image(1)));
}

TEST_F(RunTest, WrappedSubtitlesGoIntoTheErrorLog) {
    const RunOutcome outcome = Run({kLong, kTwoLines, kLong});

    EXPECT_EQ(outcome.wrapped, (std::vector<std::string>{"OutputImg.1.bmp", "OutputImg.3.bmp"}));
    EXPECT_EQ(m_host.wrapped, outcome.wrapped);
    ASSERT_EQ(m_host.errorLogs.size(), 1u);
    EXPECT_EQ(m_host.errorLogs[0].first, "Additional line breaks in 2 bitmaps found:");
    EXPECT_EQ(m_host.errorLogs[0].second, "OutputImg.1.bmp\r\nOutputImg.3.bmp\r\n");
    // The Escape hint goes: the key cancels nothing after the run.
    EXPECT_EQ(m_host.statuses.back(), "Finished! Additional line breaks in 2 bitmaps found.");
    EXPECT_TRUE(Exists(Image(1)) && Exists(Image(2)) && Exists(Image(3)));
}

TEST_F(RunTest, TestModeWritesNoBitmapButStillFindsWrappedSubtitles) {
    m_host.testMode = true;
    const RunOutcome outcome = Run({kShort, kLong});

    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    EXPECT_EQ(outcome.wrapped, std::vector<std::string>{"OutputImg.2.bmp"});
    ASSERT_EQ(m_host.errorLogs.size(), 1u);
    EXPECT_EQ(m_host.errorLogs[0].first, "Additional line breaks in 1 bitmaps found:");
    EXPECT_EQ(m_host.errorLogs[0].second, "OutputImg.2.bmp\r\n");
}

TEST_F(RunTest, EscapeAnsweredNoStopsAfterTheCurrentSubtitle) {
    m_host.escapeFromStep = 2;
    m_host.answer = false;
    const RunOutcome outcome = Run({kShort, kTwoLines, kThree});

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(m_host.questions,
              std::vector<std::string>{"Not all images are generated !\r\n\r\nContinue ?"});
    EXPECT_EQ(m_host.statuses.back(), "Generation terminated by user !");
    EXPECT_TRUE(Exists(Image(1)) && Exists(Image(2)));
    EXPECT_FALSE(Exists(Image(3)));
    EXPECT_EQ(m_host.positions, std::vector<int>{0});
    EXPECT_TRUE(CanvasShowsTheTestText());
}

TEST_F(RunTest, EscapeHeldAndAnsweredYesAsksAfterEverySubtitle) {
    m_host.escapeFromStep = 1;
    const RunOutcome outcome = Run({kShort, kTwoLines, kThree});

    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(m_host.askedAtStep, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(Exists(Image(3)));
    EXPECT_EQ(m_host.statuses.back(), "Finished! No errors found.");
}

TEST_F(RunTest, EscapeDuringTheLastSubtitleStillAsks) {
    m_host.escapeFromStep = 3;
    m_host.answer = false;
    const RunOutcome outcome = Run({kShort, kTwoLines, kThree});

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(m_host.askedAtStep, std::vector<int>{3});
    EXPECT_TRUE(Exists(Image(3)));
    EXPECT_EQ(m_host.statuses.back(), "Generation terminated by user !");
}

TEST_F(RunTest, AStoppedRunStillReportsTheWrappedSubtitlesFoundSoFar) {
    m_host.escapeFromStep = 1;
    m_host.answer = false;
    const RunOutcome outcome = Run({kLong, kShort});

    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(m_host.errorLogs.size(), 1u);
    EXPECT_EQ(m_host.errorLogs[0].second, "OutputImg.1.bmp\r\n");
    EXPECT_EQ(m_host.statuses.back(), "Generation terminated by user !");
}

TEST_F(RunTest, AnEmptyStoreFinishesAtOnce) {
    const RunOutcome outcome = Run(Lines{});

    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    EXPECT_EQ(m_host.range, 0);
    EXPECT_EQ(m_host.statuses, std::vector<std::string>{"Finished! No errors found."});
    EXPECT_EQ(m_host.canvasChanges, 1);
    EXPECT_FALSE(outcome.stopped);
}

TEST_F(RunTest, AListPathWithoutFolderWritesIntoTheCurrentFolder) {
    const CurrentFolder current(m_dir.Path());
    m_parameters.LastPath = "film.txt";
    Run({kShort});
    EXPECT_TRUE(Exists(Image(1)));
    EXPECT_EQ(m_host.statuses.front(), "OutputImg.1.bmp" + kHint);
}

TEST_F(RunTest, ABitmapThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
    m_parameters.LastPath = m_dir.File("missing/film.txt");
    const RunOutcome outcome = Run({kShort, kThree});

    ASSERT_EQ(m_host.failures.size(), 2u);
    EXPECT_EQ(m_host.failures[0].first, m_dir.File("missing/OutputImg.1.bmp"));
    EXPECT_EQ(m_host.failures[1].first, m_dir.File("missing/OutputImg.2.bmp"));
    EXPECT_FALSE(m_host.failures[0].second.empty());
    EXPECT_EQ(m_host.steps, 2);
    EXPECT_FALSE(outcome.stopped);
}

// Taller than the canvas at the default font: its top lines cannot be drawn.
std::string TallLine(int lines) {
    std::string line = "5\t00:00:09:00\t00:00:10:00\tTall";
    for (int i = 1; i < lines; ++i) {
        line += "\tTall";
    }
    return line;
}

struct CutOffCase {
    const char* name;
    Lines store;
    const char* message;
    const char* log;
    const char* status;
};

class CutOffTest : public RunTest, public ::testing::WithParamInterface<CutOffCase> {};

TEST_P(CutOffTest, TextThatDoesNotFitIsReportedUnderItsOwnHeading) {
    const CutOffCase& cut = GetParam();
    const RunOutcome outcome = Run(cut.store);

    ASSERT_EQ(m_host.errorLogs.size(), 1u);
    EXPECT_EQ(m_host.errorLogs[0].first, cut.message);
    EXPECT_EQ(m_host.errorLogs[0].second, cut.log);
    EXPECT_EQ(m_host.statuses.back(), cut.status);
    EXPECT_EQ(outcome.cutOff.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CutOffTest,
    ::testing::Values(
        CutOffCase{"CutOffOnly",
                   {kShort, TallLine(30)},
                   "Text cut off in 1 bitmaps:",
                   "OutputImg.2.bmp\r\n",
                   "Finished! Text cut off in 1 bitmaps."},
        CutOffCase{"WrappedAndCutOff",
                   {kLong, TallLine(30)},
                   "Additional line breaks in 1 bitmaps found:",
                   "OutputImg.1.bmp\r\n\r\nText cut off in 1 bitmaps:\r\nOutputImg.2.bmp\r\n",
                   "Finished! Additional line breaks in 1 bitmaps found."},
        // Each tab starts a line: a hostile line is drawn like any tall text.
        CutOffCase{"TwoHundredThousandTabs",
                   {"1\ta\tb\tc" + std::string(200000, '\t')},
                   "Text cut off in 1 bitmaps:",
                   "OutputImg.1.bmp\r\n",
                   "Finished! Text cut off in 1 bitmaps."}),
    [](const auto& test) { return std::string(test.param.name); });

class StartGenerationTest : public RunTest {
protected:
    RunOutcome Start(const SubtitleStore& store) {
        return StartGeneration(m_db, store, m_parameters, m_settings, m_renderer, m_canvas, m_host);
    }
    RunOutcome Start(const Lines& lines) { return Start(StoreOf(lines, m_parameters.frameRate)); }

    kestrum::CPropDb m_db;
};

TEST_F(StartGenerationTest, WritesScriptAndListConfigurationBesideTheList) {
    m_parameters.ImgName = "Img";
    m_parameters.StartIndex = 12;
    Start({kShort, kThree});

    EXPECT_EQ(ReadText(m_dir.File("film.sst")),
              std::string(texts::kDefaultHeader) + "\r\n" +
                  "0012\t00:00:01:00\t00:00:02:00\tImg.12.bmp\r\n"
                  "0013\t00:00:05:00\t00:00:06:00\tImg.13.bmp\r\n");
    EXPECT_TRUE(Exists(m_dir.File("Img.12.bmp")));
    EXPECT_TRUE(Exists(m_dir.File("Img.13.bmp")));

    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(m_dir.File("film.cfg")));
    EXPECT_EQ(saved.ReadPropString("", "ImgName", "", false), "Img");
    EXPECT_EQ(saved.ReadPropInt("", "StartIndex", 0, false), 12);
    EXPECT_EQ(saved.ReadPropString("", "Header1", "", false), texts::kDefaultHeader);
    // The look read back from the database created its keys, and they travel with the list.
    EXPECT_TRUE(saved.IsKey("", "PAL"));
    EXPECT_TRUE(m_host.failures.empty());
}

TEST_F(StartGenerationTest, TheStoredHeaderStartsTheScript) {
    m_db.WritePropString("", "Header1", "My header");
    Start({kShort});
    EXPECT_EQ(ReadText(m_dir.File("film.sst")),
              "My header\r\n0001\t00:00:01:00\t00:00:02:00\tOutputImg.1.bmp\r\n");
}

TEST_F(StartGenerationTest, TheLookIsReadBackFromTheDatabase) {
    RenderSettings stored;
    stored.PAL = false;
    stored.Font.height = -60;
    SaveLookSettings(m_db, stored, "");
    // Fits at the default font, not at the stored one.
    const std::string medium = "5\ta\tb\tA line that fits at the usual size";
    const RunOutcome outcome = Start({medium});

    EXPECT_FALSE(m_settings.PAL);
    EXPECT_EQ(m_canvas.height(), kNtscCanvas.height);
    EXPECT_EQ(BitmapHeight(Image(1)), kNtscCanvas.height);
    EXPECT_EQ(outcome.wrapped, std::vector<std::string>{"OutputImg.1.bmp"});
}

TEST_F(StartGenerationTest, FilesThatCannotBeWrittenAreReportedAndTheRunGoesOn) {
    m_parameters.LastPath = m_dir.File("missing/film.txt");
    Start({kShort});

    std::vector<std::string> failed;
    for (const auto& failure : m_host.failures) {
        failed.push_back(failure.first);
    }
    EXPECT_EQ(failed, (std::vector<std::string>{m_dir.File("missing/film.sst"),
                                                m_dir.File("missing/film.cfg"),
                                                m_dir.File("missing/OutputImg.1.bmp")}));
    EXPECT_EQ(m_host.failures[0].second, std::strerror(ENOENT));
    EXPECT_EQ(m_host.statuses.back(), "Finished! 3 files could not be written.");
}

// The folder takes no file for this scope: root, who may write anywhere, acts as user nobody.
class FolderWithoutWriting {
public:
    explicit FolderWithoutWriting(const std::filesystem::path& folder)
        : m_folder(folder) {
        using std::filesystem::perms;
        std::filesystem::permissions(m_folder, perms::owner_all | perms::group_read |
                                                   perms::group_exec | perms::others_read |
                                                   perms::others_exec);
        if (geteuid() != 0) {
            std::filesystem::permissions(m_folder, perms::owner_write,
                                         std::filesystem::perm_options::remove);
        } else {
            m_asNobody = seteuid(kNobody) == 0;
        }
    }
    ~FolderWithoutWriting() {
        if (m_asNobody) {
            EXPECT_EQ(seteuid(0), 0);
        }
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all);
    }
    FolderWithoutWriting(const FolderWithoutWriting&) = delete;
    FolderWithoutWriting& operator=(const FolderWithoutWriting&) = delete;

    bool Arranged() const { return m_asNobody || geteuid() != 0; }

private:
    static constexpr uid_t kNobody = 65534;
    std::filesystem::path m_folder;
    bool m_asNobody = false;
};

// A run in a folder that takes no file says so before it draws the film, for every output.
TEST_F(StartGenerationTest, AFolderThatTakesNoFileStopsTheRunBeforeItDraws) {
    for (const OutputType type : {OutputType::Dvd1, OutputType::Spumux, OutputType::VobSub}) {
        m_host = FakeHost();
        m_parameters.outputType = type;
        RunOutcome outcome;
        {
            const FolderWithoutWriting locked(m_dir.Path());
            ASSERT_TRUE(locked.Arranged()) << "cannot act as user nobody";
            outcome = Start({kShort, kTwoLines, kThree});
        }
        const std::string status = "Stopped: no file can be written in " + m_dir.Path().string() +
                                   "/ (" + std::strerror(EACCES) + ").";
        EXPECT_EQ(m_host.statuses.back(), status) << static_cast<int>(type);
        EXPECT_EQ(m_host.steps, 0) << static_cast<int>(type);
        EXPECT_GE(outcome.filesNotWritten, type == OutputType::Dvd1 ? 1 : 0);
        EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    }
}

TEST_F(StartGenerationTest, AStoppedRunRewritesTheScriptToListOnlyTheBitmapsWritten) {
    for (const bool testMode : {false, true}) {
        m_host = FakeHost();
        m_host.testMode = testMode;
        m_host.escapeFromStep = 2;
        m_host.answer = false;
        const RunOutcome outcome = Start({kShort, kTwoLines, kThree});

        const std::string firstTwo = std::string(texts::kDefaultHeader) + "\r\n" +
                                     "0001\t00:00:01:00\t00:00:02:00\tOutputImg.1.bmp\r\n"
                                     "0002\t00:00:03:00\t00:00:04:00\tOutputImg.2.bmp\r\n";
        const std::string all = firstTwo + "0003\t00:00:05:00\t00:00:06:00\tOutputImg.3.bmp\r\n";
        // A test run writes no bitmaps: its script stays the one of a whole run.
        EXPECT_EQ(ReadText(m_dir.File("film.sst")), testMode ? all : firstTwo);
        EXPECT_EQ(m_host.statuses.back(), "Generation terminated by user !");
        EXPECT_EQ(m_host.notes, testMode
                                    ? std::vector<std::string>{}
                                    : std::vector<std::string>{
                                          "2 of 3 images generated; the script file lists them."});
        EXPECT_EQ(outcome.imagesWritten, testMode ? 0 : 2);
    }
}

TEST_F(StartGenerationTest, ARefusedImageNameWritesNothing) {
    m_parameters.ImgName = "../esc";
    const RunOutcome outcome = Start({kShort});

    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    EXPECT_EQ(m_host.notes, std::vector<std::string>{"The image name \"../esc\" is refused: it "
                                                     "contains a folder separator."});
    EXPECT_EQ(m_host.steps, 0);
}

// The stored look is the one checked: two layers of one colour would be one of the DVD colours.
// The tool's output is always in the DVD colours, whatever the stored look says of them.
TEST_F(StartGenerationTest, ALookTheDvdColoursCannotShowWritesNothing) {
    for (const OutputType type : {OutputType::Dvd1, OutputType::Spumux}) {
        m_host = FakeHost();
        m_parameters.outputType = type;
        RenderSettings stored;
        stored.DvdColors = type == OutputType::Dvd1;
        stored.TextBkgColor = stored.BkgColor;
        SaveLookSettings(m_db, stored, "");
        const RunOutcome outcome = Start({kShort});

        EXPECT_TRUE(outcome.refused);
        EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
        EXPECT_EQ(m_host.notes, std::vector<std::string>{texts::kDvdColoursClash});
        EXPECT_EQ(m_host.steps, 0);
    }
}

// A DVD holds standard-definition pictures: an HD look is refused by each DVD type.
TEST_F(StartGenerationTest, AnHdCanvasIsRefusedByTheDvdTypes) {
    for (const OutputType type : {OutputType::Dvd1, OutputType::Spumux, OutputType::VobSub}) {
        m_host = FakeHost();
        m_parameters.outputType = type;
        RenderSettings stored;
        stored.Resolution = 1080;
        SaveLookSettings(m_db, stored, "");
        const RunOutcome outcome = Start({kShort});

        EXPECT_TRUE(outcome.refused);
        EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
        EXPECT_EQ(m_host.notes,
                  std::vector<std::string>{std::string(FormatOf(type).label) +
                                           " holds PAL and NTSC pictures only, not 1080p: choose "
                                           "PAL or NTSC, or a Blu-ray output type."});
    }
}

TEST_F(StartGenerationTest, TheDvdColoursDrawFourColoursAndTravelWithTheList) {
    RenderSettings stored;
    stored.DvdColors = true;
    SaveLookSettings(m_db, stored, "");
    const RunOutcome outcome = Start({kShort});

    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(outcome.imagesWritten, 1);
    EXPECT_LE(testsupport::Colours(m_canvas).size(), 4u);
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(m_dir.File("film.cfg")));
    EXPECT_EQ(saved.ReadPropBool("", "DvdColors", 0, false), 1);
}

TEST_F(StartGenerationTest, TheListConfigurationHoldsTheWholeLookEvenWhenTheSettingsLackedSome) {
    Start({kShort});
    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(m_dir.File("film.cfg")));
    EXPECT_EQ(saved.GetBlobSize("", "Font"), DefaultFont().ToBytes().size());
}

TEST_F(StartGenerationTest, ClearsAwayWhatKilledRunsOfTheListLeftAndNothingElse) {
    const std::string dead = ".tmp" + std::to_string(DeadPid()) + "-0";
    const std::string live = ".tmp" + std::to_string(getpid()) + "-0";
    for (const std::string& name : {"film.sst" + dead, "OutputImg.7.bmp" + dead,
                                    "OutputImg.8.bmp" + live, "notes.txt" + dead}) {
        WriteText(m_dir.File(name), "left");
    }
    Start({kShort});

    EXPECT_FALSE(Exists(m_dir.File("film.sst" + dead)));
    EXPECT_FALSE(Exists(m_dir.File("OutputImg.7.bmp" + dead)));
    EXPECT_TRUE(Exists(m_dir.File("OutputImg.8.bmp" + live)));
    EXPECT_TRUE(Exists(m_dir.File("notes.txt" + dead)));
}

TEST_F(StartGenerationTest, NeverWritesOverTheListItself) {
    for (const char* name : {"film.sst", "film.cfg"}) {
        m_host.failures.clear();
        const std::string list = "1\ta\tb\tone\r\n";
        WriteText(m_dir.File(name), list);
        m_parameters.LastPath = m_dir.File(name);
        Start({kShort});

        EXPECT_EQ(ReadText(m_dir.File(name)), list) << name;
        ASSERT_EQ(m_host.failures.size(), 1u) << name;
        EXPECT_EQ(m_host.failures[0].first, m_dir.File(name));
    }
}

// The report speaks of what the output type writes: bitmaps, the tool's images, or subtitles
// where there is no image file at all.
TEST_F(StartGenerationTest, TheReportNamesWhatTheOutputTypeWrites) {
    const std::pair<OutputType, const char*> types[] = {{OutputType::Dvd1, "bitmaps"},
                                                        {OutputType::Spumux, "images"},
                                                        {OutputType::VobSub, "subtitles"}};
    for (const auto& [type, pictures] : types) {
        m_host = FakeHost();
        m_parameters.outputType = type;
        Start({kLong, TallLine(30)});
        EXPECT_EQ(m_host.statuses.back(),
                  "Finished! Additional line breaks in 1 " + std::string(pictures) + " found.");
        ASSERT_EQ(m_host.errorLogs.size(), 1u);
        EXPECT_EQ(m_host.errorLogs[0].first,
                  "Additional line breaks in 1 " + std::string(pictures) + " found:");
        EXPECT_NE(
            m_host.errorLogs[0].second.find("Text cut off in 1 " + std::string(pictures) + ":"),
            std::string::npos);
    }
}

class SpumuxRunTest : public StartGenerationTest {
protected:
    void SetUp() override { m_parameters.outputType = OutputType::Spumux; }

    std::string Png(int number) const {
        return m_dir.File("OutputImg." + std::to_string(number) + ".png");
    }

    // The image names the control file lists, in its order.
    std::vector<std::string> ListedImages() const {
        std::vector<std::string> images;
        const std::string control = ReadText(m_dir.File("film.xml"));
        const std::string key = "image=\"";
        for (std::size_t at = control.find(key); at != std::string::npos;
             at = control.find(key, at + 1)) {
            const std::size_t start = at + key.size();
            images.push_back(control.substr(start, control.find('"', start) - start));
        }
        return images;
    }
};

TEST_F(SpumuxRunTest, WritesPalettePngsAndTheControlFileButNoScript) {
    m_parameters.StartIndex = 12;
    const RunOutcome outcome = Start({kShort, kThree});

    EXPECT_EQ(outcome.imagesWritten, 2);
    EXPECT_FALSE(Exists(m_dir.File("film.sst")));
    EXPECT_FALSE(Exists(m_dir.File("OutputImg.12.bmp")));
    const std::string control = ReadText(m_dir.File("film.xml"));
    EXPECT_TRUE(control.starts_with("<subpictures format=\"PAL\">\n <stream>\n")) << control;
    EXPECT_NE(control.find("<spu start=\"00:00:01.00\" end=\"00:00:02.00\" "
                           "image=\"OutputImg.12.png\""),
              std::string::npos)
        << control;
    EXPECT_NE(control.find("<spu start=\"00:00:05.00\" end=\"00:00:06.00\" "
                           "image=\"OutputImg.13.png\""),
              std::string::npos)
        << control;
    for (const int number : {12, 13}) {
        const QImage png(QString::fromStdString(Png(number)));
        ASSERT_FALSE(png.isNull()) << number;
        EXPECT_EQ(png.format(), QImage::Format_Indexed8);
        EXPECT_LE(testsupport::Colours(png).size(), 4u);
    }
    // The preview showed the subtitle as the subpicture holds it.
    EXPECT_TRUE(m_host.failures.empty());

    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(m_dir.File("film.cfg")));
    EXPECT_EQ(saved.ReadPropInt("", "OutputType", -1, false), 1);
    // The subpicture's four colours are the run's look, and the list keeps it.
    EXPECT_EQ(saved.ReadPropBool("", "DvdColors", 0, false), 1);
}

// The preview shows each subtitle as the subpicture holds it, and the test text after the run.
TEST_F(SpumuxRunTest, ThePreviewShowsTheSubtitleInTheColoursOfItsClasses) {
    ASSERT_TRUE(m_settings.AntiAlias);
    const SpumuxOutput output(m_settings,
                              {m_dir.Path().string() + "/", "OutputImg", m_dir.File("film.xml")},
                              {{1000000, 2000000}});
    const std::unique_ptr<SubtitleEncoder> encoder = output.MakeEncoder(m_renderer);
    encoder->SetCanvasShown(true);
    encoder->Encode(SubtitleOf("Two\r\nlines"), 0, m_canvas);
    const std::array<QRgb, 4> colours = DvdClassColours(m_settings);
    const std::set<QRgb> shown = testsupport::Colours(m_canvas);
    EXPECT_GE(shown.size(), 3u);
    for (const QRgb colour : shown) {
        EXPECT_NE(std::find(colours.begin(), colours.end(), colour), colours.end()) << colour;
    }

    Start({kTwoLines});
    EXPECT_TRUE(CanvasShowsTheTestText());
}

// Unseen, the canvas keeps the drawing's keys, and each subtitle classes only its own rows and
// those of the one before: the pictures must be those of a canvas classed whole every time,
// after taller and shorter subtitles and one without text.
TEST_F(SpumuxRunTest, AnUnseenCanvasGivesThePicturesOfOneClassedWhole) {
    const std::vector<std::string> texts{"Three\r\nlines\r\nhigh", "One", "", "Two\r\nlines",
                                         "Low"};
    std::vector<SubtitleTimes> times;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto second = static_cast<std::int64_t>(i + 1) * 1000000;
        times.push_back({second, second + 500000});
    }
    const SpumuxOutput output(
        m_settings, {m_dir.Path().string() + "/", "OutputImg", m_dir.File("film.xml")}, times);
    const std::unique_ptr<SubtitleEncoder> seen = output.MakeEncoder(m_renderer);
    seen->SetCanvasShown(true);
    const std::unique_ptr<SubtitleEncoder> unseen = output.MakeEncoder(m_renderer);
    QImage unseenCanvas = m_canvas.copy();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const EncodedSubtitle whole = seen->Encode(SubtitleOf(texts[i]), i, m_canvas);
        const EncodedSubtitle rows = unseen->Encode(SubtitleOf(texts[i]), i, unseenCanvas);
        ASSERT_FALSE(whole.bytes.empty()) << i;
        EXPECT_EQ(rows.bytes, whole.bytes) << i;
        EXPECT_EQ(rows.offset, whole.offset) << i;
    }
}

TEST_F(SpumuxRunTest, TimesThatCannotBeReadAtTheRateWriteNothing) {
    const RunOutcome outcome =
        Start({kShort, "2	00:00:03:00	00:00:03:25	Two", kThree});

    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    EXPECT_EQ(m_host.notes,
              std::vector<std::string>{"Subtitle 2, line 2: the time \"00:00:03:25\" cannot be "
                                       "read at 25 fps (frame 25 at 25 fps)"});
    EXPECT_EQ(m_host.steps, 0);
}

TEST_F(SpumuxRunTest, TestModeWritesTheControlFileButNoPicture) {
    m_host.testMode = true;
    const RunOutcome outcome = Start({kShort, kTwoLines});

    EXPECT_EQ(outcome.imagesWritten, 0);
    EXPECT_EQ(ListedImages(), (std::vector<std::string>{"OutputImg.1.png", "OutputImg.2.png"}));
    EXPECT_FALSE(Exists(Png(1)));
    EXPECT_FALSE(Exists(Png(2)));
    EXPECT_TRUE(Exists(m_dir.File("film.cfg")));
}

TEST_F(SpumuxRunTest, AStoppedRunListsOnlyThePicturesWritten) {
    m_host.escapeFromStep = 2;
    m_host.answer = false;
    const RunOutcome outcome = Start({kShort, kTwoLines, kThree});

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(ListedImages(), (std::vector<std::string>{"OutputImg.1.png", "OutputImg.2.png"}));
    EXPECT_FALSE(Exists(Png(3)));
    EXPECT_EQ(m_host.notes,
              std::vector<std::string>{"2 of 3 images generated; the control file lists them."});
}

TEST_F(SpumuxRunTest, APictureThatCannotBeWrittenIsLeftOutOfTheControlFile) {
    std::filesystem::create_directory(m_dir.File("OutputImg.2.png"));
    const RunOutcome outcome = Start({kShort, kTwoLines, kThree});

    EXPECT_EQ(outcome.filesNotWritten, 1);
    EXPECT_EQ(ListedImages(), (std::vector<std::string>{"OutputImg.1.png", "OutputImg.3.png"}));
    ASSERT_EQ(m_host.failures.size(), 1u);
    EXPECT_EQ(m_host.failures[0].first, Png(2));
    EXPECT_EQ(m_host.statuses.back(), "Finished! 1 files could not be written.");
}

// A list called "film.xml" is in memory only: the control file must not replace it.
TEST_F(SpumuxRunTest, TheControlFileNeverReplacesTheList) {
    const std::string list = "1\t00:00:01:00\t00:00:02:00\tOne\r\n";
    WriteText(m_dir.File("film.xml"), list);
    m_parameters.LastPath = m_dir.File("film.xml");
    const RunOutcome outcome = Start({kShort});

    EXPECT_EQ(ReadText(m_dir.File("film.xml")), list);
    EXPECT_EQ(outcome.filesNotWritten, 1);
    ASSERT_EQ(m_host.failures.size(), 1u);
    EXPECT_EQ(m_host.failures[0],
              std::make_pair(m_dir.File("film.xml"), std::string("it is the subtitle list")));
}

class VobSubRunTest : public StartGenerationTest {
protected:
    void SetUp() override { m_parameters.outputType = OutputType::VobSub; }

    // The index's timestamp lines, in its order.
    std::vector<std::string> Timestamps() const {
        std::vector<std::string> lines;
        std::istringstream index(ReadText(m_dir.File("film.idx")));
        for (std::string line; std::getline(index, line);) {
            if (line.starts_with("timestamp: ")) {
                lines.push_back(line.substr(11, 12));
            }
        }
        return lines;
    }
};

TEST_F(VobSubRunTest, WritesTheIndexAndItsPacksButNoScriptNorImages) {
    m_parameters.StartIndex = 12;
    const RunOutcome outcome = Start({kShort, kThree});

    EXPECT_EQ(outcome.imagesWritten, 2);
    EXPECT_EQ(Timestamps(), (std::vector<std::string>{"00:00:01:000", "00:00:05:000"}));
    const std::string index = ReadText(m_dir.File("film.idx"));
    EXPECT_TRUE(index.find("size: 720x576\n") != std::string::npos) << index;
    EXPECT_TRUE(index.find("id: en, index: 0\n") != std::string::npos) << index;
    // Two subtitles of one pack each: the packs are 2048 bytes.
    EXPECT_EQ(std::filesystem::file_size(m_dir.File("film.sub")), 2u * 2048u);
    EXPECT_FALSE(Exists(m_dir.File("film.sst")));
    EXPECT_FALSE(Exists(m_dir.File("OutputImg.12.bmp")));
    EXPECT_TRUE(m_host.failures.empty());
    EXPECT_EQ(m_host.statuses.back(), "Finished! No errors found.");

    kestrum::CPropDb saved;
    ASSERT_TRUE(saved.Load(m_dir.File("film.cfg")));
    EXPECT_EQ(saved.ReadPropInt("", "OutputType", -1, false), 2);
    EXPECT_EQ(saved.ReadPropBool("", "DvdColors", 0, false), 1);
    // The default language is not stored, so that the file stays as it was.
    EXPECT_FALSE(saved.IsKey("", "Language"));
    EXPECT_FALSE(saved.IsKey("", "Header1"));
}

TEST_F(VobSubRunTest, TheStoredLanguageNamesTheIndexAndABadOneWritesNothing) {
    m_db.WritePropString("", "Language", "deu");
    Start({kShort});
    EXPECT_NE(ReadText(m_dir.File("film.idx")).find("id: deu, index: 0\n"), std::string::npos);

    std::filesystem::remove_all(m_dir.Path());
    std::filesystem::create_directory(m_dir.Path());
    m_host = FakeHost();
    m_db.WritePropString("", "Language", "en\nid: xx");
    const RunOutcome outcome = Start({kShort});
    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
    ASSERT_EQ(m_host.notes.size(), 1u);
    EXPECT_NE(m_host.notes[0].find("two or three lowercase letters"), std::string::npos);
}

// A MicroDVD list is called film.sub: the packs would replace it.
TEST_F(VobSubRunTest, AListThePacksWouldReplaceWritesNothing) {
    const std::string list = "{25}{50}One\n";
    WriteText(m_dir.File("film.sub"), list);
    m_parameters.LastPath = m_dir.File("film.sub");
    const RunOutcome outcome = Start({kShort});

    EXPECT_TRUE(outcome.refused);
    EXPECT_EQ(ReadText(m_dir.File("film.sub")), list);
    EXPECT_FALSE(Exists(m_dir.File("film.idx")));
    EXPECT_FALSE(Exists(m_dir.File("film.cfg")));
    EXPECT_EQ(m_host.notes,
              std::vector<std::string>{"The subtitles cannot be written to " +
                                       m_dir.File("film.sub") + ": it is the subtitle list."});
    EXPECT_EQ(m_host.steps, 0);
}

TEST_F(VobSubRunTest, TimesThatCannotBeReadAtTheRateWriteNothing) {
    const RunOutcome outcome = Start({kShort, "2\t00:00:03:00\t00:00:03:25\tTwo"});
    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(VobSubRunTest, TestModeWritesOnlyTheConfigurationFile) {
    m_host.testMode = true;
    const RunOutcome outcome = Start({kShort, kTwoLines});

    EXPECT_EQ(outcome.imagesWritten, 0);
    EXPECT_FALSE(Exists(m_dir.File("film.idx")));
    EXPECT_FALSE(Exists(m_dir.File("film.sub")));
    EXPECT_TRUE(Exists(m_dir.File("film.cfg")));
}

TEST_F(VobSubRunTest, AStoppedRunWritesTheSubtitlesCodedSoFar) {
    m_host.escapeFromStep = 2;
    m_host.answer = false;
    const RunOutcome outcome = Start({kShort, kTwoLines, kThree});

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(Timestamps(), (std::vector<std::string>{"00:00:01:000", "00:00:03:000"}));
    EXPECT_EQ(m_host.notes,
              std::vector<std::string>{"2 of 3 subtitles coded; the index lists them."});
}

// The pair holds no image file: a name that could not name one (a list configuration file
// without ImgName leaves it empty) does not stop the run.
TEST_F(VobSubRunTest, NeedsNoImageName) {
    m_parameters.ImgName = "";
    const RunOutcome outcome = Start({kShort});
    EXPECT_FALSE(outcome.refused);
    EXPECT_TRUE(Exists(m_dir.File("film.idx")));
}

TEST_F(VobSubRunTest, APairThatCannotBeWrittenIsReported) {
    std::filesystem::create_directory(m_dir.File("film.sub"));
    const RunOutcome outcome = Start({kShort});

    EXPECT_EQ(outcome.filesNotWritten, 1);
    ASSERT_EQ(m_host.failures.size(), 1u);
    // The packs come first, and the failure names them, not the index.
    EXPECT_EQ(m_host.failures[0].first, m_dir.File("film.sub"));
    EXPECT_FALSE(Exists(m_dir.File("film.idx")));
}

// There is no image file: the Error Log names the subtitle by its number and start.
TEST_F(VobSubRunTest, ASubtitleThatCannotBeCodedIsNamedByNumberAndStart) {
    const VobSubSettings vobSub{QSize(720, 576), DvdClassColours(m_settings), "en"};
    VobSubOutput output(m_settings, vobSub, {{1000000, 2000000}, {61500000, 62000000}},
                        m_dir.File("film"), 7, false);
    EXPECT_EQ(output.ImageFileName(8), "subtitle 8 (00:01:01.500)");
    EncodedSubtitle uncoded;
    uncoded.reason = "it does not fit in a subpicture";
    EXPECT_EQ(output.Save(uncoded, 1, 8, m_host), RunOutput::Saved::Failed);
    ASSERT_EQ(m_host.failures.size(), 1u);
    EXPECT_EQ(m_host.failures[0].first, "subtitle 8 (00:01:01.500)");

    const EncodedSubtitle one =
        output.MakeEncoder(m_renderer)->Encode(SubtitleOf("One"), 0, m_canvas);
    EXPECT_EQ(output.Save(one, 0, 7, m_host), RunOutput::Saved::Written);
    RunOutcome outcome;
    output.Finish({}, m_host, outcome);
    ASSERT_EQ(outcome.filesNotWritten, 0);
    EXPECT_EQ(Timestamps(), std::vector<std::string>{"00:00:01:000"});
}

} // namespace
} // namespace orvo::test

namespace orvo::test {
namespace {

// Everything a run leaves: its files by name, and what it told its driver in order.
struct RunRecord {
    std::map<std::string, std::string> files;
    std::vector<std::string> statuses;
    std::vector<std::string> wrapped;
    std::vector<std::pair<std::string, std::string>> failures;
    std::vector<std::string> notes;
    int imagesWritten = 0;

    bool operator==(const RunRecord&) const = default;
};

// Subtitles of one to three lines, some wrapping and one empty, a second apart.
SubtitleStore ManySubtitles() {
    const char* const texts[] = {"One", "Two\tlines", "", "Caf\xc3\xa9 au lait",
                                 "This subtitle is much too long to fit on one line of a "
                                 "standard definition picture at all"};
    Lines lines;
    for (int i = 0; i < 23; ++i) {
        char times[40];
        std::snprintf(times, sizeof times, "00:%02d:%02d:00\t00:%02d:%02d:12", i / 60, i % 60,
                      i / 60, i % 60);
        lines.push_back(std::to_string(i + 1) + "\t" + times + "\t" + texts[i % 5]);
    }
    return StoreOf(lines);
}

class JobsTest : public StartGenerationTest, public ::testing::WithParamInterface<OutputType> {
protected:
    // A fresh run of the store on jobs, stopped at stopAtStep when it is given.
    RunRecord RunWith(int jobs, int stopAtStep = INT_MAX) {
        std::filesystem::remove_all(m_dir.Path());
        std::filesystem::create_directories(m_dir.Path());
        m_host = FakeHost();
        m_host.escapeFromStep = stopAtStep;
        m_host.answer = false;
        m_db = kestrum::CPropDb();
        m_parameters.outputType = GetParam();
        m_parameters.jobs = jobs;
        const RunOutcome outcome = Start(ManySubtitles());
        RunRecord record{{},           m_host.statuses,      m_host.wrapped, m_host.failures,
                         m_host.notes, outcome.imagesWritten};
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
            record.files[entry.path().filename().string()] = ReadText(entry.path().string());
        }
        return record;
    }
};

TEST_P(JobsTest, ManyJobsWriteTheFilesAndTheReportOfOne) {
    const RunRecord one = RunWith(1);
    ASSERT_GE(one.files.size(), 3u);
    ASSERT_EQ(one.imagesWritten, 23);
    ASSERT_FALSE(one.wrapped.empty());
    EXPECT_TRUE(RunWith(2) == one);
    EXPECT_TRUE(RunWith(5) == one);
}

// The subtitles drawn ahead of a stop are dropped: the files are those of the first subtitles.
TEST_P(JobsTest, AStopLeavesTheFilesOfTheFirstSubtitles) {
    const RunRecord one = RunWith(1, 9);
    ASSERT_EQ(one.imagesWritten, 9);
    EXPECT_TRUE(RunWith(4, 9) == one);
    if (GetParam() != OutputType::VobSub) {
        const std::string last =
            GetParam() == OutputType::Dvd1 ? "OutputImg.9.bmp" : "OutputImg.9.png";
        EXPECT_EQ(one.files.count(last), 1u);
        EXPECT_EQ(one.files.count(last.substr(0, 10) + "10" + last.substr(11)), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOutputType, JobsTest,
                         ::testing::Values(OutputType::Dvd1, OutputType::Spumux,
                                           OutputType::VobSub));

} // namespace
} // namespace orvo::test
