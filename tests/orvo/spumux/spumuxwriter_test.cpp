#include "output/spumux/spumuxwriter.h"
#include "output/xmltext.h"
#include "spumuxtestsupport.h"

#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <QImage>

#include <utility>

namespace orvo {
namespace {

using spumuxtest::BandSubpicture;
using spumuxtest::kColours;

constexpr std::int64_t kSecond = 1000000;

TEST(SpumuxTime, HundredthsAfterADotAndHoursInFront) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "00:00:00.00"},
        {2 * kSecond + 120000, "00:00:02.12"},      // never read as two minutes
        {4999, "00:00:00.00"},                      // below half a hundredth
        {5000, "00:00:00.01"},                      // half a hundredth rounds up
        {59 * kSecond + 995000, "00:01:00.00"},     // the carry reaches the minutes
        {3723 * kSecond + 40000, "01:02:03.04"},    // hour, minute, second, hundredths
        {40040, "00:00:00.04"},                     // a frame at 29.97: 1001/30 ms
        {360000 * kSecond + 10000, "100:00:00.01"}, // hours past 99 keep every digit
        {-kSecond, "00:00:00.00"},                  // before the start is the start
    };
    for (const auto& [microseconds, expected] : cases) {
        EXPECT_EQ(SpumuxTime(microseconds), expected) << microseconds;
    }
}

TEST(EscapeXmlAttribute, EscapesMarkupQuotesAndWhitespaceThatAttributesFold) {
    EXPECT_EQ(EscapeXmlAttribute("film.1.png"), "film.1.png");
    EXPECT_EQ(EscapeXmlAttribute("a&b<c>\"d'e"), "a&amp;b&lt;c&gt;&quot;d&apos;e");
    EXPECT_EQ(EscapeXmlAttribute("&amp;"), "&amp;amp;"); // an entity in a name is text
    EXPECT_EQ(EscapeXmlAttribute("a\tb\nc\rd"), "a&#9;b&#10;c&#13;d");
    EXPECT_EQ(EscapeXmlAttribute("caf\xC3\xA9"), "caf\xC3\xA9"); // UTF-8 passes unchanged
}

TEST(FormatSpumuxControl, ListsOneStreamWithASpuPerEntry) {
    const std::vector<SpumuxEntry> entries = {
        {"film.1.png", QPoint(100, 451), 1 * kSecond, 2 * kSecond + 500000},
        {"a&b.2.png", QPoint(0, 0), 3 * kSecond, 4 * kSecond},
    };
    EXPECT_EQ(FormatSpumuxControl(entries, kPalCanvas),
              "<subpictures format=\"PAL\">\n"
              " <stream>\n"
              "  <spu start=\"00:00:01.00\" end=\"00:00:02.50\" image=\"film.1.png\" "
              "xoffset=\"100\" yoffset=\"451\"/>\n"
              "  <spu start=\"00:00:03.00\" end=\"00:00:04.00\" image=\"a&amp;b.2.png\" "
              "xoffset=\"0\" yoffset=\"0\"/>\n"
              " </stream>\n"
              "</subpictures>\n");
    EXPECT_EQ(FormatSpumuxControl({}, kNtscCanvas),
              "<subpictures format=\"NTSC\">\n <stream>\n </stream>\n</subpictures>\n");
}

QImage DecodePng(const std::vector<std::uint8_t>& png) {
    return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
}

TEST(SubpictureBounds, HoldsEveryPixelButTheBackground) {
    const QRect band(100, 451, 300, 60);
    EXPECT_EQ(SubpictureBounds(BandSubpicture(true, band, 0, kSecond).classes), band);

    // One pixel of any class widens the bounds, at the edges of the frame too.
    Subpicture corners = BandSubpicture(true, band, 0, kSecond);
    corners.classes.setPixel(0, 575, 3);
    corners.classes.setPixel(719, 0, 1);
    EXPECT_EQ(SubpictureBounds(corners.classes), QRect(0, 0, 720, 576));
}

TEST(SubpictureBounds, BackgroundOnlyKeepsOnePixelAndOtherPicturesHaveNone) {
    QImage empty(720, 480, QImage::Format_Indexed8);
    empty.setColorCount(4);
    empty.fill(0);
    EXPECT_EQ(SubpictureBounds(empty), QRect(0, 0, 1, 1));

    Subpicture fifthClass = BandSubpicture(true, QRect(100, 450, 300, 60), 0, kSecond);
    fifthClass.classes.setColorCount(5);
    fifthClass.classes.setPixel(719, 575, 4);
    EXPECT_EQ(SubpictureBounds(fifthClass.classes), std::nullopt);
    EXPECT_EQ(SubpictureBounds(fifthClass.classes.convertToFormat(QImage::Format_RGB32)),
              std::nullopt);
    EXPECT_EQ(SubpictureBounds(QImage()), std::nullopt);

    // A width that is not a multiple of eight: the last pixels are read one by one.
    QImage narrow(13, 2, QImage::Format_Indexed8);
    narrow.setColorCount(256);
    narrow.fill(0);
    narrow.setPixel(12, 1, 2);
    EXPECT_EQ(SubpictureBounds(narrow), QRect(12, 1, 1, 1));
    narrow.setPixel(12, 0, 0xFC);
    EXPECT_EQ(SubpictureBounds(narrow), std::nullopt);
}

