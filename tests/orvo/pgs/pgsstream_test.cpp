#include "output/pgs/pgsstream.h"

#include "pgsdecoder.h"
#include "pgstestpictures.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace orvo {
namespace {

const std::vector<QRgb> kColours{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 255)};

PgsObject Coded(QSize size, QPoint position) {
    QImage picture = IndexedPicture(size, kColours, 1);
    FillIndex(picture, QRect(0, 0, size.width(), 1), kPgsTransparent);
    FillIndex(picture, QRect(0, size.height() - 1, size.width(), 1), 2);
    return *CodePgsObject(picture, position, 1080);
}

std::vector<std::uint8_t> Types(const pgsread::DisplaySet& set) {
    std::vector<std::uint8_t> types;
    for (const pgsread::Segment& segment : set.segments) {
        types.push_back(segment.type);
    }
    return types;
}

// Every segment's time as the display set lists them.
std::vector<std::uint32_t> Times(const pgsread::DisplaySet& set) {
    std::vector<std::uint32_t> times;
    for (const pgsread::Segment& segment : set.segments) {
        times.push_back(segment.pts);
        EXPECT_EQ(segment.dts, 0u);
    }
    return times;
}

// White, blue in BT.709 (Y, Cr, Cb), transparent.
const std::vector<std::array<int, 5>> kPaletteOfCoded{
    {1, 235, 128, 128, 255}, {2, 32, 118, 240, 255}, {0xFF, 16, 128, 128, 0}};

std::vector<std::array<int, 5>> Entries(const pgsread::Palette& palette) {
    std::vector<std::array<int, 5>> entries;
    for (const pgsread::PaletteEntry& e : palette.entries) {
        entries.push_back({e.index, e.y, e.cr, e.cb, e.alpha});
    }
    return entries;
}

const std::vector<std::uint8_t> kShowing{0x16, 0x17, 0x14, 0x15, 0x80};
const std::vector<std::uint8_t> kClearing{0x16, 0x17, 0x80};

void ExpectWindowIsObject(const pgsread::DisplaySet& set, const PgsObject& object) {
    ASSERT_EQ(set.windows.size(), 1u);
    const pgsread::Window& window = set.windows[0];
    EXPECT_EQ(window.id, 0);
    EXPECT_EQ(QRect(window.x, window.y, window.width, window.height),
              QRect(object.position, object.size));
}

TEST(PgsStreamTest, EachSubtitleIsShownAndClearedByItsOwnEpoch) {
    PgsStreamWriter writer(QSize(1920, 1080), 0x10);
    const PgsObject low = Coded(QSize(200, 50), QPoint(100, 900));
    const PgsObject high = Coded(QSize(40, 20), QPoint(1800, 40));
    ASSERT_TRUE(writer.Add(low, 90000, 270000, false));
    ASSERT_TRUE(writer.Add(high, 450000, 540000, true));
    const pgsread::Stream stream = pgsread::Decode(writer.Bytes());
    ASSERT_EQ(stream.error, "");
    ASSERT_EQ(stream.sets.size(), 4u);

    for (std::size_t i = 0; i < 4; ++i) {
        const pgsread::DisplaySet& set = stream.sets[i];
        const bool showing = i % 2 == 0;
        const PgsObject& object = i < 2 ? low : high;
        EXPECT_EQ(Types(set), showing ? kShowing : kClearing) << i;
        const pgsread::Composition& composition = set.composition;
        EXPECT_EQ(composition.width, 1920);
        EXPECT_EQ(composition.height, 1080);
        EXPECT_EQ(composition.frameRate, 0x10);
        EXPECT_EQ(composition.number, i);
        EXPECT_EQ(composition.state, showing ? 0x80 : 0x00);
        EXPECT_EQ(composition.paletteUpdate, 0);
        EXPECT_EQ(composition.paletteId, 0);
        ExpectWindowIsObject(set, object);
        if (!showing) {
            EXPECT_TRUE(composition.objects.empty());
            continue;
        }
        ASSERT_EQ(composition.objects.size(), 1u);
        const pgsread::CompositionObject& shown = composition.objects[0];
        EXPECT_EQ(shown.objectId, 0);
        EXPECT_EQ(shown.windowId, 0);
        EXPECT_EQ(shown.flags, i == 2 ? 0x40 : 0x00);
        EXPECT_EQ(QPoint(shown.x, shown.y), object.position);
        ASSERT_TRUE(set.palette && set.object);
        EXPECT_EQ(set.palette->id, 0);
        EXPECT_EQ(set.palette->version, 0);
        EXPECT_EQ(Entries(*set.palette), kPaletteOfCoded);
        EXPECT_EQ(set.object->id, 0);
        EXPECT_EQ(set.object->version, 0);
    }
    // 200 x 50: 29 ticks to clear the window, 57 to decode; 40 x 20: 3 and 5.
    EXPECT_EQ(Times(stream.sets[0]),
              (std::vector<std::uint32_t>{90000, 89971, 89914, 89914, 89971}));
    EXPECT_EQ(Times(stream.sets[1]), (std::vector<std::uint32_t>{270000, 269971, 269971}));
    EXPECT_EQ(Times(stream.sets[2]),
              (std::vector<std::uint32_t>{450000, 449997, 449992, 449992, 449997}));
    EXPECT_EQ(Times(stream.sets[3]), (std::vector<std::uint32_t>{540000, 539997, 539997}));
}

