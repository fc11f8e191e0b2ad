#include "output/spumux/spumuxwriter.h"
#include "spumuxtestsupport.h"

#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdio>
#include <sstream>

// The authoring tool on what the writer wrote, over a few seconds of grey video: it must take
// every subpicture, at its time, and the picture must land where it was drawn.
namespace orvo {
namespace {

using spumuxtest::BandSubpicture;
using spumuxtest::FindProgram;

constexpr std::int64_t kMillisecond = 1000;

struct Shown {
    QRect band;
    std::int64_t startMs;
    std::int64_t endMs;
};

// Times that fall between frames at 29.97, pictures near the top and the bottom of the frame.
const Shown kShown[] = {
    {QRect(100, 400, 200, 50), 1000, 2500},
    {QRect(41, 43, 637, 81), 3040, 4200}, // odd offsets and sizes
    {QRect(300, 300, 360, 60), 5520, 6970},
};

struct Format {
    bool pal;
    const char* target;  // ffmpeg's preset
    const char* size;    // the video's frame
    const char* rate;    // its frame rate
    double frameSeconds; // one frame: the tolerance of a time
};

const Format kFormats[] = {
    {true, "pal-dvd", "720x576", "25", 0.04},
    {false, "ntsc-dvd", "720x480", "30000/1001", 1.001 / 30},
};

class SpumuxClientTest : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override {
        for (const char* name : {"spumux", "ffmpeg", "ffprobe"}) {
            if (FindProgram(name).empty()) {
                GTEST_SKIP() << name << " is not installed: the spumux output is not checked "
                             << "by the authoring tool (scripts/install-deps installs it)";
            }
        }
    }

    testsupport::ProgramOutcome Run(const std::vector<std::string>& argv,
                                    const std::string& outFile = {}) const {
        return testsupport::RunProgram(
            {argv, m_folder.Path().string(), testsupport::EnvironmentWithout({}),
             outFile.empty() ? m_folder.File("stdout") : outFile, m_folder.File("stderr")});
    }

    // Writes the subpictures and muxes them into generated video as out.mpg; the tool's report.
    std::string WriteAndMux() {
        const Format& format = GetParam();
        const testsupport::ProgramOutcome video =
            Run({FindProgram("ffmpeg"), "-v", "error", "-f", "lavfi", "-i",
                 std::string("color=0x404040:s=") + format.size + ":r=" + format.rate, "-t", "8",
                 "-target", format.target, "video.mpg"});
        EXPECT_EQ(video.status, 0) << video.err;

        SpumuxWriter writer({m_folder.Path().string() + "/", "film", m_folder.File("film.xml"),
                             CanvasOf(format.pal), false});
        int number = 1;
        for (const Shown& shown : kShown) {
            EXPECT_FALSE(
                writer.Add(BandSubpicture(format.pal, shown.band, shown.startMs * kMillisecond,
                                          shown.endMs * kMillisecond),
                           number++));
        }
        EXPECT_FALSE(writer.WriteControl());

        // The images are named without a folder: the tool runs in the list's folder.
        const testsupport::ProgramOutcome muxed =
            Run({"/bin/sh", "-c", "exec \"$0\" -m dvd film.xml < video.mpg", FindProgram("spumux")},
                m_folder.File("out.mpg"));
        EXPECT_EQ(muxed.status, 0) << muxed.err;
        return muxed.err;
    }

    std::string Probe(const std::vector<std::string>& arguments) const {
        std::vector<std::string> argv = {FindProgram("ffprobe"), "-v", "error"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        argv.push_back("out.mpg");
        const testsupport::ProgramOutcome probed = Run(argv);
        EXPECT_EQ(probed.status, 0) << probed.err;
        return probed.out;
    }

    testsupport::TempDir m_folder;
};

TEST_P(SpumuxClientTest, TheToolAddsEverySubpictureAtItsTimes) {
    const std::string report = WriteAndMux();
    // The tool exits 0 also when it skips a subpicture: only its report tells.
    EXPECT_NE(report.find("3 subtitles added, 0 subtitles skipped"), std::string::npos) << report;

    // Subpicture times count from the video's first frame.
    const double videoStart = std::stod(
        Probe({"-select_streams", "v", "-show_entries", "stream=start_time", "-of", "csv=p=0"}));
    std::istringstream frames(Probe({"-select_streams", "s", "-show_frames", "-show_entries",
                                     "subtitle=pts,end_display_time", "-of", "csv=p=0"}));
    std::vector<std::pair<double, double>> times;
    for (std::string line; std::getline(frames, line);) {
        long long pts = 0;
        long long endMs = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lld,%lld", &pts, &endMs), 2) << line;
        const double start = static_cast<double>(pts) / 1e6 - videoStart;
        times.emplace_back(start, start + static_cast<double>(endMs) / 1000);
    }
    ASSERT_EQ(times.size(), std::size(kShown));
    for (std::size_t i = 0; i < times.size(); ++i) {
        EXPECT_NEAR(times[i].first, static_cast<double>(kShown[i].startMs) / 1000,
                    GetParam().frameSeconds)
            << "subtitle " << i + 1;
        EXPECT_NEAR(times[i].second, static_cast<double>(kShown[i].endMs) / 1000,
                    GetParam().frameSeconds)
            << "subtitle " << i + 1;
    }
}

// The bounds of what differs from the video's grey. Without the disc's colour table the decoder
// shows the opaque classes as black, grey and white, darkest first: the band is black, so the
// video is not.
QRect InkBounds(const QImage& frame) {
    const int grey = qGray(frame.pixel(0, 0));
    QRect bounds;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (std::abs(qGray(frame.pixel(x, y)) - grey) > 32) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

TEST_P(SpumuxClientTest, TheSubpictureLandsWhereItWasDrawn) {
    WriteAndMux();
    for (const Shown& shown : kShown) {
        const double middle = static_cast<double>(shown.startMs + shown.endMs) / 2000;
        const testsupport::ProgramOutcome overlaid = Run(
            {FindProgram("ffmpeg"), "-v", "error", "-y", "-i", "out.mpg", "-filter_complex",
             "[0:v][0:s]overlay", "-ss", std::to_string(middle), "-frames:v", "1", "frame.png"});
        ASSERT_EQ(overlaid.status, 0) << overlaid.err;
        const QImage frame(QString::fromStdString(m_folder.File("frame.png")));
        ASSERT_FALSE(frame.isNull());
        const QRect ink = InkBounds(frame);
        constexpr int kSmear = 2;
        EXPECT_LE(std::abs(ink.left() - shown.band.left()), kSmear) << middle;
        EXPECT_LE(std::abs(ink.top() - shown.band.top()), kSmear) << middle;
        EXPECT_LE(std::abs(ink.right() - shown.band.right()), kSmear) << middle;
        EXPECT_LE(std::abs(ink.bottom() - shown.band.bottom()), kSmear) << middle;
        // The text stays white inside its band.
        EXPECT_GT(qGray(frame.pixel(shown.band.center())), 200) << middle;
    }
}

INSTANTIATE_TEST_SUITE_P(PalAndNtsc, SpumuxClientTest, ::testing::ValuesIn(kFormats),
                         [](const auto& test) { return test.param.pal ? "Pal" : "Ntsc"; });

} // namespace
} // namespace orvo
