#include "valuetext.h"

#include <kestrum/propstore/cprop.h>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrum::tool {
namespace {

TEST(NumberTest, IntTakesTheFull32BitRangeAndNothingElse) {
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
    for (const char* bad :
         {"", "-", "+1", "2147483648", "-2147483649", "1.0", " 1", "1 ", "0x10"}) {
        EXPECT_EQ(ParseInt(bad), std::nullopt) << bad;
    }
    for (const char* bad : {"", "1.5x", "1,5", "1.5 "}) {
        EXPECT_EQ(ParseFloat(bad), std::nullopt) << bad;
    }
}

TEST(NumberTest, FloatTextGivesBackEveryBit) {
    const std::uint32_t patterns[] = {
        0x80000000, 0x7F800000, 0xFF800000, // negative zero, infinities
        0x00000001, 0x007FFFFF, 0x7F7FFFFF, // subnormals, largest finite
        0x3DCCCCCD, 0x4120000B,             // 0.1f; 10.0000105f needs all nine digits
    };
    for (std::uint32_t bits : patterns) {
        const auto parsed = ParseFloat(FormatFloat(std::bit_cast<float>(bits)));
        ASSERT_TRUE(parsed.has_value()) << bits;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(*parsed), bits);
    }
    // A NaN keeps its sign, not its payload.
    EXPECT_EQ(FormatFloat(std::bit_cast<float>(0xFFC00001u)), "-nan");
    const auto nan = ParseFloat("nan");
    EXPECT_TRUE(nan && std::isnan(*nan) && !std::signbit(*nan));
}

template <class Prop>
ValueText DescribeWord(int type, std::uint32_t word) {
    Prop prop;
    prop.m_nType = type;
    prop.m_word = word;
    return Describe(prop);
}

// The type code names the kind when the class can carry it, whatever the class.
TEST(DescribeTest, KindComesFromTheTypeCodeOrShowsTheCode) {
    const auto expect = [](const ValueText& text, const char* kind, const char* value) {
        EXPECT_EQ(text.kind, kind);
        EXPECT_EQ(text.value, value);
    };
    expect(DescribeWord<CIntProp>(kPropBool, 2), "bool", "2");
    expect(DescribeWord<CBoolProp>(kPropFloat, 0x3FC00000), "float", "1.5");
    expect(DescribeWord<CFloatProp>(kPropInt, 0xFFFFFFFF), "int", "-1");
    expect(DescribeWord<CIntProp>(kPropString, 1), "2", "-");
    expect(DescribeWord<CIntProp>(kPropObj, 1), "5", "-");
    expect(DescribeWord<CIntProp>(9, 1), "9", "-");

    CStringProp text;
    text.m_value = "a\tb";
    text.m_nType = kPropString;
    expect(Describe(text), "string", "a\\tb");
    text.m_nType = kPropInt;
    expect(Describe(text), "0", "-");
    CObjProp object;
    object.m_nType = kPropObj;
    expect(Describe(object), "obj", "-");
    expect(Describe(CProp()), "-1", "-");
}

} // namespace
} // namespace kestrum::tool
