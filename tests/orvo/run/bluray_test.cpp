// Whole Blu-ray runs of the real program: the PGS stream read back by the tests' own decoder and
// played over gray HD video by ffmpeg, the BDN listing read as XML and its pictures by
// ImageMagick. The stream's objects are compared with the listing's pictures, which the same
// drawing made.
#include "batchtest.h"

#include "common/imageprobes.h"
#include "orvo/pgs/pgsdecoder.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace orvo::test {
namespace {

// Centred texts of different widths, one italic, one of two lines, one a sign at the top.
const std::string kFilm = "1\n00:00:01,000 --> 00:00:02,000\nThe <i>harbour</i> lights\n\n"
                          "2\n00:00:03,000 --> 00:00:04,500\nTwo lines:\nboats & gulls\n\n"
                          "3\n00:00:05,000 --> 00:00:06,000\n{\\an8}Late\n";
struct Times {
    int start; // milliseconds
    int end;
};
constexpr std::array<Times, 3> kTimes{{{1000, 2000}, {3000, 4500}, {5000, 6000}}};

// Half a frame of 23.976 in the stream's 90 kHz clock: a time off by a frame is caught.
constexpr double kHalfFrame = 90000.0 * 1001 / 24000 / 2;
constexpr int kHeight = 1080;

const std::vector<std::string> kPgs1080 = {"--output-type", "pgs", "--1080p", "--fps", "23.976"};
const std::vector<std::string> kBdn1080 = {"--output-type", "bdn", "--1080p", "--fps", "23.976"};

std::vector<std::string> Arguments(const char* list, std::vector<std::string> options,
                                   const std::vector<std::string>& more = {}) {
    options.insert(options.begin(), {"--batch", list});
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

double Pts(const pgsread::DisplaySet& set) {
    return set.segments.front().pts;
}

// A palette entry back in RGB with its alpha, as a player of HD video reads it: BT.709 in the
// limited range.
QRgb Colour(const pgsread::PaletteEntry& entry) {
    const double y = (entry.y - 16) / 219.0;
    const double cb = (entry.cb - 128) / 224.0;
    const double cr = (entry.cr - 128) / 224.0;
    const double r = y + 1.5748 * cr;
    const double b = y + 1.8556 * cb;
    const double g = (y - 0.2126 * r - 0.0722 * b) / 0.7152;
    const auto level = [](double value) {
        return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    return qRgba(level(r), level(g), level(b), entry.alpha);
}

// The stream's object against the listing's picture pixel for pixel: the same alpha, and where
// it is not transparent the same colour but for what the palette's YCbCr loses.
::testing::AssertionResult SamePicture(const pgsread::DisplaySet& set, const QImage& png) {
    const pgsread::Object& object = *set.object;
    if (QSize(object.width, object.height) != png.size()) {
        return ::testing::AssertionFailure()
               << "object of " << object.width << "x" << object.height << ", picture of "
               << png.width() << "x" << png.height();
    }
    std::array<std::optional<QRgb>, 256> palette{};
    for (const pgsread::PaletteEntry& entry : set.palette->entries) {
        palette[entry.index] = Colour(entry);
    }
    const QImage picture = png.convertToFormat(QImage::Format_ARGB32);
    constexpr int kTolerance = 3;
    int differing = 0;
    std::string first;
    for (int y = 0; y < object.height; ++y) {
        for (int x = 0; x < object.width; ++x) {
            const std::optional<QRgb> shown =
                palette[object.pixels[static_cast<std::size_t>(y * object.width + x)]];
            const QRgb drawn = picture.pixel(x, y);
            const bool same =
                shown && qAlpha(*shown) == qAlpha(drawn) &&
                (qAlpha(drawn) == 0 || (std::abs(qRed(*shown) - qRed(drawn)) <= kTolerance &&
                                        std::abs(qGreen(*shown) - qGreen(drawn)) <= kTolerance &&
                                        std::abs(qBlue(*shown) - qBlue(drawn)) <= kTolerance));
            if (!same && differing++ == 0) {
                first = std::to_string(x) + "," + std::to_string(y) + ": " +
                        (shown ? QColor::fromRgba(*shown).name(QColor::HexArgb).toStdString()
                               : std::string("no palette entry")) +
                        " for " + QColor::fromRgba(drawn).name(QColor::HexArgb).toStdString();
            }
        }
    }
    if (differing == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << differing << " pixels differ, first " << first;
}

// The BDN listing as a reader sees it: the attributes of each element of the description by
// its name, and of each event with its Graphic's and the file that names.
using Attributes = std::map<std::string, std::string>;
struct Event {
    Attributes attributes;
    std::string graphic;
};
struct Listing {
    std::map<std::string, Attributes> description;
    std::vector<Event> events;
    std::string error;
};

Listing ReadListing(const std::string& path) {
    Listing listing;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        listing.error = path + " cannot be read";
        return listing;
    }
    QXmlStreamReader xml(&file);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement()) {
            continue;
        }
        Attributes attributes;
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            attributes[attribute.name().toString().toStdString()] =
                attribute.value().toString().toStdString();
        }
        const QString name = xml.name().toString();
        if (name == "Event") {
            listing.events.push_back({attributes, {}});
        } else if (name == "Graphic" && !listing.events.empty()) {
            listing.events.back().attributes.merge(attributes);
            listing.events.back().graphic = xml.readElementText().toStdString();
        } else {
            // The second Events, which holds the events, has no attributes to keep.
            listing.description.emplace(name.toStdString(), attributes);
        }
    }
    if (xml.hasError()) {
        listing.error = xml.errorString().toStdString();
    }
    return listing;
}

