#include "output/vobsub/vobsubwriter.h"

#include "vobsubtestpictures.h"

#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/toolfolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace orvo {
namespace {

// Three subtitles at PAL frame boundaries, each band somewhere else on the screen.
struct Shown {
    QRect band;
    std::int64_t startMs;
    std::int64_t endMs;
};
const std::vector<Shown> kShown{
    {QRect(100, 480, 300, 40), 1000, 2480},
    {QRect(200, 60, 320, 48), 3040, 4000},
    {QRect(40, 300, 640, 36), 5520, 7000},
};

class VobSubClientsTest : public testsupport::ToolFolderTest {
protected:
    void SetUp() override {
        VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
        DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
        for (const Shown& shown : kShown) {
            ASSERT_TRUE(
                AddCoded(writer, encoder, ShownBand(shown.band, shown.startMs, shown.endMs)));
        }
        ASSERT_EQ(writer.Write(m_dir.File("LIST")), std::error_code());
    }
};

TEST_F(VobSubClientsTest, ProbeFindsOnePacketPerSubtitleAtItsTime) {
    const std::string ffprobe = Tool("ffprobe");
    if (ffprobe.empty()) {
        GTEST_SKIP() << "ffprobe is not installed: the index is not read by another program";
    }
    const auto stream = Run({ffprobe, "-v", "error", "-show_entries", "stream=codec_name", "-of",
                             "csv=p=0", "LIST.idx"});
    ASSERT_EQ(stream.status, 0) << stream.err;
    EXPECT_EQ(testsupport::NonEmptyLines(stream.out), std::vector<std::string>{"dvd_subtitle"});

    const auto packets = Run(
        {ffprobe, "-v", "error", "-show_entries", "packet=pts_time", "-of", "csv=p=0", "LIST.idx"});
    ASSERT_EQ(packets.status, 0) << packets.err;
    const std::vector<std::string> times = testsupport::NonEmptyLines(packets.out);
    ASSERT_EQ(times.size(), kShown.size()) << packets.out;
    for (std::size_t i = 0; i < times.size(); ++i) {
        // Within half a PAL frame.
        EXPECT_NEAR(std::stod(times[i]) * 1000, static_cast<double>(kShown[i].startMs), 20)
            << times[i];
    }

    // The decoded units hide their pictures at the end times, within half a frame too.
    const auto shown = Run({ffprobe, "-v", "error", "-show_entries", "subtitle=end_display_time",
                            "-of", "csv=p=0", "LIST.idx"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const std::vector<std::string> durations = testsupport::NonEmptyLines(shown.out);
    ASSERT_EQ(durations.size(), kShown.size()) << shown.out;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        EXPECT_NEAR(std::stod(durations[i]),
                    static_cast<double>(kShown[i].endMs - kShown[i].startMs), 20)
            << durations[i];
    }
}

// A unit says how long it shows in 16 bits; a longer subtitle stays up as long as that allows
// instead of wrapping around to a short time.
TEST_F(VobSubClientsTest, LongSubtitleStaysUpAsLongAsAUnitCanSay) {
    const std::string ffprobe = Tool("ffprobe");
    if (ffprobe.empty()) {
        GTEST_SKIP() << "ffprobe is not installed: the index is not read by another program";
    }
    VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(kShown[0].band, 1000, 1000 + 20 * 60 * 1000)));
    ASSERT_EQ(writer.Write(m_dir.File("LONG")), std::error_code());
    const auto shown = Run({ffprobe, "-v", "error", "-show_entries", "subtitle=end_display_time",
                            "-of", "csv=p=0", "LONG.idx"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    ASSERT_EQ(testsupport::NonEmptyLines(shown.out).size(), 1u) << shown.out;
    EXPECT_NEAR(std::stod(testsupport::NonEmptyLines(shown.out)[0]), 745642, 20);
}

TEST_F(VobSubClientsTest, MatroskaMuxerAcceptsTheIndex) {
    const std::string mkvmerge = Tool("mkvmerge");
    if (mkvmerge.empty()) {
        GTEST_SKIP() << "mkvmerge is not installed: the index is not muxed by another program";
    }
    const auto merged = Run({mkvmerge, "-o", "film.mks", "LIST.idx"});
    // 1 is success with warnings, 2 an error.
    EXPECT_EQ(merged.status, 0) << merged.out << merged.err;
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("film.mks")));
}

// Decodes the second subtitle over a black picture and reads back where its pixels landed. The
// overlay works in RGB, so that no chroma subsampling blurs the one-pixel shade column.
TEST_F(VobSubClientsTest, DecodedSubtitleLandsWhereItWasDrawn) {
    const std::string ffmpeg = Tool("ffmpeg");
    if (ffmpeg.empty()) {
        GTEST_SKIP() << "ffmpeg is not installed: the subpictures are not decoded by another "
                        "program";
    }
    const auto frameAt = [&](const char* seconds, const char* name) {
        const auto decoded =
            Run({ffmpeg, "-v", "error", "-f", "lavfi", "-i", "color=black:s=720x576:r=25:d=8", "-i",
                 "LIST.idx", "-filter_complex", "[0:v][1:s]overlay=format=rgb", "-ss", seconds,
                 "-frames:v", "1", name});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        return QImage(QString::fromStdString(m_dir.File(name)));
    };
    const QImage frame = frameAt("3.5", "frame.png");
    ASSERT_FALSE(frame.isNull());

    const QRect band = kShown[1].band;
    const QRect text = band.adjusted(4, 4, -5, -4);
    auto near = [](QRgb pixel, QRgb colour) {
        return std::abs(qRed(pixel) - qRed(colour)) <= 8 &&
               std::abs(qGreen(pixel) - qGreen(colour)) <= 8 &&
               std::abs(qBlue(pixel) - qBlue(colour)) <= 8;
    };
    EXPECT_TRUE(near(frame.pixel(text.center()), kTestColours[2]));
    EXPECT_TRUE(near(frame.pixel(text.left(), text.top()), kTestColours[2]));
    EXPECT_TRUE(near(frame.pixel(text.right(), text.center().y()), kTestColours[3]));
    EXPECT_TRUE(near(frame.pixel(band.left(), band.top()), kTestColours[1]));
    EXPECT_TRUE(near(frame.pixel(band.right(), band.bottom()), kTestColours[1]));
    EXPECT_TRUE(near(frame.pixel(band.left() - 1, band.top()), qRgb(0, 0, 0)));
    EXPECT_TRUE(near(frame.pixel(band.right() + 1, band.bottom() + 1), qRgb(0, 0, 0)));
    // Between the first subtitle's end and the second's start nothing is shown.
    const QImage gap = frameAt("2.8", "gap.png");
    ASSERT_FALSE(gap.isNull());
    EXPECT_TRUE(near(gap.pixel(kShown[0].band.center()), qRgb(0, 0, 0)));
    EXPECT_TRUE(near(gap.pixel(band.center()), qRgb(0, 0, 0)));
}

} // namespace
} // namespace orvo
