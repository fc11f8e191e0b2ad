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

namespace orvo {
namespace {

// The runs of each line, as the markup sets them off.
std::vector<std::vector<std::pair<std::string, Emphasis>>> Runs(const StyledDialogue& event) {
    std::vector<std::vector<std::pair<std::string, Emphasis>>> lines;
    for (const StyledLine& line : event.lines) {
        auto& runs = lines.emplace_back();
        for (const StyledRun& run : line) {
            runs.emplace_back(run.text, run.emphasis);
        }
    }
    return lines;
}

constexpr Emphasis kI = Emphasis::Italic;
constexpr Emphasis kB = Emphasis::Bold;
constexpr Emphasis kU = Emphasis::Underline;
constexpr Emphasis kNone = Emphasis::None;

TEST(ParseDialogue, TagsSetTheEmphasisOfTheTextAfterThem) {
    using Line = std::vector<std::pair<std::string, Emphasis>>;
    const struct {
        const char* markup;
        std::vector<Line> lines;
    } cases[] = {
        {"{\\i1}Night{\\i0} falls", {{{"Night", kI}, {" falls", kNone}}}},
        // Nested and never closed: the emphasis holds to the end of the event.
        {"{\\b1}one {\\i1}two{\\b0} three\\Nfour",
         {{{"one ", kB}, {"two", kB | kI}, {" three", kI}}, {{"four", kI}}}},
        {"{\\u1}under{\\r} plain", {{{"under", kU}, {" plain", kNone}}}},
        {"{\\b700}heavy{\\b400} light", {{{"heavy", kB}, {" light", kNone}}}},
        // Tags that only begin like these are others.
        {"{\\blur3\\bord2\\iclip(0,0,1,1)}soft", {{{"soft", kNone}}}},
        // A dropped block between two blanks leaves one.
        {"word {\\fs20} word", {{{"word word", kNone}}}},
    };
    for (const auto& [markup, lines] : cases) {
        EXPECT_EQ(Runs(ParseDialogue(markup)), lines) << markup;
    }
}

TEST(ParseDialogue, TheStyleStartsTheEventAndResetTakesItBack) {
    const DialogueStyle song{kI, 2};
    EXPECT_EQ(Runs(ParseDialogue("la {\\i0}la{\\r} la", song)),
              (std::vector<std::vector<std::pair<std::string, Emphasis>>>{
                  {{"la ", kI}, {"la", kNone}, {" la", kI}}}));
}

TEST(ParseDialogue, AlignmentAndPositionPlaceTheEvent) {
    EXPECT_TRUE(ParseDialogue("plain").placement.IsDefault());
    const Placement top = ParseDialogue("{\\an8}sign").placement;
    EXPECT_EQ(top.row, Placement::Row::Top);
    EXPECT_EQ(top.align, 1);
    // The first alignment holds; SSA's \a6 is the top centre.
    EXPECT_EQ(ParseDialogue("{\\an7}a{\\an3}b").placement.align, 0);
    EXPECT_EQ(ParseDialogue("{\\a6}old").placement.row, Placement::Row::Top);
    EXPECT_EQ(ParseDialogue("x", {kNone, 4}).placement.row, Placement::Row::Middle);
    const Placement placed = ParseDialogue("{\\pos(960,270)}here", {}, {1920, 1080}).placement;
    ASSERT_TRUE(placed.position);
    EXPECT_DOUBLE_EQ(placed.position->x, 0.5);
    EXPECT_DOUBLE_EQ(placed.position->y, 0.25);
}

} // namespace
} // namespace orvo