int Number(const Event& event, const char* name) {
    const auto found = event.attributes.find(name);
    return found == event.attributes.end() ? -1 : std::stoi(found->second);
}

class BluRayRunTest : public BatchTest {
protected:
    void SetUp() override {
        BatchTest::SetUp();
        WriteText(Work("film.srt"), kFilm);
    }

    pgsread::Stream Stream(const char* name) const {
        return pgsread::Decode(testsupport::ReadFile(Work(name)));
    }
};

// In colours that BT.601 and BT.709 give different YCbCr, unlike white and black.
TEST_F(BluRayRunTest, APgsRunShowsEachSubtitleAtItsTimesAsTheListingDrawsIt) {
    const std::vector<std::string> colours = {"--text-color", "yellow", "--text-background-color",
                                              "dark-blue"};
    ASSERT_EQ(Orvo(Arguments("film.srt", kBdn1080, colours)).status, 0);
    const Listing listing = ReadListing(Work("film.xml"));
    ASSERT_EQ(listing.events.size(), kTimes.size()) << listing.error;
    const Result run = Orvo(Arguments("film.srt", kPgs1080, colours));
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    const pgsread::Stream stream = Stream("film.sup");
    ASSERT_EQ(stream.error, "");
    ASSERT_EQ(stream.sets.size(), 2 * kTimes.size());
    EXPECT_EQ(stream.sets[0].composition.width, 1920);
    EXPECT_EQ(stream.sets[0].composition.height, kHeight);
    EXPECT_EQ(stream.sets[0].composition.frameRate, 0x10); // 23.976
    for (std::size_t i = 0; i < kTimes.size(); ++i) {
        SCOPED_TRACE("subtitle " + std::to_string(i + 1));
        const pgsread::DisplaySet& shows = stream.sets[2 * i];
        const pgsread::DisplaySet& clears = stream.sets[2 * i + 1];
        EXPECT_NEAR(Pts(shows), kTimes[i].start * 90, kHalfFrame);
        EXPECT_NEAR(Pts(clears), kTimes[i].end * 90, kHalfFrame);
        EXPECT_TRUE(clears.composition.objects.empty());
        EXPECT_FALSE(clears.object);
        ASSERT_EQ(shows.composition.objects.size(), 1u);
        ASSERT_TRUE(shows.object && shows.palette);
        const pgsread::CompositionObject& placed = shows.composition.objects[0];
        EXPECT_EQ(placed.objectId, shows.object->id);
        const Event& event = listing.events[i];
        EXPECT_EQ(placed.x, Number(event, "X"));
        EXPECT_EQ(placed.y, Number(event, "Y"));
        const QImage png(QString::fromStdString(Work(event.graphic)));
        ASSERT_FALSE(png.isNull()) << event.graphic;
        EXPECT_TRUE(SamePicture(shows, png));
    }
    const pgsread::DisplaySet& sign = stream.sets[4];
    EXPECT_LT(sign.composition.objects[0].y + sign.object->height, kHeight / 2);
}