// 1000 x 500 takes 1407 ticks to clear and 2813 to decode.
TEST(PgsStreamTest, LeadsStopAtTheStartAndAtThePreviousEnd) {
    PgsStreamWriter writer(QSize(1920, 1080), 0x10);
    const PgsObject large = Coded(QSize(1000, 500), QPoint(0, 0));
    ASSERT_TRUE(writer.Add(large, 1000, 1500, false));
    ASSERT_TRUE(writer.Add(large, 1500, 100000, false));
    ASSERT_TRUE(writer.Add(large, 102000, 200000, false));
    const pgsread::Stream stream = pgsread::Decode(writer.Bytes());
    ASSERT_EQ(stream.error, "");
    ASSERT_EQ(stream.sets.size(), 6u);
    EXPECT_EQ(Times(stream.sets[0]), (std::vector<std::uint32_t>{1000, 0, 0, 0, 0}));
    EXPECT_EQ(Times(stream.sets[1]), (std::vector<std::uint32_t>{1500, 1000, 1000}));
    EXPECT_EQ(Times(stream.sets[2]), (std::vector<std::uint32_t>{1500, 1500, 1500, 1500, 1500}));
    EXPECT_EQ(Times(stream.sets[3]), (std::vector<std::uint32_t>{100000, 98593, 98593}));
    EXPECT_EQ(Times(stream.sets[4]),
              (std::vector<std::uint32_t>{102000, 100593, 100000, 100000, 100593}));
}

TEST(PgsStreamTest, RefusesWhatItCannotSayAndWritesNothingThen) {
    PgsStreamWriter writer(QSize(1920, 1080), 0x10);
    const PgsObject object = Coded(QSize(40, 20), QPoint(1880, 1060));
    EXPECT_FALSE(writer.Add(Coded(QSize(40, 20), QPoint(1881, 0)), 0, 10, false));
    EXPECT_FALSE(writer.Add(Coded(QSize(40, 20), QPoint(0, 1061)), 0, 10, false));
    EXPECT_FALSE(writer.Add(Coded(QSize(40, 20), QPoint(-1, 0)), 0, 10, false));
    EXPECT_FALSE(writer.Add(object, 10, 10, false));
    EXPECT_FALSE(writer.Add(object, -10, 10, false));
    EXPECT_FALSE(writer.Add(object, 10, std::int64_t{1} << 32, false));
    EXPECT_TRUE(writer.Bytes().empty());
    ASSERT_TRUE(writer.Add(object, 10, 1000, false));
    const std::size_t written = writer.Bytes().size();
    EXPECT_FALSE(writer.Add(object, 999, 2000, false));
    EXPECT_EQ(writer.Bytes().size(), written);
    EXPECT_TRUE(writer.Add(object, 1000, 0xFFFFFFFF, false));
    EXPECT_EQ(pgsread::Decode(writer.Bytes()).sets.back().segments[0].pts, 0xFFFFFFFFu);
}

TEST(PgsStreamTest, CompositionNumbersWrapAfter65535) {
    PgsStreamWriter writer(QSize(720, 576), 0x30);
    const PgsObject dot = Coded(QSize(1, 1), QPoint(0, 0));
    for (std::int64_t i = 0; i < 32769; ++i) {
        ASSERT_TRUE(writer.Add(dot, 2 * i, 2 * i + 1, false));
    }
    const pgsread::Stream stream = pgsread::Decode(writer.Bytes());
    ASSERT_EQ(stream.error, "");
    ASSERT_EQ(stream.sets.size(), 65538u);
    EXPECT_EQ(stream.sets[65535].composition.number, 65535);
    EXPECT_EQ(stream.sets[65536].composition.number, 0);
    EXPECT_EQ(stream.sets[65537].composition.number, 1);
}

TEST(PgsStreamTest, FrameRatesHaveTheirBytesAndThirtyNone) {
    const std::map<std::string, std::optional<std::uint8_t>> expected{
        {"23.976", 0x10},   {"24", 0x20},         {"25", 0x30}, {"29.97", 0x40},
        {"29.97ndf", 0x40}, {"30", std::nullopt}, {"50", 0x60}, {"59.94", 0x70},
    };
    ASSERT_EQ(FrameRates().size(), expected.size());
    for (const FrameRate& rate : FrameRates()) {
        EXPECT_EQ(PgsFrameRateCode(rate), expected.at(rate.name)) << rate.name;
    }
}

} // namespace
} // namespace orvo
