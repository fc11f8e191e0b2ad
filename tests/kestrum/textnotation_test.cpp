#include <kestrum/util/textnotation.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrum {
namespace {

TEST(EscapeTest, EveryByteComesBackAndNoControlByteIsLeft) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::string escaped = Escape(all);
    for (char ch : escaped) {
        EXPECT_TRUE(static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F);
    }
    EXPECT_EQ(Unescape(escaped), all);
    EXPECT_EQ(Escape(std::string("\\\t\r\n\0\x1b\x7f\x80\xff", 9)),
              "\\\\\\t\\r\\n\\x00\\x1b\\x7f\x80\xff");
    EXPECT_EQ(Unescape("\\x41\\x1F"), "A\x1f");
    for (const char* bad : {"\\", "ab\\", "\\q", "\\0", "\\x", "\\x4", "\\xg0", "\\x4g"}) {
        EXPECT_EQ(Unescape(bad), std::nullopt) << bad;
    }
}

TEST(HexTest, EveryByteComesBackAndMalformedTextIsRefused) {
    std::vector<std::uint8_t> all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<std::uint8_t>(byte));
    }
    const std::string hex = ToHex(all);
    EXPECT_EQ(hex.substr(hex.size() - 6), "fdfeff");
    EXPECT_EQ(ParseHex(hex), all);
    EXPECT_EQ(ParseHex("ABcd"), (std::vector<std::uint8_t>{0xAB, 0xCD}));
    EXPECT_EQ(ParseHex(""), std::vector<std::uint8_t>{});
    for (const char* bad : {"a", "abc", "0g", "g0", "0x12", " 12", "12 "}) {
        EXPECT_EQ(ParseHex(bad), std::nullopt) << bad;
    }
}

} // namespace
} // namespace kestrum
