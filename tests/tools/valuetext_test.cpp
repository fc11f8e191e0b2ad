#include "kestrum-prop/valuetext.h"

#include <kestrum/propstore/cprop.h>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrum::tool {
namespace {

std::string AllBytes() {
    std::string text;
    for (int byte = 0; byte < 256; ++byte) {
        text += static_cast<char>(byte);
    }
    return text;
}

// ---- Escapes ----

TEST(EscapeTest, EveryByteComesBackAndLeavesNoSeparatorOrControlByte) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string original(1, static_cast<char>(byte));
        const std::string escaped = Escape(original);
        for (char ch : escaped) {
            const auto unit = static_cast<unsigned char>(ch);
            EXPECT_TRUE(unit >= 0x20 && unit != 0x7F);
        }
        EXPECT_EQ(Unescape(escaped), original);
    }
    EXPECT_EQ(Unescape(Escape(AllBytes())), AllBytes());
}

TEST(EscapeTest, UsesTheShortFormsAndLowerCaseHex) {
    EXPECT_EQ(Escape("\\"), "\\\\");
    EXPECT_EQ(Escape("\t\r\n"), "\\t\\r\\n");
    EXPECT_EQ(Escape(std::string(1, '\0')), "\\x00");
    EXPECT_EQ(Escape("\x1b\x1f\x7f"), "\\x1b\\x1f\\x7f");
    // Text bytes of any 8-bit encoding stay as they are.
    EXPECT_EQ(Escape("caf\xc3\xa9 \x80\xff~"), "caf\xc3\xa9 \x80\xff~");
}

TEST(EscapeTest, UnescapeTakesHexOfAnyByteInEitherCase) {
    EXPECT_EQ(Unescape("\\x41\\x1F\\xfF"), "A\x1f\xff");
    EXPECT_EQ(Unescape("a\\\\tb"), "a\\tb");
    EXPECT_EQ(Unescape(""), "");
}

TEST(EscapeTest, UnescapeRefusesMalformedEscapes) {
    for (const char* text :
         {"\\", "ab\\", "\\q", "\\0", "\\T", "\\x", "\\x4", "\\xg0", "\\x4g", "\\x\\x41"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Unescape(text), std::nullopt);
    }
}

// ---- Hex ----

TEST(HexTest, EveryByteComesBack) {
    const std::string all = AllBytes();
    const std::vector<std::uint8_t> bytes(all.begin(), all.end());
    const std::string hex = ToHex(bytes);
    EXPECT_EQ(hex.substr(0, 8), "00010203");
    EXPECT_EQ(hex.substr(hex.size() - 4), "feff");
    EXPECT_EQ(ParseHex(hex), bytes);
}

TEST(HexTest, ParseTakesEitherCaseAndTheEmptyText) {
    EXPECT_EQ(ParseHex("ABcd09"), (std::vector<std::uint8_t>{0xAB, 0xCD, 0x09}));
    EXPECT_EQ(ParseHex(""), std::vector<std::uint8_t>{});
}

TEST(HexTest, ParseRefusesOddLengthsAndOtherCharacters) {
    for (const char* text : {"a", "abc", "0g", "g0", "0x12", " 12", "12 ", "-1", "1 2"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseHex(text), std::nullopt);
    }
}

// ---- Numbers ----

TEST(NumberTest, IntTakesTheFull32BitRangeAndNothingElse) {
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt("-0"), 0);
    EXPECT_EQ(ParseInt("007"), 7);
    for (const char* text :
         {"", "-", "+1", "2147483648", "-2147483649", "1.0", "1e3", " 1", "1 ", "0x10", "one"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseInt(text), std::nullopt);
    }
}

TEST(NumberTest, FloatTakesWhatStrtofReadsToTheEnd) {
    EXPECT_EQ(ParseFloat("1.5"), 1.5f);
    EXPECT_EQ(ParseFloat("0x1p-3"), 0.125f);
    EXPECT_EQ(ParseFloat("1e39"), INFINITY);
    for (const char* text : {"", "1.5x", "abc", "1,5", "1.5 ", "--1"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseFloat(text), std::nullopt);
    }
}

TEST(NumberTest, FloatTextGivesBackEveryBit) {
    const std::uint32_t patterns[] = {
        0x00000000, 0x80000000, // zero, negative zero
        0x7F800000, 0xFF800000, // infinities
        0x00000001, 0x007FFFFF, // smallest and largest subnormal
        0x00800000, 0x7F7FFFFF, // smallest normal, largest finite
        0x3DCCCCCD, 0x3EAAAAAB, // 0.1f, 1/3f
        0x4120000B,             // 10.0000105f: eight digits would give another float
        0xC2F6E979, 0x4B7FFFFF, // -123.456f, 2^24 - 1
    };
    for (std::uint32_t bits : patterns) {
        SCOPED_TRACE(bits);
        const auto parsed = ParseFloat(FormatFloat(std::bit_cast<float>(bits)));
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(std::bit_cast<std::uint32_t>(*parsed), bits);
    }
}