std::string Text(const QRect& rect) {
    return std::to_string(rect.width()) + "x" + std::to_string(rect.height()) + "+" +
           std::to_string(rect.x()) + "+" + std::to_string(rect.y());
}

// Where the ink shows in a frame: anything not the video's gray.
QRect Shown(const QImage& frame) {
    return testsupport::Bounds(frame, [](QRgb pixel) {
        return std::max({std::abs(qRed(pixel) - 128), std::abs(qGreen(pixel) - 128),
                         std::abs(qBlue(pixel) - 128)}) > 8;
    });
}

TEST_F(BluRayRunTest, FfmpegShowsThePgsRunWhereItPutEachObjectAndNothingAfterTheLast) {
    if (Tool("command -v ffmpeg").status != 0) {
        GTEST_SKIP() << "ffmpeg is not installed: the PGS run is not played over video "
                        "(scripts/install-deps installs it)";
    }
    ASSERT_EQ(Orvo(Arguments("film.srt", kPgs1080)).status, 0);
    const pgsread::Stream stream = Stream("film.sup");
    ASSERT_EQ(stream.sets.size(), 2 * kTimes.size()) << stream.error;
    // One decoding, four frames: 36, 90 and 132 (1.5, 3.75 and 5.5 s) within the subtitles, 168
    // (7 s) after the last. The overlay works in RGB, so that no chroma blurs the edges.
    const Result played =
        Tool("ffmpeg -v error -copyts -f lavfi -i color=gray:s=1920x1080:r=24000/1001:d=8 "
             "-i film.sup -filter_complex \"[0:v][1:s]overlay=format=rgb,"
             "select='eq(n\\,36)+eq(n\\,90)+eq(n\\,132)+eq(n\\,168)'\" "
             "-vsync passthrough frame%d.png");
    ASSERT_EQ(played.status, 0) << played.err;
    for (std::size_t i = 0; i <= kTimes.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        const QImage frame(QString::fromStdString(Work("frame" + std::to_string(i + 1) + ".png")));
        ASSERT_FALSE(frame.isNull());
        const QRect shown = Shown(frame);
        if (i == kTimes.size()) {
            EXPECT_TRUE(shown.isEmpty()) << Text(shown);
            continue;
        }
        const pgsread::DisplaySet& set = stream.sets[2 * i];
        ASSERT_TRUE(set.object && !set.composition.objects.empty());
        const QRect placed(set.composition.objects[0].x, set.composition.objects[0].y,
                           set.object->width, set.object->height);
        // The edges' faintest pixels hardly change the gray.
        constexpr int kEdge = 2;
        EXPECT_LE(
            std::max({std::abs(shown.left() - placed.left()), std::abs(shown.top() - placed.top()),
                      std::abs(shown.right() - placed.right()),
                      std::abs(shown.bottom() - placed.bottom())}),
            kEdge)
            << "shown at " << Text(shown) << ", placed at " << Text(placed);
        if (i == 2) {
            EXPECT_LT(shown.bottom(), kHeight / 2);
        }
    }
}

TEST_F(BluRayRunTest, ForcedMarksEveryShownObjectAndEveryEventAndOnlyThen) {
    for (const bool forced : {false, true}) {
        SCOPED_TRACE(forced ? "--forced" : "not forced");
        const auto more =
            forced ? std::vector<std::string>{"--forced"} : std::vector<std::string>{};
        ASSERT_EQ(Orvo(Arguments("film.srt", kPgs1080, more)).status, 0);
        const pgsread::Stream stream = Stream("film.sup");
        ASSERT_EQ(stream.error, "");
        std::size_t objects = 0;
        for (const pgsread::DisplaySet& set : stream.sets) {
            for (const pgsread::CompositionObject& object : set.composition.objects) {
                ++objects;
                EXPECT_EQ(object.flags & 0x40, forced ? 0x40 : 0);
            }
        }
        EXPECT_EQ(objects, kTimes.size());
    }
    ASSERT_EQ(Orvo(Arguments("film.srt", kBdn1080, {"--forced"})).status, 0);
    const Listing listing = ReadListing(Work("film.xml"));
    ASSERT_EQ(listing.events.size(), kTimes.size()) << listing.error;
    for (const Event& event : listing.events) {
        EXPECT_EQ(event.attributes.at("Forced"), "True") << event.graphic;
    }
}

