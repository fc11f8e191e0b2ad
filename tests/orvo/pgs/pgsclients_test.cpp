#include "output/pgs/pgsstream.h"

#include "pgstestpictures.h"

#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/samebytes.h"
#include "common/toolfolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

namespace orvo {
namespace {

// Three subtitles at 23.976 frame boundaries (every 24th frame falls on a whole millisecond),
// each with an opaque block at the left in colour index 0, a transparent middle, and a block
// at the right.
struct Shown {
    QRect area;
    QRgb left;
    QRgb right;
    std::int64_t start; // 90 kHz ticks
    std::int64_t end;
};
const std::vector<Shown> kShown{
    {QRect(660, 900, 600, 120), qRgb(230, 200, 30), qRgb(40, 160, 60), 90090, 180180},
    {QRect(100, 80, 480, 90), qRgb(200, 40, 40), qRgb(50, 60, 200), 270270, 360360},
    {QRect(1200, 500, 360, 200), qRgb(240, 240, 240), qRgb(20, 20, 20), 450450, 630630},
};

QImage ShownPicture(const Shown& shown) {
    const int third = shown.area.width() / 3;
    QImage picture = IndexedPicture(shown.area.size(), {shown.left, shown.right}, 0);
    FillIndex(picture, QRect(third, 0, third, shown.area.height()), kPgsTransparent);
    FillIndex(picture, QRect(2 * third, 0, shown.area.width() - 2 * third, shown.area.height()), 1);
    return picture;
}

::testing::AssertionResult Near(QRgb pixel, QRgb colour) {
    // The palette's YCbCr loses a little of the colour, and the player's conversion back more.
    constexpr int kTolerance = 3;
    if (std::abs(qRed(pixel) - qRed(colour)) <= kTolerance &&
        std::abs(qGreen(pixel) - qGreen(colour)) <= kTolerance &&
        std::abs(qBlue(pixel) - qBlue(colour)) <= kTolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "pixel " << qRed(pixel) << "," << qGreen(pixel) << "," << qBlue(pixel) << " for "
           << qRed(colour) << "," << qGreen(colour) << "," << qBlue(colour);
}

constexpr QRgb kGray = qRgb(128, 128, 128);

class PgsClientsTest : public testsupport::ToolFolderTest {
protected:
    void SetUp() override {
        const auto rate = PgsFrameRateCode(*FindFrameRate("23.976"));
        ASSERT_TRUE(rate);
        WriteStream("LIST.sup", QSize(1920, 1080), *rate, kShown);
    }

    void WriteStream(const char* name, QSize video, std::uint8_t rate,
                     const std::vector<Shown>& subtitles) {
        PgsStreamWriter writer(video, rate);
        for (const Shown& shown : subtitles) {
            const auto object =
                CodePgsObject(ShownPicture(shown), shown.area.topLeft(), video.height());
            ASSERT_TRUE(object);
            ASSERT_TRUE(writer.Add(*object, shown.start, shown.end, false));
        }
        m_written = writer.Bytes();
        testsupport::WriteFile(m_dir.File(name), m_written);
    }

    // The stream laid over a gray video at a moment of the clock the stream counts in. The
    // overlay works in RGB, so that no chroma subsampling blurs the edges of the blocks.
    QImage FrameAt(const std::string& ffmpeg, const char* stream, const char* video,
                   const char* seconds) const {
        const std::string name = std::string("frame-") + seconds + ".png";
        const auto decoded = Run({ffmpeg, "-v", "error", "-copyts", "-f", "lavfi", "-i", video,
                                  "-i", stream, "-filter_complex", "[0:v][1:s]overlay=format=rgb",
                                  "-ss", seconds, "-frames:v", "1", name});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        return QImage(QString::fromStdString(m_dir.File(name)));
    }

    std::vector<std::uint8_t> m_written;
};

// The left block in the subtitle's colour index 0 and the right one in index 1, to the edge
// pixel; the transparent middle and all around it the video's gray.
void ExpectShown(const QImage& frame, const Shown& shown) {
    const QRect area = shown.area;
    const int third = area.width() / 3;
    EXPECT_TRUE(Near(frame.pixel(area.topLeft()), shown.left));
    EXPECT_TRUE(Near(frame.pixel(area.left() + third - 1, area.bottom()), shown.left));
    EXPECT_TRUE(Near(frame.pixel(area.center()), kGray));
    EXPECT_TRUE(Near(frame.pixel(area.left() + 2 * third, area.top()), shown.right));
    EXPECT_TRUE(Near(frame.pixel(area.bottomRight()), shown.right));
    EXPECT_TRUE(Near(frame.pixel(area.left() - 1, area.top()), kGray));
    EXPECT_TRUE(Near(frame.pixel(area.left(), area.top() - 1), kGray));
    EXPECT_TRUE(Near(frame.pixel(area.right() + 1, area.bottom()), kGray));
    EXPECT_TRUE(Near(frame.pixel(area.right(), area.bottom() + 1), kGray));
}

void ExpectNotShown(const QImage& frame, const Shown& shown) {
    EXPECT_TRUE(Near(frame.pixel(shown.area.topLeft()), kGray));
    EXPECT_TRUE(Near(frame.pixel(shown.area.bottomRight()), kGray));
}

TEST_F(PgsClientsTest, ProbeFindsAFrameAtEachStartAndEachEnd) {
    const std::string ffprobe = Tool("ffprobe");
    if (ffprobe.empty()) {
        GTEST_SKIP() << "ffprobe is not installed: the stream is not read by another program";
    }
    const auto stream = Run({ffprobe, "-v", "error", "-show_entries", "stream=codec_name", "-of",
                             "csv=p=0", "LIST.sup"});
    ASSERT_EQ(stream.status, 0) << stream.err;
    EXPECT_EQ(testsupport::NonEmptyLines(stream.out),
              std::vector<std::string>{"hdmv_pgs_subtitle"});

    // A subtitle comes out as a frame with one picture at its start and one without at its end.
    const auto frames = Run({ffprobe, "-v", "error", "-show_frames", "-show_entries",
                             "subtitle=pts_time,num_rects", "-of", "csv=p=0", "LIST.sup"});
    ASSERT_EQ(frames.status, 0) << frames.err;
    const std::vector<std::string> lines = testsupport::NonEmptyLines(frames.out);
    ASSERT_EQ(lines.size(), 2 * kShown.size()) << frames.out;
    const double halfFrame = 1001.0 / 48000;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Shown& shown = kShown[i / 2];
        const bool start = i % 2 == 0;
        const std::size_t comma = lines[i].find(',');
        ASSERT_NE(comma, std::string::npos) << lines[i];
        EXPECT_NEAR(std::stod(lines[i].substr(0, comma)),
                    static_cast<double>(start ? shown.start : shown.end) / 90000, halfFrame)
            << lines[i];
        EXPECT_EQ(lines[i].substr(comma + 1), start ? "1" : "0") << lines[i];
    }
}

TEST_F(PgsClientsTest, PlayerShowsEachSubtitleWhereAndWhileItStands) {
    const std::string ffmpeg = Tool("ffmpeg");
    if (ffmpeg.empty()) {
        GTEST_SKIP() << "ffmpeg is not installed: the stream is not decoded by another program";
    }
    const char* video = "color=gray:s=1920x1080:r=24000/1001:d=8";
    const char* moments[] = {"1.5", "3.5", "6"};
    for (std::size_t i = 0; i < kShown.size(); ++i) {
        const QImage frame = FrameAt(ffmpeg, "LIST.sup", video, moments[i]);
        ASSERT_FALSE(frame.isNull()) << moments[i];
        for (std::size_t other = 0; other < kShown.size(); ++other) {
            SCOPED_TRACE(std::string(moments[i]) + " s, subtitle " + std::to_string(other));
            if (other == i) {
                ExpectShown(frame, kShown[other]);
            } else {
                ExpectNotShown(frame, kShown[other]);
            }
        }
    }
    // Between the first subtitle's end and the second's start nothing is shown.
    const QImage gap = FrameAt(ffmpeg, "LIST.sup", video, "2.5");
    ASSERT_FALSE(gap.isNull());
    for (const Shown& shown : kShown) {
        ExpectNotShown(gap, shown);
    }
}

// Standard-definition players read the palette as BT.601.
TEST_F(PgsClientsTest, PlayerReadsThePaletteOfAPalVideo) {
    const std::string ffmpeg = Tool("ffmpeg");
    if (ffmpeg.empty()) {
        GTEST_SKIP() << "ffmpeg is not installed: the stream is not decoded by another program";
    }
    const Shown shown{QRect(60, 400, 600, 100), qRgb(200, 40, 40), qRgb(50, 60, 200), 90000,
                      180000};
    WriteStream("PAL.sup", QSize(720, 576), *PgsFrameRateCode(*FindFrameRate("25")), {shown});
    const QImage frame = FrameAt(ffmpeg, "PAL.sup", "color=gray:s=720x576:r=25:d=3", "1.5");
    ASSERT_FALSE(frame.isNull());
    ExpectShown(frame, shown);
}

// The muxer keeps each display set as one block at its composition's time, and the extractor
// writes every segment of a block with that time: the segments that the writer put a lead
// before the composition come back without it, all else byte for byte. The times are whole
// milliseconds, which is what a block's time holds at the muxer's default scale.
std::vector<std::uint8_t> WithCompositionTimes(std::vector<std::uint8_t> bytes) {
    std::array<std::uint8_t, 4> time{};
    for (std::size_t at = 0; at + 13 <= bytes.size();
         at += 13 + (bytes[at + 11] << 8 | bytes[at + 12])) {
        if (bytes[at + 10] == 0x16) {
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 2, 4, time.begin());
        }
        std::copy(time.begin(), time.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 2);
    }
    return bytes;
}

TEST_F(PgsClientsTest, MatroskaCarriesTheStreamAndGivesItBack) {
    const std::string mkvmerge = Tool("mkvmerge");
    const std::string mkvextract = Tool("mkvextract");
    if (mkvmerge.empty() || mkvextract.empty()) {
        GTEST_SKIP() << "mkvmerge or mkvextract is not installed: the stream is not muxed by "
                        "another program";
    }
    const auto merged = Run({mkvmerge, "-o", "film.mks", "LIST.sup"});
    // 1 is success with warnings, 2 an error.
    ASSERT_EQ(merged.status, 0) << merged.out << merged.err;
    const auto identified = Run({mkvmerge, "-J", "film.mks"});
    ASSERT_EQ(identified.status, 0) << identified.err;
    const QJsonArray tracks =
        QJsonDocument::fromJson(QByteArray::fromStdString(identified.out))["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 1) << identified.out;
    EXPECT_EQ(tracks[0]["codec"].toString(), "HDMV PGS");
    EXPECT_EQ(tracks[0]["properties"]["codec_id"].toString(), "S_HDMV/PGS");

    const auto extracted = Run({mkvextract, "film.mks", "tracks", "0:back.sup"});
    ASSERT_EQ(extracted.status, 0) << extracted.out << extracted.err;
    EXPECT_TRUE(testsupport::SameBytes(testsupport::ReadFile(m_dir.File("back.sup")),
                                       WithCompositionTimes(m_written)));
}

} // namespace
} // namespace orvo