TEST(NumberTest, NanKeepsItsSignButNotItsPayload) {
    EXPECT_EQ(FormatFloat(std::bit_cast<float>(0x7FC00001u)), "nan");
    EXPECT_EQ(FormatFloat(std::bit_cast<float>(0xFFC00000u)), "-nan");
    const auto nan = ParseFloat("nan");
    const auto negativeNan = ParseFloat("-nan");
    ASSERT_TRUE(nan && negativeNan);
    EXPECT_TRUE(std::isnan(*nan) && !std::signbit(*nan));
    EXPECT_TRUE(std::isnan(*negativeNan) && std::signbit(*negativeNan));
}

// ---- Kinds and values ----

TEST(KindTest, NamesMatchTypeCodes) {
    const char* names[] = {"int", "float", "string", "bool", "blob", "obj"};
    for (int type = kPropInt; type <= kPropObj; ++type) {
        EXPECT_EQ(ParseKind(names[type]), type);
    }
    for (const char* name : {"", "INT", "integer", "boolean", "-1", "0"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ParseKind(name), std::nullopt);
    }
}

TEST(KindTest, ParseValueKeepsIntAndBoolApartAndRefusesObj) {
    const auto number = ParseValue(kPropInt, "2");
    const auto truth = ParseValue(kPropBool, "2");
    ASSERT_TRUE(number && truth);
    EXPECT_EQ(std::get<std::int32_t>(*number), 2);
    EXPECT_EQ(std::get<BoolValue>(*truth).word, 2);
    EXPECT_EQ(std::get<std::string>(*ParseValue(kPropString, "a\\tb")), "a\tb");
    EXPECT_EQ(ParseValue(kPropObj, ""), std::nullopt);
    EXPECT_EQ(ParseValue(kPropObj, "-"), std::nullopt);
    EXPECT_EQ(ParseValue(kPropBool, "true"), std::nullopt);
    EXPECT_EQ(ParseValue(kPropString, "\\"), std::nullopt);
}

struct DescribeCase {
    const char* name;
    std::unique_ptr<CProp> (*make)();
    const char* kind;
    const char* value;
};

template <class Prop>
std::unique_ptr<CProp> Word(int type, std::uint32_t word) {
    auto prop = std::make_unique<Prop>();
    prop->m_nType = type;
    prop->m_word = word;
    return prop;
}

template <class Prop>
std::unique_ptr<CProp> Typed(int type) {
    auto prop = std::make_unique<Prop>();
    prop->m_nType = type;
    return prop;
}

std::unique_ptr<CProp> StringProp(int type) {
    auto prop = std::make_unique<CStringProp>();
    prop->m_nType = type;
    prop->m_value = "a\tb";
    return prop;
}

std::unique_ptr<CProp> BlobProp(int type) {
    auto prop = std::make_unique<CBlobProp>();
    const std::uint8_t bytes[] = {0x00, 0x7F, 0xFF};
    prop->SetData(bytes);
    prop->m_nType = type;
    return prop;
}

class DescribeTest : public ::testing::TestWithParam<DescribeCase> {};

// The kind follows the type code whatever the class, as long as the class can carry it.
TEST_P(DescribeTest, ShowsKindAndValue) {
    const DescribeCase& c = GetParam();
    const ValueText text = Describe(*c.make());
    EXPECT_EQ(text.kind, c.kind);
    EXPECT_EQ(text.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DescribeTest,
    ::testing::Values(
        DescribeCase{"IntProp", [] { return Word<CIntProp>(kPropInt, 0xFFFFFFFF); }, "int", "-1"},
        DescribeCase{"IntPropCarryingBool", [] { return Word<CIntProp>(kPropBool, 3); }, "bool",
                     "3"},
        DescribeCase{"BoolPropOfTwo", [] { return Word<CBoolProp>(kPropBool, 2); }, "bool", "2"},
        DescribeCase{"BoolPropCarryingFloat",
                     [] { return Word<CBoolProp>(kPropFloat, 0x3FC00000); }, "float", "1.5"},
        DescribeCase{"FloatPropCarryingInt", [] { return Word<CFloatProp>(kPropInt, 7); }, "int",
                     "7"},
        DescribeCase{"String", [] { return StringProp(kPropString); }, "string", "a\\tb"},
        DescribeCase{"Blob", [] { return BlobProp(kPropBlob); }, "blob", "007fff"},
        DescribeCase{"EmptyBlob", [] { return Typed<CBlobProp>(kPropBlob); }, "blob", ""},
        DescribeCase{"Obj", [] { return Typed<CObjProp>(kPropObj); }, "obj", "-"},
        DescribeCase{"WordPropCarryingString", [] { return Word<CIntProp>(kPropString, 1); }, "2",
                     "-"},
        DescribeCase{"WordPropCarryingObj", [] { return Word<CIntProp>(kPropObj, 1); }, "5", "-"},
        DescribeCase{"StringPropCarryingInt", [] { return StringProp(kPropInt); }, "0", "-"},
        DescribeCase{"BlobPropCarryingBool", [] { return BlobProp(kPropBool); }, "3", "-"},
        DescribeCase{"CodeAboveKinds", [] { return Word<CIntProp>(9, 1); }, "9", "-"},
        DescribeCase{"BareProp", [] { return Typed<CProp>(kPropNone); }, "-1", "-"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestrum::tool