TEST(EncodeSubpicturePng, PaletteOfTheFourColoursWithATransparentBackground) {
    const Subpicture subpicture = BandSubpicture(true, QRect(100, 450, 300, 60), 0, kSecond);
    const QRect bounds(90, 440, 320, 80);
    const QImage read = DecodePng(EncodeSubpicturePng(subpicture, bounds));
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.format(), QImage::Format_Indexed8);
    EXPECT_EQ(read.size(), bounds.size());
    const QList<QRgb> expected = {0x00102030, 0xFF000080, 0xFFFFFFFF, 0xFF808080};
    EXPECT_EQ(read.colorTable(), expected);
    // Every pixel keeps its class, so each class keeps its colour.
    for (int y = 0; y < read.height(); ++y) {
        for (int x = 0; x < read.width(); ++x) {
            ASSERT_EQ(read.pixelIndex(x, y),
                      subpicture.classes.pixelIndex(bounds.left() + x, bounds.top() + y))
                << x << "," << y;
        }
    }
    // A box that leaves the picture would read past its rows.
    EXPECT_TRUE(EncodeSubpicturePng(subpicture, QRect(600, 500, 121, 10)).empty());
    EXPECT_TRUE(EncodeSubpicturePng(subpicture, QRect(0, 570, 10, 7)).empty());
}

// Another program must read the picture as a palette PNG of at most four colours whose
// background is see-through.
TEST(EncodeSubpicturePng, ImageMagickReadsATransparentPaletteImage) {
    const std::string identify = spumuxtest::FindProgram("identify");
    if (identify.empty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed: the PNG is not checked by "
                        "another program";
    }
    const testsupport::TempDir folder;
    const Subpicture subpicture = BandSubpicture(false, QRect(50, 380, 400, 70), 0, kSecond);
    testsupport::WriteFile(folder.File("s.png"),
                           EncodeSubpicturePng(subpicture, QRect(0, 0, 720, 480)));
    const testsupport::ProgramOutcome identified = testsupport::RunProgram(
        {{identify, "-format",
          "%m %w %h %[type] %k %[pixel:p{0,0}] %[pixel:p{52,382}] %[pixel:p{57,387}]",
          folder.File("s.png")},
         folder.Path().string(),
         testsupport::EnvironmentWithout({}),
         folder.File("stdout"),
         folder.File("stderr")});
    EXPECT_EQ(identified.status, 0) << identified.err;
    EXPECT_EQ(identified.out,
              "PNG 720 480 PaletteAlpha 4 srgba(0,0,0,0) srgba(0,0,128,1) srgba(128,128,128,1)");
}

class SpumuxWriterTest : public ::testing::Test {
protected:
    SpumuxWriter::Options Options(bool testMode = false) const {
        return {m_folder.Path().string() + "/", "film", m_folder.File("film.xml"), kPalCanvas,
                testMode};
    }
    std::string Control() const { return testsupport::ReadText(m_folder.File("film.xml")); }

    testsupport::TempDir m_folder;
};

TEST_F(SpumuxWriterTest, WritesAPicturePerSubtitleAndAControlFileListingThem) {
    SpumuxWriter writer(Options());
    EXPECT_FALSE(
        writer.Add(BandSubpicture(true, QRect(10, 400, 200, 50), kSecond, 2 * kSecond), 1));
    EXPECT_FALSE(
        writer.Add(BandSubpicture(true, QRect(10, 400, 300, 50), 3 * kSecond, 4 * kSecond), 2));
    EXPECT_FALSE(writer.WriteControl());

    // Each picture is cropped to its band and placed where the band was.
    EXPECT_EQ(DecodePng(testsupport::ReadFile(m_folder.File("film.1.png"))).size(), QSize(200, 50));
    EXPECT_EQ(DecodePng(testsupport::ReadFile(m_folder.File("film.2.png"))).size(), QSize(300, 50));
    EXPECT_EQ(Control(),
              FormatSpumuxControl({{"film.1.png", QPoint(10, 400), kSecond, 2 * kSecond},
                                   {"film.2.png", QPoint(10, 400), 3 * kSecond, 4 * kSecond}},
                                  kPalCanvas));
}

TEST_F(SpumuxWriterTest, TestModeWritesTheControlFileButNoPicture) {
    SpumuxWriter writer(Options(true));
    EXPECT_FALSE(writer.Add(BandSubpicture(true, QRect(10, 400, 200, 50), 0, kSecond), 7));
    EXPECT_FALSE(writer.WriteControl());
    EXPECT_FALSE(testsupport::Exists(m_folder.File("film.7.png")));
    EXPECT_EQ(Control(),
              FormatSpumuxControl({{"film.7.png", QPoint(10, 400), 0, kSecond}}, kPalCanvas));
}

