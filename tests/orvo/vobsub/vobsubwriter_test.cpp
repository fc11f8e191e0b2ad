#include "output/vobsub/vobsubwriter.h"

#include "vobsubtestpictures.h"

#include "common/filecontent.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace orvo {
namespace {

using testsupport::ReadText;

TEST(VobSubIndexTest, LinesHaveTheIndexForm) {
    EXPECT_EQ(FormatIndexTime(0), "00:00:00:000");
    EXPECT_EQ(FormatIndexTime(3723004), "01:02:03:004");
    EXPECT_EQ(FormatIndexTime(-40), "00:00:00:000");
    EXPECT_EQ(FormatIndexTime(std::int64_t{100} * 3600000 + 59999), "100:00:59:999");
    EXPECT_EQ(IndexEntry(1500, 0x1000), "timestamp: 00:00:01:500, filepos: 000001000\n");

    const DvdColourSet colours{qRgb(1, 2, 3), qRgb(0xAB, 0xCD, 0xEF), qRgb(255, 255, 255),
                               qRgb(16, 32, 48)};
    EXPECT_EQ(IndexHeader(QSize(720, 480), colours, "de"),
              "# VobSub index file, v7 (do not modify this line!)\n"
              "size: 720x480\n"
              "palette: 010203, abcdef, ffffff, 102030, 000000, 000000, 000000, 000000, "
              "000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\n"
              "langidx: 0\n"
              "id: de, index: 0\n");
}

TEST(VobSubIndexTest, OnlyLetterCodesNameTheLanguage) {
    EXPECT_TRUE(IsIndexLanguage("en"));
    EXPECT_TRUE(IsIndexLanguage("fra"));
    for (const char* code : {"", "e", "engl", "EN", "e1", "en\n", "en,"}) {
        EXPECT_FALSE(IsIndexLanguage(code)) << code;
    }
    const VobSubWriter writer({QSize(720, 576), kTestColours, "en\ntimestamp: 00"});
    EXPECT_FALSE(writer.Problem().empty());
}

TEST(DvdSubpictureTest, BoundsHoldEveryPixelThatIsNotBackground) {
    const QImage picture = BandPicture(QRect(100, 400, 300, 40));
    EXPECT_EQ(SubpictureBounds(picture), QRect(100, 400, 300, 40));

    QImage single = BandPicture(QRect(0, 0, 0, 0));
    EXPECT_EQ(SubpictureBounds(single), QRect(0, 0, 1, 1)) << "background only keeps one pixel";
    single.scanLine(575)[719] = 3;
    single.scanLine(7)[5] = 1;
    EXPECT_EQ(SubpictureBounds(single), QRect(QPoint(5, 7), QPoint(719, 575)));
    single.scanLine(300)[0] = 2;
    EXPECT_EQ(SubpictureBounds(single), QRect(QPoint(0, 7), QPoint(719, 575)));
}

// The unit carries the crop: its display area command (0x05) names the band's corners.
TEST(DvdSubpictureTest, UnitIsCroppedToItsContent) {
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    ASSERT_EQ(encoder.Problem(), "");
    const auto unit = encoder.Encode(BandPicture(QRect(100, 400, 300, 40)), 2000);
    ASSERT_TRUE(unit);
    ASSERT_GT(unit->size(), 4u);
    EXPECT_EQ(static_cast<std::size_t>(((*unit)[0] << 8) | (*unit)[1]), unit->size());
    // Corners x1 x2 y1 y2, twelve bits each.
    const std::vector<std::uint8_t> area{0x05, 0x06, 0x41, 0x8F, 0x19, 0x01, 0xB7};
    EXPECT_NE(std::search(unit->begin(), unit->end(), area.begin(), area.end()), unit->end());
    // Far smaller than the uncropped picture's two bits a pixel.
    EXPECT_LT(unit->size(), 300u * 40 / 4);

    EXPECT_FALSE(encoder.Encode(QImage(720, 480, QImage::Format_Indexed8), 2000));
    EXPECT_FALSE(encoder.Encode(QImage(720, 576, QImage::Format_RGB32), 2000));
    QImage fifthColour = BandPicture(QRect(100, 400, 300, 40));
    fifthColour.scanLine(420)[200] = 4;
    EXPECT_FALSE(encoder.Encode(fifthColour, 2000));
}

// The commands of a unit's first control sequence, each by its code.
std::vector<std::uint8_t> FirstCommands(const std::vector<std::uint8_t>& unit) {
    static constexpr std::array<std::size_t, 7> kArguments{0, 0, 0, 2, 2, 6, 4};
    std::vector<std::uint8_t> commands;
    for (std::size_t at = static_cast<std::size_t>(unit[2] << 8 | unit[3]) + 4;
         at < unit.size() && unit[at] != 0xFF && unit[at] < kArguments.size();
         at += 1 + kArguments[unit[at]]) {
        commands.push_back(unit[at]);
    }
    return commands;
}

// A forced unit shows even where subtitles are off: the forced start takes the start's place.
TEST(DvdSubpictureTest, AForcedUnitStartsWithTheForcedCommand) {
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    const auto plain = encoder.Encode(BandPicture(QRect(100, 400, 300, 40)), 2000);
    const auto forced = encoder.Encode(BandPicture(QRect(100, 400, 300, 40)), 2000, true);
    ASSERT_TRUE(plain && forced);
    const std::vector<std::uint8_t> plainCommands = FirstCommands(*plain);
    const std::vector<std::uint8_t> forcedCommands = FirstCommands(*forced);
    EXPECT_EQ(std::count(plainCommands.begin(), plainCommands.end(), 0x00), 0);
    EXPECT_EQ(std::count(plainCommands.begin(), plainCommands.end(), 0x01), 1);
    EXPECT_EQ(std::count(forcedCommands.begin(), forcedCommands.end(), 0x00), 1);
    EXPECT_EQ(std::count(forcedCommands.begin(), forcedCommands.end(), 0x01), 0);
}

TEST(VobSubWriterTest, IndexListsEveryAddedSubtitleAtItsPack) {
    const testsupport::TempDir dir;
    VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    ASSERT_EQ(writer.Problem(), "");
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(QRect(100, 400, 300, 40), 1000, 3000)));
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(QRect(0, 0, 720, 576), 4000, 6000)));
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(QRect(0, 0, 0, 0), 7000, 8000)));
    EXPECT_FALSE(
        AddCoded(writer, encoder,
                 {QImage(10, 10, QImage::Format_Indexed8), kTestColours, 9000000, 9500000}));
    // The index holds one palette: a picture meant for other colours would show wrong.
    Subpicture recoloured = ShownBand(QRect(100, 400, 300, 40), 9000, 9500);
    recoloured.colours[2] = qRgb(255, 255, 0);
    EXPECT_FALSE(AddCoded(writer, encoder, recoloured));
    EXPECT_EQ(writer.Count(), 3);
    ASSERT_EQ(writer.Write(dir.File("LIST")), std::error_code());

    const std::string index = ReadText(dir.File("LIST.idx"));
    const auto subSize = std::filesystem::file_size(dir.File("LIST.sub"));
    EXPECT_EQ(subSize % 2048, 0u);
    // The full-screen band takes several packs; the empty picture the last one.
    const std::string timestamps = "timestamp: 00:00:01:000, filepos: 000000000\n"
                                   "timestamp: 00:00:04:000, filepos: 000000800\n" +
                                   IndexEntry(7000, subSize - 2048);
    ASSERT_GT(index.size(), timestamps.size());
    EXPECT_EQ(index.substr(index.size() - timestamps.size()), timestamps) << index;
    EXPECT_GT(subSize, 3u * 2048);
}

