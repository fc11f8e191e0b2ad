// Whole DVD runs played over black PAL video by ffmpeg: each subtitle must show where the run drew
// it, and nothing outside its time. Where it was drawn comes from a DVD-1 run in the DVD colours:
// whole-frame bitmaps, which skip the crop that both DVD writers share, so a wrong crop shows.
#include "batchtest.h"

#include "common/imageprobes.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace orvo::test {
namespace {

// Centred texts of different widths, one of two lines, one italic, one a sign at the top of the
// picture; subtitle 2 ends between whole seconds.
const std::string kFilm = "1\n00:00:01,000 --> 00:00:02,000\nThe <i>harbour</i> lights\n\n"
                          "2\n00:00:03,000 --> 00:00:04,480\nTwo lines:\nboats & gulls\n\n"
                          "3\n00:00:05,000 --> 00:00:06,000\n{\\an8}Late\n";
const char* const kMiddles[] = {"1.5", "3.74", "5.5"};
// After the first subtitle, and after the last, which no later subtitle replaces.
const char* const kHidden[] = {"2.5", "7"};

// The decoder shows chroma a pixel wide on either side of an edge.
constexpr int kSmear = 2;

std::string Text(const QRect& rect) {
    std::ostringstream text;
    text << rect.width() << "x" << rect.height() << "+" << rect.left() << "+" << rect.top();
    return text.str();
}

::testing::AssertionResult LandsOn(const QRect& shown, const QRect& drawn) {
    const int off = std::max(
        {std::abs(shown.left() - drawn.left()), std::abs(shown.top() - drawn.top()),
         std::abs(shown.right() - drawn.right()), std::abs(shown.bottom() - drawn.bottom())});
    if (!shown.isEmpty() && off <= kSmear) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "shown at " << Text(shown) << ", drawn at " << Text(drawn);
}

class DvdOverlayTest : public BatchTest {
protected:
    void SetUp() override {
        BatchTest::SetUp();
        if (Tool("command -v ffmpeg").status != 0) {
            GTEST_SKIP() << "ffmpeg is not installed: the DVD runs are not played over video "
                            "(scripts/install-deps installs it)";
        }
        WriteText(Work("film.srt"), kFilm);
    }

    // The bounds of each subtitle's ink in the whole-frame bitmaps, where the corner is the
    // background that the subpictures leave transparent.
    std::vector<QRect> Drawn() const {
        EXPECT_EQ(Orvo({"--batch", "film.srt", "--output-type", "dvd-1", "--dvd-colors"}).status,
                  0);
        std::vector<QRect> drawn;
        for (int n = 1; n <= static_cast<int>(std::size(kMiddles)); ++n) {
            const QImage bitmap(
                QString::fromStdString(Work("OutputImg." + std::to_string(n) + ".bmp")));
            EXPECT_FALSE(bitmap.isNull()) << n;
            drawn.push_back(bitmap.isNull()
                                ? QRect()
                                : testsupport::InkBounds(bitmap, QColor(bitmap.pixel(0, 0))));
        }
        return drawn;
    }

    // Where anything but the black video shows in the frame at seconds; empty when nothing does.
    QRect Shown(const std::string& inputsAndFilter, const char* seconds) const {
        const Result played = Tool("ffmpeg -v error -y " + inputsAndFilter + " -ss " + seconds +
                                   " -frames:v 1 frame.png");
        EXPECT_EQ(played.status, 0) << played.err;
        const QImage frame(QString::fromStdString(Work("frame.png")));
        EXPECT_FALSE(frame.isNull()) << seconds;
        return testsupport::Bounds(frame, [](QRgb pixel) {
            return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 64;
        });
    }

    void ExpectShownWhereDrawnAndHiddenAfter(const std::string& inputsAndFilter,
                                             const std::vector<QRect>& drawn) const {
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_TRUE(LandsOn(Shown(inputsAndFilter, kMiddles[i]), drawn[i]))
                << "subtitle " << i + 1 << " at " << kMiddles[i] << " s";
        }
        // The sign stands at the top of the picture as the players show it.
        EXPECT_LT(Shown(inputsAndFilter, kMiddles[2]).bottom(), 576 / 2);
        for (const char* seconds : kHidden) {
            const QRect shown = Shown(inputsAndFilter, seconds);
            EXPECT_TRUE(shown.isEmpty()) << Text(shown) << " shown at " << seconds << " s";
        }
    }
};

// The index's own colour table: a class that pointed at one of its unused black entries, or a
// background that was not transparent, would show.
TEST_F(DvdOverlayTest, AVobSubRunShowsEachSubtitleWhereItWasDrawn) {
    const std::vector<QRect> drawn = Drawn();
    ASSERT_EQ(Orvo({"--batch", "film.srt", "--output-type", "vobsub"}).status, 0);
    ExpectShownWhereDrawnAndHiddenAfter("-f lavfi -i color=black:s=720x576:r=25 -i film.idx "
                                        "-filter_complex '[0:v][1:s]overlay'",
                                        drawn);
}

// A muxed stream has no colour table, which the disc's menus hold: every colour is given as
// white, so that every opaque pixel shows, whichever class it is.
TEST_F(DvdOverlayTest, ASpumuxRunMuxedIntoVideoShowsEachSubtitleWhereItWasDrawn) {
    if (Tool("command -v spumux").status != 0) {
        GTEST_SKIP() << "spumux is not installed: the spumux run is not muxed into video "
                        "(scripts/install-deps installs it)";
    }
    const std::vector<QRect> drawn = Drawn();
    ASSERT_EQ(Orvo({"--batch", "film.srt", "--output-type", "spumux"}).status, 0);
    const Result muxed = Tool("ffmpeg -v error -y -f lavfi -i color=black:s=720x576:r=25 -t 8 "
                              "-target pal-dvd -aspect 4:3 video.mpg && "
                              "spumux -m dvd film.xml < video.mpg > out.mpg");
    ASSERT_EQ(muxed.status, 0) << muxed.err;
    std::string white = "ffffff";
    for (int i = 1; i < 16; ++i) {
        white += ",ffffff";
    }
    ExpectShownWhereDrawnAndHiddenAfter(
        "-palette:s " + white + " -i out.mpg -filter_complex '[0:v][0:s]overlay'", drawn);
}

} // namespace
} // namespace orvo::test
