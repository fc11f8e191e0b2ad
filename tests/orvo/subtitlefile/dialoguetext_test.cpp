#include "input/dialoguetext.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

using Lines = std::vector<std::string>;

TEST(DialogueText, TheTextFollowsTheEighthComma) {
    EXPECT_EQ(DialogueText("0,0,Default,Tom,0,0,0,,Well, then"), "Well, then");
    EXPECT_EQ(DialogueText("0,0,Default,,0,0,0,,"), "");
    EXPECT_EQ(DialogueText("no fields at all"), "no fields at all");
}

TEST(PlainLines, OverrideBlocksGoAndLineBreaksSplit) {
    EXPECT_EQ(PlainLines("{\\i1}Night{\\i0} on the quay"), Lines{"Night on the quay"});
    EXPECT_EQ(PlainLines("one\\Ntwo\\nthree"), (Lines{"one", "two", "three"}));
    EXPECT_EQ(PlainLines("a\\hb"), Lines{"a b"});
    EXPECT_EQ(PlainLines("one\r\ntwo\nthree"), (Lines{"one", "two", "three"}));
}

TEST(PlainLines, EscapedBracesAndBackslashesAreText) {
    EXPECT_EQ(PlainLines("\\{not markup\\} and \\\\"), Lines{"{not markup} and \\"});
    EXPECT_EQ(PlainLines("C:\\path"), Lines{"C:\\path"});
    EXPECT_EQ(PlainLines("trailing \\"), Lines{"trailing \\"});
}

TEST(PlainLines, AnUnclosedBraceIsText) {
    EXPECT_EQ(PlainLines("a { b"), Lines{"a { b"});
    EXPECT_EQ(PlainLines("{x}a{b{c"), Lines{"a{b{c"});
}

TEST(PlainLines, ATabBecomesABlankSoThatTheStoredLineKeepsItsFields) {
    EXPECT_EQ(PlainLines("a\tb\t"), Lines{"a b "});
}

TEST(PlainLines, BlankLinesAtTheEndsGoAndAnEventWithoutTextHasNoLines) {
    EXPECT_EQ(PlainLines("\\N\\Ntext\\N\\N"), Lines{"text"});
    EXPECT_EQ(PlainLines("one\\N\\Nthree"), (Lines{"one", "", "three"}));
    EXPECT_TRUE(PlainLines("").empty());
    EXPECT_TRUE(PlainLines("{\\pos(10,20)}").empty());
    EXPECT_TRUE(PlainLines("  \\h\\N ").empty());
}

TEST(PlainLines, ManyOpenBracesTakeLinearTime) {
    // Quadratic work here would take minutes; linear takes milliseconds.
    const std::string text(1 << 20, '{');
    EXPECT_EQ(PlainLines(text), Lines{text});
}

} // namespace
} // namespace orvo