// A run that stops writes what it has: the index lists only those subtitles, and the write
// replaces the files of an earlier, longer run whole.
TEST(VobSubWriterTest, StoppedRunReplacesTheFilesWithWhatItHas) {
    const testsupport::TempDir dir;
    VobSubWriter longer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(AddCoded(longer, encoder,
                             ShownBand(QRect(10, 10, 700, 500), i * 1000, i * 1000 + 500)));
    }
    ASSERT_EQ(longer.Write(dir.File("LIST")), std::error_code());

    VobSubWriter stopped({QSize(720, 576), kTestColours, "en"});
    ASSERT_TRUE(AddCoded(stopped, encoder, ShownBand(QRect(100, 400, 300, 40), 0, 500)));
    ASSERT_EQ(stopped.Write(dir.File("LIST")), std::error_code());
    const std::string index = ReadText(dir.File("LIST.idx"));
    std::size_t timestamps = 0;
    for (std::size_t at = index.find("timestamp:"); at != std::string::npos;
         at = index.find("timestamp:", at + 1)) {
        ++timestamps;
    }
    EXPECT_EQ(timestamps, 1u);
    EXPECT_EQ(std::filesystem::file_size(dir.File("LIST.sub")), 2048u);
}

TEST(VobSubWriterTest, UnwritableFolderIsReportedAndLeavesNoIndex) {
    const testsupport::TempDir dir;
    VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(QRect(100, 400, 300, 40), 0, 500)));
    std::string failed;
    EXPECT_NE(writer.Write(dir.File("missing/LIST"), &failed), std::error_code());
    EXPECT_EQ(failed, dir.File("missing/LIST.sub"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing/LIST.idx")));

    const VobSubWriter refused({QSize(720, 576), kTestColours, "EN"});
    EXPECT_NE(refused.Write(dir.File("LIST")), std::error_code());
    EXPECT_FALSE(std::filesystem::exists(dir.File("LIST.sub")));
}

// An index that cannot be replaced after the packs were is removed: left, it would show the
// earlier run's subtitles at positions in the new packs. The index here is a link into a file
// system where no temporary file can be made.
TEST(VobSubWriterTest, IndexThatCannotFollowItsPacksIsRemoved) {
    const testsupport::TempDir dir;
    std::filesystem::create_symlink("/proc/version", dir.File("LIST.idx"));
    VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    ASSERT_TRUE(AddCoded(writer, encoder, ShownBand(QRect(100, 400, 300, 40), 0, 500)));
    std::string failed;
    EXPECT_NE(writer.Write(dir.File("LIST"), &failed), std::error_code());
    EXPECT_EQ(failed, dir.File("LIST.idx"));
    EXPECT_EQ(std::filesystem::file_size(dir.File("LIST.sub")), 2048u);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.File("LIST.idx")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("LIST.idx")));
}

// Adds two subtitles under a file size limit that the spool breaks; exits 0 when both are
// refused with the reason.
[[noreturn]] void AddUnderAFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &small);
    VobSubWriter writer({QSize(720, 576), kTestColours, "en"});
    DvdSubpictureEncoder encoder(QSize(720, 576), kTestColours);
    const std::string reason =
        "its packs cannot be kept in a temporary file: " + std::string(std::strerror(EFBIG));
    for (int i = 0; i < 2; ++i) {
        if (AddCoded(writer, encoder, ShownBand(QRect(0, 0, 720, 576), i, i + 500)) ||
            writer.AddFailure() != reason) {
            std::fprintf(stderr, "subtitle %d: \"%s\"\n", i, writer.AddFailure().c_str());
            std::exit(1);
        }
    }
    std::exit(0);
}

// Packs that cannot be kept until the end say why, for that subtitle and every later one.
TEST(VobSubWriterTest, PacksThatCannotBeKeptSayWhyForEveryLaterSubtitle) {
    EXPECT_EXIT(AddUnderAFileSizeLimit(), ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace orvo