TEST_F(BluRayRunTest, OverlappingSubtitlesAreSaidAndCutAndAListOutOfOrderIsRefused) {
    WriteText(Work("over.srt"), "1\n00:00:01,000 --> 00:00:03,000\nFirst\n\n"
                                "2\n00:00:02,000 --> 00:00:04,000\nSecond\n");
    const Result cut = Orvo(Arguments("over.srt", kPgs1080));
    EXPECT_EQ(cut.status, 3);
    // The timecodes' own check names the overlap, and the stream's cut does not say it again.
    EXPECT_NE(cut.out.find("Timecode warnings in 1 subtitles:\nsubtitle 2, line 6: starts at "
                           "00:00:02:00, before subtitle 1 ends\n"),
              std::string::npos)
        << cut.out;
    const pgsread::Stream stream = Stream("over.sup");
    ASSERT_EQ(stream.sets.size(), 4u) << stream.error;
    EXPECT_TRUE(stream.sets[1].composition.objects.empty());
    EXPECT_EQ(stream.sets[2].composition.objects.size(), 1u);
    EXPECT_NEAR(Pts(stream.sets[1]), 2000 * 90, kHalfFrame);
    EXPECT_EQ(Pts(stream.sets[1]), Pts(stream.sets[2]));
    EXPECT_NEAR(Pts(stream.sets[3]), 4000 * 90, kHalfFrame);

    // An SRT file is sorted as it is read; a tab-separated list keeps its order.
    WriteText(Work("order.txt"),
              "1\t00:00:03:00\t00:00:04:00\tFirst\r\n2\t00:00:01:00\t00:00:02:00\tSecond\r\n");
    const Result refused = Orvo(Arguments("order.txt", kPgs1080));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Subtitle 2, line 2 starts at 00:00:01.001, not after subtitle 1, "
                               "line 1: a Blu-ray stream shows the subtitles in the order of "
                               "their times, so sort the list by them first.\n"),
              std::string::npos)
        << refused.out;
    EXPECT_FALSE(Exists(Work("order.sup")));
}

TEST_F(BluRayRunTest, PicturesAndRatesThatNoDiscPlaysAreRefusedBeforeAnythingIsWritten) {
    const std::string k1080At50 = "A Blu-ray disc holds no 1080p video at 50 fps: it plays 1080p "
                                  "at 23.976, 24, 25 or 29.97 fps.\n";
    const std::string k720At25 = "A Blu-ray disc holds no 720p video at 25 fps: it plays 720p at "
                                 "23.976, 24, 50 or 59.94 fps.\n";
    const struct {
        const char* type;
        const char* picture;
        const char* rate;
        std::string said;
    } kRefused[] = {
        {"pgs", "--1080p", "50", k1080At50},
        {"pgs", "--720p", "25", k720At25},
        {"bdn", "--1080p", "50", k1080At50},
        {"bdn", "--720p", "25", k720At25},
        {"dvd-1", "--1080p", "25",
         "DVD-1 holds PAL and NTSC pictures only, not 1080p: choose PAL or NTSC, or a Blu-ray "
         "output type.\n"},
    };
    for (const auto& refused : kRefused) {
        SCOPED_TRACE(std::string(refused.type) + " " + refused.picture + " " + refused.rate);
        const Result result = Orvo(Arguments(
            "film.srt", {"--output-type", refused.type, refused.picture, "--fps", refused.rate}));
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.out.find(refused.said), std::string::npos) << result.out;
        EXPECT_EQ(WorkFiles(), std::vector<std::string>{"film.srt"});
    }
}

