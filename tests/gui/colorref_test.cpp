#include <kestrum-gui/colorref.h>

#include <gtest/gtest.h>

namespace kestrum {
namespace {

// Red sits in the lowest byte of a stored colour, the reverse of a Qt pixel.
TEST(ColorRefTest, ByteOrderIsBlueGreenRed) {
    const QColor colour = ToQColor(0x00123456);
    EXPECT_EQ(colour.red(), 0x56);
    EXPECT_EQ(colour.green(), 0x34);
    EXPECT_EQ(colour.blue(), 0x12);
    EXPECT_EQ(ToColorRef(QColor(0x56, 0x34, 0x12)), COLORREF{0x00123456});
}

TEST(ColorRefTest, RoundTripKeepsEveryChannel) {
    for (const COLORREF colour :
         {COLORREF{0x00000000}, COLORREF{0x00FFFFFF}, COLORREF{0x000000FF}, COLORREF{0x00FF0000},
          COLORREF{0x00808000}, COLORREF{0x00123456}}) {
        EXPECT_EQ(ToColorRef(ToQColor(colour)), colour) << std::hex << colour;
    }
}

// A translucent colour is stored opaque: the top byte of a stored colour stays 0.
TEST(ColorRefTest, AlphaIsNotStored) {
    EXPECT_EQ(ToColorRef(QColor(1, 2, 3, 4)), COLORREF{0x00030201});
}

} // namespace
} // namespace kestrum