// A picture that cannot be written is not listed, so that the tool never looks for it.
TEST_F(SpumuxWriterTest, APictureNotWrittenIsNotListed) {
    SpumuxWriter writer(Options());
    // Each says what is wrong with it: the run names the reason beside the file.
    const std::error_code ntsc =
        writer.Add(BandSubpicture(false, QRect(10, 400, 200, 50), 0, kSecond), 1);
    EXPECT_EQ(ntsc, std::errc::invalid_argument); // an NTSC frame in a PAL run
    EXPECT_EQ(ntsc.message(), "the picture is not a frame of the four classes");
    Subpicture rgb = BandSubpicture(true, QRect(10, 400, 200, 50), 0, kSecond);
    rgb.classes = rgb.classes.convertToFormat(QImage::Format_RGB32);
    const std::error_code notClasses = writer.Add(rgb, 2);
    EXPECT_EQ(notClasses, std::errc::invalid_argument);
    EXPECT_EQ(notClasses.message(), "the picture is not a frame of the four classes");
    std::filesystem::create_directory(m_folder.File("film.3.png")); // a folder is in the way
    EXPECT_TRUE(writer.Add(BandSubpicture(true, QRect(10, 400, 200, 50), 0, kSecond), 3));
    EXPECT_FALSE(
        writer.Add(BandSubpicture(true, QRect(20, 300, 200, 50), 5 * kSecond, 6 * kSecond), 4));
    EXPECT_FALSE(writer.WriteControl());

    EXPECT_FALSE(testsupport::Exists(m_folder.File("film.1.png")));
    EXPECT_FALSE(testsupport::Exists(m_folder.File("film.2.png")));
    EXPECT_EQ(Control(),
              FormatSpumuxControl({{"film.4.png", QPoint(20, 300), 5 * kSecond, 6 * kSecond}},
                                  kPalCanvas));
}

// The tool drops a subpicture that does not end after its start and still reports it as added:
// the writer refuses it, so that the run can name it.
TEST_F(SpumuxWriterTest, ASubpictureThatDoesNotEndAfterItsStartIsRefused) {
    SpumuxWriter writer(Options());
    const QRect band(10, 400, 200, 50);
    const std::error_code none = writer.Add(BandSubpicture(true, band, kSecond, kSecond), 1);
    EXPECT_EQ(none, std::errc::invalid_argument);
    EXPECT_EQ(none.message(), "it does not end after it starts, to the hundredth of a second");
    EXPECT_EQ(writer.Add(BandSubpicture(true, band, 2 * kSecond, kSecond), 2),
              std::errc::invalid_argument);
    // Four milliseconds apart are one hundredth in the control file.
    EXPECT_EQ(writer.Add(BandSubpicture(true, band, kSecond, kSecond + 4000), 3),
              std::errc::invalid_argument);
    EXPECT_FALSE(writer.Add(BandSubpicture(true, band, 3 * kSecond, 3 * kSecond + 5000), 4));
    EXPECT_FALSE(writer.WriteControl());

    for (const char* refused : {"film.1.png", "film.2.png", "film.3.png"}) {
        EXPECT_FALSE(testsupport::Exists(m_folder.File(refused))) << refused;
    }
    EXPECT_EQ(Control(),
              FormatSpumuxControl(
                  {{"film.4.png", QPoint(10, 400), 3 * kSecond, 3 * kSecond + 5000}}, kPalCanvas));
}

// A stopped run lists what it wrote, replacing a longer list of an earlier run whole.
TEST_F(SpumuxWriterTest, AStoppedRunReplacesTheEarlierListWithItsOwn) {
    testsupport::WriteText(m_folder.File("film.xml"),
                           FormatSpumuxControl({{"film.1.png", QPoint(), 0, kSecond},
                                                {"film.2.png", QPoint(), kSecond, 2 * kSecond}},
                                               kPalCanvas));
    SpumuxWriter writer(Options());
    EXPECT_FALSE(writer.Add(BandSubpicture(true, QRect(10, 400, 200, 50), 0, kSecond / 2), 1));
    EXPECT_FALSE(writer.WriteControl());
    EXPECT_EQ(Control(),
              FormatSpumuxControl({{"film.1.png", QPoint(10, 400), 0, kSecond / 2}}, kPalCanvas));
}

TEST_F(SpumuxWriterTest, AControlFileThatCannotBeWrittenIsReported) {
    SpumuxWriter::Options options = Options(true);
    options.controlPath = m_folder.File("missing/film.xml");
    SpumuxWriter writer(options);
    EXPECT_FALSE(writer.Add(BandSubpicture(true, QRect(10, 400, 200, 50), 0, kSecond), 1));
    EXPECT_EQ(writer.WriteControl(), std::errc::no_such_file_or_directory);
}

} // namespace
} // namespace orvo
