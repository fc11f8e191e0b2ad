#include <kestrum-gui/displaytext.h>

#include <gtest/gtest.h>

#include <string>

namespace kestrum {
namespace {

using namespace Qt::Literals::StringLiterals;

struct DecodeCase {
    const char* name;
    std::string bytes;
    QString expected;
};

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, DecodesAsUtf8OrElseWindows1252) {
    EXPECT_EQ(DecodeText(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeTextTest,
    ::testing::Values(
        DecodeCase{"Ascii", "Plain & simple\r\n", u"Plain & simple\r\n"_s},
        DecodeCase{"Empty", "", QString()}, DecodeCase{"Utf8Accent", "Caf\xC3\xA9", u"Caf\u00E9"_s},
        DecodeCase{"Utf8Euro", "\xE2\x82\xAC", u"\u20AC"_s},
        DecodeCase{"Latin1Accent", "Caf\xE9", u"Caf\u00E9"_s},
        DecodeCase{"EuroByte", "\x80", u"\u20AC"_s},
        // One invalid byte makes the whole text Windows-1252, valid sequences included.
        DecodeCase{"MixedFallsBack", "\xC3\xA9 \xE9", u"\u00C3\u00A9 \u00E9"_s},
        DecodeCase{"TruncatedSequence", "ab\xC3", u"ab\u00C3"_s},
        DecodeCase{"OverlongSequence", "\xC0\xAF", u"\u00C0\u00AF"_s},
        DecodeCase{"EncodedSurrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"_s},
        DecodeCase{"UndefinedBytesKeepLatin1", "\x81\x8D\x8F\x90\x9D",
                   u"\u0081\u008D\u008F\u0090\u009D"_s}),
    [](const auto& test) { return std::string(test.param.name); });

// Every byte from 0x80 to 0x9F, as Windows-1252 defines it.
TEST(Windows1252Test, DecodesTheWholeHighControlRange) {
    std::string bytes;
    for (int byte = 0x80; byte <= 0x9F; ++byte) {
        bytes.push_back(static_cast<char>(byte));
    }
    const QString expected =
        u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152"
        u"\u008D\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122"
        u"\u0161\u203A\u0153\u009D\u017E\u0178"_s;
    // Bytes that are not UTF-8 are read as Windows-1252.
    EXPECT_EQ(DecodeText(bytes), expected);
}

TEST(Windows1252Test, EveryByteEncodesBackToItself) {
    std::string bytes;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        bytes.push_back(static_cast<char>(byte));
    }
    EXPECT_EQ(EncodeWindows1252(DecodeText(bytes)), bytes);
}

TEST(Windows1252Test, CharactersOutsideBecomeQuestionMarks) {
    EXPECT_EQ(EncodeWindows1252(u"\u0100\u4E2D"_s), "??");
    // A character beyond the basic plane is one character, not two.
    EXPECT_EQ(EncodeWindows1252(u"a\U0001F600b"_s), "a?b");
}

} // namespace
} // namespace kestrum