// 00:01:10 is frame 2098 of 29.97: counted at 30 frames a second without skipping it is
// 00:01:09:28, where a drop-frame timecode (or the clock) says 00:01:10:00.
TEST_F(BluRayRunTest, ABdnRunListsEachPictureWithItsFramesCountedWithoutDropping) {
    WriteText(Work("film.srt"), kFilm + "\n4\n00:01:10,000 --> 00:01:12,000\nA minute on\n");
    const Result run = Orvo(Arguments("film.srt", kBdn1080, {"--fps", "29.97", "--lang", "fra"}));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const Listing listing = ReadListing(Work("film.xml"));
    ASSERT_EQ(listing.error, "");
    const std::map<std::string, Attributes> description{
        {"BDN", {{"Version", "0.93"}}},
        {"Description", {}},
        {"Name", {{"Title", "film"}, {"Content", ""}}},
        {"Language", {{"Code", "fra"}}},
        {"Format", {{"VideoFormat", "1080p"}, {"FrameRate", "29.97"}, {"DropFrame", "False"}}},
        {"Events",
         {{"Type", "Graphic"},
          {"FirstEventInTC", "00:00:01:00"},
          {"LastEventOutTC", "00:01:11:28"},
          {"NumberofEvents", "4"}}},
    };
    EXPECT_EQ(listing.description, description);

    const std::array<std::array<std::string, 2>, 4> timecodes{{{"00:00:01:00", "00:00:02:00"},
                                                               {"00:00:03:00", "00:00:04:15"},
                                                               {"00:00:05:00", "00:00:06:00"},
                                                               {"00:01:09:28", "00:01:11:28"}}};
    ASSERT_EQ(listing.events.size(), timecodes.size());
    std::string pictures;
    std::string expectedTypes;
    for (std::size_t i = 0; i < timecodes.size(); ++i) {
        const Event& event = listing.events[i];
        SCOPED_TRACE(event.graphic);
        EXPECT_EQ(event.graphic, "film." + std::to_string(i + 1) + ".png");
        EXPECT_EQ(event.attributes.size(), 7u);
        EXPECT_EQ(event.attributes.at("InTC"), timecodes[i][0]);
        EXPECT_EQ(event.attributes.at("OutTC"), timecodes[i][1]);
        EXPECT_EQ(event.attributes.at("Forced"), "False");
        const QRect area(Number(event, "X"), Number(event, "Y"), Number(event, "Width"),
                         Number(event, "Height"));
        EXPECT_TRUE(QRect(0, 0, 1920, kHeight).contains(area));
        // Centred, and the sign at the top, the others at the bottom.
        EXPECT_LE(std::abs(area.x() + area.width() / 2 - 1920 / 2), 1);
        EXPECT_EQ(area.bottom() < kHeight / 2, i == 2);
        EXPECT_EQ(area.top() > kHeight / 2, i != 2);
        const QImage png(QString::fromStdString(Work(event.graphic)));
        ASSERT_FALSE(png.isNull());
        EXPECT_EQ(png.size(), area.size());
        pictures += " " + event.graphic;
        expectedTypes += "PaletteAlpha " + std::to_string(area.width()) + "x" +
                         std::to_string(area.height()) + "\n";
    }
    const Result identified = Tool("identify -format '%[type] %wx%h\\n'" + pictures);
    if (identified.status == 127) {
        GTEST_SKIP() << "ImageMagick's identify is not installed: the pictures are not read by "
                        "another program";
    }
    ASSERT_EQ(identified.status, 0) << identified.err;
    EXPECT_EQ(identified.out, expectedTypes);
}

// A two-letter code, as a VobSub run of the list stores it, is listed in the three letters that
// the listing's readers expect.
TEST_F(BluRayRunTest, ATwoLetterLanguageIsListedInThree) {
    WriteText(Work("film.srt"), kFilm);
    const Result run = Orvo(Arguments("film.srt", kBdn1080, {"--lang", "de"}));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(ReadListing(Work("film.xml")).description.at("Language"),
              (Attributes{{"Code", "deu"}}));
}

} // namespace
} // namespace orvo::test
