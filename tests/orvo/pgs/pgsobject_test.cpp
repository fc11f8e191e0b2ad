#include "output/pgs/pgsrunlength.h"
#include "output/pgs/pgsstream.h"

#include "pgsdecoder.h"
#include "pgstestpictures.h"

#include "common/samebytes.h"

#include <gtest/gtest.h>

#include <set>

namespace orvo {
namespace {

using testsupport::SameBytes;

const std::vector<QRgb> kColours{qRgb(10, 20, 30), qRgb(255, 255, 255), qRgb(200, 30, 40),
                                 qRgb(0, 0, 0)};

TEST(PgsRunLengthTest, EachRunTakesItsShortestCode) {
    // Neighbouring runs of one index are one run: a cut colour table gives such neighbours.
    const std::vector<InkRun> line{{5, 1},  {7, 1}, {7, 1},  {9, 3},  {0, 1},    {4, 63},
                                   {0, 63}, {3, 1}, {0, 64}, {4, 64}, {6, 16385}};
    std::vector<std::uint8_t> code;
    AppendPgsRunLengthLine(code, line);
    // A run past 14 bits of length goes on in a second run.
    EXPECT_TRUE(SameBytes(code, {0x05, 0x07, 0x07, 0x00, 0x83, 0x09, 0x00, 0x01, 0x00, 0xBF,
                                 0x04, 0x00, 0x3F, 0x03, 0x00, 0x40, 0x40, 0x00, 0xC0, 0x40,
                                 0x04, 0x00, 0xFF, 0xFF, 0x06, 0x06, 0x06, 0x00, 0x00}));
}

// Writes the picture as a one-subtitle stream on a 1920 x 1080 video and reads it back.
pgsread::Stream RoundTrip(const QImage& picture) {
    const auto object = CodePgsObject(picture, QPoint(0, 0), 1080);
    EXPECT_TRUE(object);
    PgsStreamWriter writer(QSize(1920, 1080), 0x10);
    EXPECT_TRUE(object && writer.Add(*object, 90000, 180000, false));
    return pgsread::Decode(writer.Bytes());
}

void ExpectSamePicture(const QImage& picture) {
    const pgsread::Stream stream = RoundTrip(picture);
    ASSERT_EQ(stream.error, "");
    ASSERT_EQ(stream.sets.size(), 2u);
    const auto& object = stream.sets[0].object;
    ASSERT_TRUE(object);
    EXPECT_EQ(object->width, picture.width());
    EXPECT_EQ(object->height, picture.height());
    EXPECT_EQ(object->pixels, Indexes(picture));

    // The palette names the indexes in use and the transparent one, which is see-through.
    std::set<int> used(object->pixels.begin(), object->pixels.end());
    used.insert(kPgsTransparent);
    std::set<int> listed;
    const auto& palette = stream.sets[0].palette;
    ASSERT_TRUE(palette);
    for (const pgsread::PaletteEntry& entry : palette->entries) {
        listed.insert(entry.index);
        if (entry.index == kPgsTransparent) {
            EXPECT_EQ(entry.alpha, 0);
            EXPECT_EQ(entry.y, 16);
            EXPECT_EQ(entry.cr, 128);
            EXPECT_EQ(entry.cb, 128);
        } else {
            EXPECT_EQ(entry.alpha, 255) << int{entry.index};
        }
    }
    EXPECT_EQ(listed, used);
    EXPECT_EQ(listed.size(), palette->entries.size());
}

TEST(PgsObjectTest, PicturesComeBackPixelForPixel) {
    // Colour 0 is a colour like the others: short and long runs of it, next to single and
    // double pixels, long runs of another colour, and a row that is all transparent.
    QImage runs = IndexedPicture(QSize(300, 6), kColours, 0);
    FillIndex(runs, QRect(5, 0, 1, 1), 1);
    FillIndex(runs, QRect(7, 0, 2, 1), 2);
    FillIndex(runs, QRect(80, 0, 70, 1), 2);
    FillIndex(runs, QRect(0, 1, 300, 1), kPgsTransparent);
    FillIndex(runs, QRect(0, 2, 299, 1), 3);
    FillIndex(runs, QRect(10, 4, 1, 2), kPgsTransparent);
    ExpectSamePicture(runs);

    // Lines as wide as HD video: one colour end to end, all 0, and every pixel another colour.
    QImage wide = IndexedPicture(QSize(1920, 3), kColours, 0);
    FillIndex(wide, QRect(0, 0, 1920, 1), 2);
    for (int x = 0; x < 1920; ++x) {
        wide.scanLine(2)[x] = static_cast<std::uint8_t>(x % 4);
    }
    ExpectSamePicture(wide);
    ExpectSamePicture(IndexedPicture(QSize(1, 1), kColours, 1));
}

TEST(PgsObjectTest, ObjectTooLongForOneSegmentSplitsIntoFragments) {
    // Alternating pixels cost a byte each: about 190 KB of code.
    QImage busy = IndexedPicture(QSize(1920, 100), kColours, 1);
    for (int y = 0; y < busy.height(); ++y) {
        for (int x = y % 2; x < busy.width(); x += 2) {
            busy.scanLine(y)[x] = 2;
        }
    }
    ExpectSamePicture(busy);
    const pgsread::Stream stream = RoundTrip(busy);
    ASSERT_EQ(stream.error, "");
    const pgsread::Object& object = *stream.sets[0].object;
    const std::size_t total = 4 + 100 * (1920 + 2);
    ASSERT_EQ(object.fragmentData.size(), (total + 0xFFEE) / 0xFFEF);
    for (std::size_t i = 0; i < object.fragmentData.size(); ++i) {
        const bool last = i + 1 == object.fragmentData.size();
        EXPECT_EQ(object.fragmentData[i], last ? total % 0xFFEF : 0xFFEF);
        EXPECT_EQ(object.fragmentFlags[i], i == 0 ? 0x80 : last ? 0x40 : 0x00);
    }
    EXPECT_EQ(RoundTrip(IndexedPicture(QSize(8, 8), kColours, 0)).sets[0].object->fragmentFlags,
              std::vector<std::uint8_t>{0xC0});
}

TEST(PgsObjectTest, RefusesWhatTheStreamCannotHold) {
    EXPECT_FALSE(CodePgsObject(QImage(), QPoint(0, 0), 1080));
    EXPECT_FALSE(CodePgsObject(IndexedPicture(QSize(0, 5), kColours, 0), QPoint(0, 0), 1080));
    EXPECT_FALSE(CodePgsObject(IndexedPicture(QSize(4097, 1), kColours, 0), QPoint(0, 0), 1080));
    EXPECT_FALSE(CodePgsObject(IndexedPicture(QSize(1, 4097), kColours, 0), QPoint(0, 0), 1080));
    EXPECT_TRUE(CodePgsObject(IndexedPicture(QSize(4096, 1), kColours, 0), QPoint(0, 0), 1080));
    QImage rgb(8, 8, QImage::Format_RGB32);
    rgb.fill(Qt::white);
    EXPECT_FALSE(CodePgsObject(rgb, QPoint(0, 0), 1080));
    // Index 4 has no colour in the table; the transparent index needs none.
    QImage unnamed = IndexedPicture(QSize(8, 8), kColours, kPgsTransparent);
    EXPECT_TRUE(CodePgsObject(unnamed, QPoint(0, 0), 1080));
    FillIndex(unnamed, QRect(3, 3, 1, 1), 4);
    EXPECT_FALSE(CodePgsObject(unnamed, QPoint(0, 0), 1080));
    // Runs that do not fill their rows exactly would shift every line after them.
    InkPicture ink = InkOfIndexed(IndexedPicture(QSize(4, 2), kColours, 0), QPoint(0, 0));
    EXPECT_TRUE(CodePgsObject(ink, 1080));
    for (const std::vector<InkRun>& runs : std::vector<std::vector<InkRun>>{
             {{0, 3}, {1, 3}, {0, 2}}, {{0, 4}, {1, 4}, {2, 1}}, {{0, 4}, {1, 3}}, {{0, 4}}}) {
        ink.runs = runs;
        EXPECT_FALSE(CodePgsObject(ink, 1080)) << runs.size() << " runs";
    }
}

} // namespace
} // namespace orvo
