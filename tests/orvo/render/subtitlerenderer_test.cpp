#include "render/subtitlerenderer.h"

#include "model/texts.h"
#include "storedcolours.h"

#include "common/imageprobes.h"

#include <QFontMetricsF>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

namespace orvo {
namespace {

using kestrum::ToQColor;
using testsupport::Bounds;
using testsupport::ColourBounds;
using testsupport::Colours;
using testsupport::InkBounds;
using testsupport::ToRgb;

bool HasNeighbour(const QImage& image, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint at(x + dx, y + dy);
            if ((dx != 0 || dy != 0) && image.valid(at) && image.pixel(at) == colour) {
                return true;
            }
        }
    }
    return false;
}

double WidthOf(const QString& text) {
    return QFontMetricsF(DefaultFont().ToQFont()).horizontalAdvance(text);
}

// Words appended until the line is wider than the space between default margins (620
// pixels) but still narrower than the reference width of 720.
std::string LineBetweenMarginsAndFullWidth() {
    std::string line = "Between";
    while (WidthOf(QString::fromStdString(line)) <= 640) {
        line += " margins";
    }
    return line;
}

class RendererTest : public ::testing::Test {
protected:
    RendererTest() { settings.AntiAlias = false; }

    RenderResult Render(const std::string& text) {
        canvas = MakeCanvas(settings);
        const SubtitleRenderer renderer(settings);
        return renderer.RenderSubtitle(settings, text, canvas);
    }

    RenderSettings settings;
    QImage canvas;
};

TEST(CanvasTest, MakeCanvasIsWhiteInTheStandardsSize) {
    for (const bool pal : {true, false}) {
        const QImage canvas = MakeCanvas(CanvasOf(pal));
        EXPECT_EQ(canvas.format(), QImage::Format_RGB32);
        EXPECT_EQ(canvas.size(), QSize(720, pal ? 576 : 480));
        EXPECT_EQ(Colours(canvas), std::set<QRgb>{ToRgb(kWhite)});
    }
}

TEST_F(RendererTest, TestTextTakesTwoLinesEndingAtTheOffset) {
    settings.AntiAlias = true;
    const RenderResult result = Render(texts::kTestText);
    EXPECT_EQ(result.lines, 2);
    EXPECT_EQ(result.textRect.left(), 50);
    EXPECT_EQ(result.textRect.right(), 720 - 50 - 1);
    EXPECT_EQ(result.textRect.bottom(), 576 - 50 - 1);
    const QRect ink = InkBounds(canvas, ToQColor(kWhite));
    EXPECT_EQ(ink.bottom(), 576 - 50 - 1); // the band of the last line
    EXPECT_GE(ink.top(), result.textRect.top());
    EXPECT_LE(ink.top(), result.textRect.top() + 3);
    const int lineHeight = Render("x").textRect.height();
    EXPECT_NEAR(result.textRect.height(), 2 * lineHeight, 2);
}

TEST_F(RendererTest, CountsLinesSeparatedByCrLf) {
    std::string text = "Line";
    for (int lines = 1; lines <= 8; ++lines) {
        EXPECT_EQ(Render(text).lines, lines) << text;
        text += "\r\nLine";
    }
}

TEST_F(RendererTest, EmptyTextDrawsNothing) {
    settings.Box = true;
    EXPECT_EQ(Render("").lines, 0);
    EXPECT_EQ(Colours(canvas), std::set<QRgb>{ToRgb(kWhite)});
}

TEST_F(RendererTest, OverwritesEveryPixel) {
    settings.BkgColor = kRed;
    Render(texts::kTestText);
    settings.BkgColor = kWhite;
    const SubtitleRenderer renderer(settings);
    renderer.RenderSubtitle(settings, texts::kTestText, canvas);
    EXPECT_FALSE(Colours(canvas).contains(ToRgb(kRed)));
}

TEST_F(RendererTest, LineWiderThanTheCanvasWraps) {
    std::string line = "wide";
    while (WidthOf(QString::fromStdString(line)) <= 1000) {
        line += " wide";
    }
    EXPECT_GE(Render(line).lines, 2);
}

// Whatever makes a line wrap as it is drawn (the margins, doubled blanks, the outline's
// spacing) is counted, and the block grows upward to draw every line.
struct WrapCase {
    const char* name;
    int leftMargin;
    bool extendBlanks;
    int outlineSpacing; // -1: no outline
};

class DrawnWrapTest : public RendererTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(DrawnWrapTest, CountsAndDrawsEveryLineThatTheDrawingWraps) {
    const WrapCase& wrap = GetParam();
    // Fits, unchanged, between margins of 0 and 50.
    std::string line = "Between";
    while (WidthOf(QString::fromStdString(line + " margins")) <= 660) {
        line += " margins";
    }
    settings.LeftMargin = 0;
    const RenderResult single = Render(line);
    ASSERT_EQ(single.lines, 1);
    settings.LeftMargin = wrap.leftMargin;
    settings.ExtendBlanks = wrap.extendBlanks;
    settings.Outline = wrap.outlineSpacing >= 0 ? 1 : 0;
    settings.OutlineSpacing = std::max(wrap.outlineSpacing, 0);
    const RenderResult result = Render(line);
    EXPECT_EQ(result.lines, 2);
    EXPECT_FALSE(result.cutOff);
    EXPECT_NEAR(result.textRect.height(), 2 * single.textRect.height(), 2);
    EXPECT_EQ(result.textRect.bottom(), 576 - 50 - 1);
    // The second line is drawn: ink from the first line's top to the last line's bottom.
    const QRect ink = Bounds(canvas, [](QRgb pixel) { return pixel == ToRgb(kYellow); });
    EXPECT_LE(ink.top(), result.textRect.top() + single.textRect.height() / 2);
    EXPECT_GE(ink.bottom(), result.textRect.bottom() - single.textRect.height() / 2);
}

INSTANTIATE_TEST_SUITE_P(Causes, DrawnWrapTest,
                         ::testing::Values(WrapCase{"Margins", 150, false, -1},
                                           WrapCase{"ExtendBlanks", 0, true, -1},
                                           WrapCase{"OutlineSpacing", 0, false, 5}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(RendererTest, TextTallerThanTheCanvasIsReportedCutOff) {
    std::string text = "Line";
    for (int i = 1; i < 20; ++i) {
        text += "\r\nLine";
    }
    const RenderResult result = Render(text);
    EXPECT_EQ(result.lines, 20);
    EXPECT_TRUE(result.cutOff);
    EXPECT_LT(result.textRect.top(), 0);
    EXPECT_EQ(InkBounds(canvas, ToQColor(kWhite)).top(), 0);
    EXPECT_FALSE(Render(texts::kTestText).cutOff);
    EXPECT_FALSE(Render("").cutOff);
}

// Only the lines that can reach the canvas are laid out: the picture and the count are those
// of the whole text.
TEST_F(RendererTest, LinesFarAboveTheCanvasAreCountedButNotLaidOut) {
    std::string all;
    std::string tail;
    for (int i = 1; i <= 5000; ++i) {
        const std::string line = (i == 1 ? "" : "\r\n") + std::string("Line ") + std::to_string(i);
        all += line;
        if (i > 4900) {
            tail += line;
        }
    }
    const RenderResult result = Render(all);
    const QImage whole = canvas;
    Render(tail.substr(2));
    EXPECT_EQ(result.lines, 5000);
    EXPECT_TRUE(result.cutOff);
    EXPECT_EQ(whole, canvas);
}

struct OffsetCase {
    bool pal;
    int verticalOffset;
};

class BlockBottomTest : public RendererTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(BlockBottomTest, BlockEndsAtTheOffsetFromTheBottom) {
    settings.PAL = GetParam().pal;
    settings.VerticalOffset = GetParam().verticalOffset;
    const int height = settings.PAL ? 576 : 480;
    const RenderResult result = Render(texts::kTestText);
    EXPECT_EQ(result.lines, 2);
    EXPECT_EQ(canvas.height(), height);
    const QRect ink = InkBounds(canvas, ToQColor(kWhite));
    EXPECT_LT(ink.bottom(), height - GetParam().verticalOffset);
    EXPECT_GE(ink.bottom(), height - GetParam().verticalOffset - 3);
}

INSTANTIATE_TEST_SUITE_P(Standards, BlockBottomTest,
                         ::testing::Values(OffsetCase{true, 50}, OffsetCase{false, 50},
                                           OffsetCase{true, 0}, OffsetCase{false, 150}));

TEST_F(RendererTest, NtscMeasuresBetweenTheMarginsToo) {
    settings.PAL = false;
    EXPECT_EQ(Render(LineBetweenMarginsAndFullWidth()).lines, 2);
}

TEST_F(RendererTest, BoxSpansTheWholeWidthWhateverTheMargins) {
    settings.Box = true;
    settings.LeftMargin = 100;
    settings.RightMargin = 100;
    const RenderResult result = Render(texts::kTestText);
    EXPECT_EQ(result.textRect.left(), 100);
    const QRect box = ColourBounds(canvas, ToQColor(kBlue));
    EXPECT_EQ(box.left(), 0);
    EXPECT_EQ(box.right(), 719);
    EXPECT_EQ(box.bottom(), 576 - 50 - 1);
    EXPECT_EQ(box.top(), result.textRect.top());
    EXPECT_EQ(canvas.pixel(0, box.top()), ToRgb(kBlue));
    EXPECT_EQ(canvas.pixel(0, box.top() - 1), ToRgb(kWhite));
    EXPECT_EQ(canvas.pixel(719, box.bottom()), ToRgb(kBlue));
    EXPECT_EQ(canvas.pixel(719, box.bottom() + 1), ToRgb(kWhite));
}

// A row through the middle of the first line has no canvas colour between its ends: the band
// fills the gaps between glyphs and words.
bool RowIsFilled(const QImage& canvas, int y) {
    const QRect row = InkBounds(canvas.copy(0, y, canvas.width(), 1), ToQColor(kWhite));
    for (int x = row.left(); x <= row.right(); ++x) {
        if (canvas.pixel(x, y) == ToRgb(kWhite)) {
            return false;
        }
    }
    return !row.isEmpty();
}

TEST_F(RendererTest, WithoutOutlineEachLineLiesOnABand) {
    Render(texts::kTestText);
    const QRect band = ColourBounds(canvas, ToQColor(kBlue));
    EXPECT_TRUE(band.contains(ColourBounds(canvas, ToQColor(kYellow))));
    EXPECT_GT(band.left(), 50); // a band, not a box
    EXPECT_LT(band.right(), 670);
    EXPECT_TRUE(RowIsFilled(canvas, band.top() + 12));
    settings.Outline = 1;
    Render(texts::kTestText);
    EXPECT_FALSE(RowIsFilled(canvas, band.top() + 12));
}

TEST_F(RendererTest, WithoutAntialiasingOnlyTheThreeColoursAppear) {
    const std::set<QRgb> three{ToRgb(kWhite), ToRgb(kBlue), ToRgb(kYellow)};
    Render(texts::kTestText);
    EXPECT_EQ(Colours(canvas), three);
    settings.Outline = 1;
    Render(texts::kTestText);
    EXPECT_EQ(Colours(canvas), three);
    settings.AntiAlias = true;
    Render(texts::kTestText);
    EXPECT_GT(Colours(canvas).size(), 3U);
}

// Every pixel next to a glyph is glyph or outline, and every outline pixel touches a glyph:
// a ring one pixel wide.
void ExpectOutlineRing(const QImage& canvas) {
    const QRgb text = ToRgb(kYellow);
    const QRgb outline = ToRgb(kBlue);
    const QRgb background = ToRgb(kWhite);
    int ring = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb pixel = canvas.pixel(x, y);
            if (pixel == background) {
                ASSERT_FALSE(HasNeighbour(canvas, x, y, text)) << x << "," << y;
            } else if (pixel == outline) {
                ASSERT_TRUE(HasNeighbour(canvas, x, y, text)) << x << "," << y;
                ++ring;
            }
        }
    }
    EXPECT_GT(ring, 100);
}

class OutlineTest : public RendererTest, public ::testing::WithParamInterface<int> {};

TEST_P(OutlineTest, RingsEveryGlyph) {
    settings.Outline = 1;
    settings.OutlineSpacing = GetParam();
    EXPECT_EQ(Render(texts::kTestText).lines, 2);
    ExpectOutlineRing(canvas);
}

INSTANTIATE_TEST_SUITE_P(Spacings, OutlineTest, ::testing::Values(0, 3, 5));

TEST_F(RendererTest, OutlineSpacingSetsTheGlyphsApart) {
    const std::string line = "spaced";
    settings.Outline = 1;
    settings.OutlineSpacing = 0;
    Render(line);
    const int narrow = ColourBounds(canvas, ToQColor(kYellow)).width();
    const int ringNarrow = ColourBounds(canvas, ToQColor(kBlue)).width();
    settings.OutlineSpacing = 3;
    Render(line);
    const int gaps = static_cast<int>(line.size()) - 1;
    EXPECT_NEAR(ColourBounds(canvas, ToQColor(kYellow)).width() - narrow, 3 * gaps, 1);
    EXPECT_NEAR(ColourBounds(canvas, ToQColor(kBlue)).width() - ringNarrow, 3 * gaps, 1);
}

TEST_F(RendererTest, ExtendBlanksWidensTheDrawingButNotTheCount) {
    const std::string text = "a b c d e f g h\r\ni j k l m n o p";
    const RenderResult plain = Render(text);
    const int width = InkBounds(canvas, ToQColor(kWhite)).width();
    settings.ExtendBlanks = true;
    const RenderResult extended = Render(text);
    EXPECT_EQ(extended.lines, plain.lines);
    EXPECT_EQ(extended.textRect, plain.textRect);
    EXPECT_NEAR(InkBounds(canvas, ToQColor(kWhite)).width() - width, 7 * WidthOf(" "), 2);
}

class ClipTest : public RendererTest, public ::testing::WithParamInterface<int> {};

// The hook of "j" reaches left of the glyph's origin, below the line's band: it must not
// leak past the left margin.
TEST_P(ClipTest, NothingIsDrawnLeftOfTheTextRectangle) {
    settings.Align = 0;
    settings.Outline = GetParam();
    const RenderResult result = Render("jjj");
    const int outlineReach = GetParam();
    EXPECT_GE(InkBounds(canvas, ToQColor(kWhite)).left(), result.textRect.left() - outlineReach);
}

INSTANTIATE_TEST_SUITE_P(OutlineOffAndOn, ClipTest, ::testing::Values(0, 1));

class AmpersandTest : public RendererTest, public ::testing::WithParamInterface<int> {};

// Made visible only by its glyph: the band is the canvas colour, so a mnemonic underline
// would show as extra pixels below the baseline.
TEST_P(AmpersandTest, AmpersandIsAnOrdinaryCharacter) {
    settings.TextBkgColor = GetParam() != 0 ? kBlue : kWhite;
    settings.Outline = GetParam();
    Render("AB");
    const QRect without = InkBounds(canvas, ToQColor(kWhite));
    Render("A&B");
    const QRect with = InkBounds(canvas, ToQColor(kWhite));
    EXPECT_EQ(with.bottom(), without.bottom());
    EXPECT_NEAR(with.width() - without.width(), WidthOf("&"), 2);
}

INSTANTIATE_TEST_SUITE_P(OutlineOffAndOn, AmpersandTest, ::testing::Values(0, 1));

struct AlignCase {
    int align;
    int expectedLeft;  // -1: not checked
    int expectedRight; // -1: not checked
    bool centred;
};

class AlignTest : public RendererTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(AlignTest, PlacesTheLineWithinTheMargins) {
    settings.Align = GetParam().align;
    settings.LeftMargin = 40;
    settings.RightMargin = 80;
    Render("Aligned");
    const QRect ink = InkBounds(canvas, ToQColor(kWhite)); // the band: exactly the line's advance
    if (GetParam().expectedLeft >= 0) {
        EXPECT_EQ(ink.left(), GetParam().expectedLeft);
    }
    if (GetParam().expectedRight >= 0) {
        EXPECT_EQ(ink.right(), GetParam().expectedRight);
    }
    if (GetParam().centred) {
        EXPECT_NEAR(ink.left() + ink.right() + 1, 40 + 640, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, AlignTest,
                         ::testing::Values(AlignCase{0, 40, -1, false}, AlignCase{1, -1, -1, true},
                                           AlignCase{2, -1, 639, false},
                                           // Stored values with more bits: centring wins.
                                           AlignCase{3, -1, -1, true}, AlignCase{7, -1, -1, true}),
                         [](const auto& test) {
                             return "Align" + std::to_string(test.param.align);
                         });

TEST_F(RendererTest, CrossingMarginsDrawNoText) {
    settings.LeftMargin = 400;
    settings.RightMargin = 400;
    settings.Box = true;
    const RenderResult result = Render(texts::kTestText);
    EXPECT_EQ(result.lines, 2);
    EXPECT_TRUE(result.cutOff);
    EXPECT_EQ(Colours(canvas), (std::set<QRgb>{ToRgb(kWhite), ToRgb(kBlue)}));
}

struct SameText {
    const char* name;
    std::string bytes;
    std::string reference; // UTF-8
};

class DecodedTextTest : public RendererTest, public ::testing::WithParamInterface<SameText> {};

TEST_P(DecodedTextTest, DrawsTheSamePicture) {
    Render(GetParam().reference);
    ASSERT_FALSE(InkBounds(canvas, ToQColor(kWhite)).isEmpty());
    const QImage expected = canvas;
    Render(GetParam().bytes);
    EXPECT_EQ(canvas, expected);
}

INSTANTIATE_TEST_SUITE_P(Encodings, DecodedTextTest,
                         ::testing::Values(SameText{"Latin1Accent", "Caf\xE9", "Caf\xC3\xA9"},
                                           SameText{"EuroSign", "5 \x80", "5 \xE2\x82\xAC"},
                                           SameText{"TypographicQuotes", "\x93Hi\x94",
                                                    "\xE2\x80\x9CHi\xE2\x80\x9D"},
                                           SameText{"TruncatedUtf8FallsBack", "\xC3", "\xC3\x83"}),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace orvo

namespace orvo {
namespace {

// A subtitle as the readers of subtitle files give it: one line of runs, and its placement.
Subtitle Styled(const std::vector<std::pair<std::string, Emphasis>>& runs, Placement placement) {
    std::vector<TextRun> line;
    for (const auto& [text, emphasis] : runs) {
        line.push_back({text, emphasis});
    }
    Subtitle subtitle;
    subtitle.lines.AddLine(line);
    subtitle.placement = placement;
    return subtitle;
}

// The mean column of the text colour's pixels in the rows from top to bottom.
double InkColumn(const QImage& image, QRgb ink, int top, int bottom) {
    double sum = 0;
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == ink) {
                sum += x;
                ++count;
            }
        }
    }
    return count > 0 ? sum / count : 0;
}

class StyledRendererTest : public RendererTest {
protected:
    RenderResult Render(const Subtitle& subtitle) {
        canvas = MakeCanvas(CanvasOf(settings));
        const SubtitleRenderer renderer(settings);
        return renderer.RenderSubtitle(settings, subtitle, canvas);
    }
};

// Italic glyphs lean: going up a row of upright strokes, their ink moves to the right.
TEST_F(StyledRendererTest, ItalicGlyphsLeanAndUprightOnesDoNot) {
    const QRgb ink = ToQColor(settings.TextColor).rgb();
    for (const Emphasis emphasis : {Emphasis::None, Emphasis::Italic}) {
        const RenderResult result = Render(Styled({{"IIIIIIII", emphasis}}, {Placement::Row::Top}));
        const QRect bounds = ColourBounds(canvas, ToQColor(settings.TextColor));
        ASSERT_FALSE(bounds.isEmpty());
        const int middle = bounds.center().y();
        const double lean = InkColumn(canvas, ink, bounds.top(), middle) -
                            InkColumn(canvas, ink, middle, bounds.bottom() + 1);
        if (emphasis == Emphasis::Italic) {
            EXPECT_GT(lean, 1.0);
        } else {
            EXPECT_LT(std::abs(lean), 0.5);
        }
        EXPECT_EQ(result.lines, 1);
    }
}

// A block at the top stands the bottom margin below the picture's top; one in the middle is
// centred; a positioned one is anchored by its alignment at the file's point.
TEST_F(StyledRendererTest, PlacedBlocksStandWhereTheFileSays) {
    settings.VerticalOffset = 30;
    const Subtitle top = Styled({{"Sign", Emphasis::None}}, {Placement::Row::Top});
    RenderResult result = Render(top);
    EXPECT_EQ(result.textRect.top(), 30);
    EXPECT_GE(InkBounds(canvas, ToQColor(settings.BkgColor)).top(), 30);
    EXPECT_FALSE(result.cutOff);

    result = Render(Styled({{"Middle", Emphasis::None}}, {Placement::Row::Middle}));
    EXPECT_NEAR(result.textRect.center().y(), canvas.height() / 2, 1);

    Placement placed{Placement::Row::Top, 0, Placement::Point{0.25, 0.5}};
    result = Render(Styled({{"Here", Emphasis::None}}, placed));
    EXPECT_EQ(result.textRect.topLeft(), QPoint(180, canvas.height() / 2));

    // Placed beyond the picture, the text is cut off and said so.
    placed.position = Placement::Point{0.5, 1.2};
    EXPECT_TRUE(Render(Styled({{"Low", Emphasis::None}}, placed)).cutOff);
}

} // namespace
} // namespace orvo

namespace orvo {
namespace {

// The run of colour that ends just left of x in row y, and the one that starts just right of
// the run of ink that starts at x.
int RunLeftOf(const QImage& image, int x, int y, QRgb colour) {
    int length = 0;
    while (x - length - 1 >= 0 && image.pixel(x - length - 1, y) == colour) {
        ++length;
    }
    return length;
}

class LegibilityTest : public RendererTest {};

// The ring is whole at every width, on light and dark pictures: beside an upright stroke it is
// exactly the width, and the antialiased glyph's edge never takes a pixel of it.
TEST_F(LegibilityTest, TheOutlineRingIsWholeAtEveryWidth) {
    settings.Outline = 1;
    settings.OutlineSpacing = 0;
    settings.Font = LOGFONT::Make("Liberation Sans", -60);
    for (const COLORREF background : {COLORREF{0x00FFFFFF}, COLORREF{0x00000000}}) {
        settings.BkgColor = background;
        for (int width = 1; width <= 4; ++width) {
            SCOPED_TRACE(testing::Message() << "width " << width << " on " << background);
            settings.OutlineWidth = width;
            settings.AntiAlias = false;
            Render("I");
            const QImage aliased = canvas;
            const QRgb text = ToQColor(settings.TextColor).rgb();
            const QRgb ring = ToQColor(settings.TextBkgColor).rgb();
            const QRect stroke = ColourBounds(aliased, ToQColor(settings.TextColor));
            ASSERT_FALSE(stroke.isEmpty());
            EXPECT_EQ(RunLeftOf(aliased, stroke.left(), stroke.center().y(), ring), width);
            EXPECT_EQ(aliased.pixel(stroke.left(), stroke.center().y()), text);

            settings.AntiAlias = true;
            Render("I");
            int replaced = 0;
            for (int y = 0; y < canvas.height(); ++y) {
                for (int x = 0; x < canvas.width(); ++x) {
                    replaced += aliased.pixel(x, y) == ring && canvas.pixel(x, y) != ring;
                }
            }
            EXPECT_EQ(replaced, 0);
        }
    }
}

// Blended over its background, the transparent drawing is the opaque one, in every layer and
// also over a canvas that held a subtitle before: only the background is left out.
TEST_F(LegibilityTest, ATransparentDrawingOverItsBackgroundIsTheOpaqueOne) {
    settings.AntiAlias = true;
    settings.Resolution = 1080;
    settings.Font = LOGFONT::Make("Liberation Sans", -56);
    for (const int outline : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "outline " << outline);
        settings.Outline = outline;
        settings.ShadowOffset = outline * 3;
        settings.Transparent = false;
        Render(texts::kTestText);
        const QImage opaque = canvas;
        settings.Transparent = true;
        const SubtitleRenderer renderer(settings);
        canvas = MakeCanvas(settings);
        const RenderResult first =
            renderer.RenderSubtitle(settings, "A taller\r\nfirst\r\none", canvas);
        const RenderResult result =
            renderer.RenderSubtitle(settings, texts::kTestText, canvas, &first.drawn);
        ASSERT_EQ(canvas.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(canvas.size(), QSize(1920, 1080));

        QImage blended = opaque.copy();
        blended.fill(ToQColor(settings.BkgColor));
        QPainter(&blended).drawImage(0, 0, canvas);
        int differing = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QRgb want = opaque.pixel(x, y);
                const QRgb got = blended.pixel(x, y);
                differing += std::abs(qRed(want) - qRed(got)) > 2 ||
                             std::abs(qGreen(want) - qGreen(got)) > 2 ||
                             std::abs(qBlue(want) - qBlue(got)) > 2;
                if (y < result.drawn.top || y >= result.drawn.bottom) {
                    ASSERT_EQ(canvas.pixel(x, y), 0u) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(Colours(canvas).size(), 4u);
    }
}

// The shadow is the glyphs again in the text background colour, the offset down and right.
TEST_F(LegibilityTest, TheShadowFollowsTheGlyphsAtItsOffset) {
    settings.Font = LOGFONT::Make("Liberation Sans", -40);
    const QRect glyphs = (Render("Shade"), ColourBounds(canvas, ToQColor(settings.TextColor)));
    for (int offset = 1; offset <= 4; ++offset) {
        settings.ShadowOffset = offset;
        const RenderResult result = Render("Shade");
        EXPECT_EQ(ColourBounds(canvas, ToQColor(settings.TextColor)), glyphs);
        // Where the glyphs cover it, the shadow does not show: its far edges do.
        const QRect shadow = ColourBounds(canvas, ToQColor(settings.TextBkgColor));
        EXPECT_EQ(shadow.bottomRight(), glyphs.bottomRight() + QPoint(offset, offset)) << offset;
        EXPECT_EQ(shadow.top(), glyphs.top() + offset) << offset;
        EXPECT_GE(result.drawn.bottom, glyphs.bottom() + offset + 1);
    }
}

} // namespace
} // namespace orvo

namespace orvo {
namespace {

// A line that would wrap breaks where both lines are about as wide, the lower not shorter.
TEST_F(LegibilityTest, BalancedBreaksMakeTwoLinesOfAboutOneWidth) {
    const std::string line = "A short start and then a much longer rest that runs on past the edge";
    const QColor ink = ToQColor(settings.TextColor);
    const auto lineWidths = [&] {
        const QRect block = ColourBounds(canvas, ink);
        const int middle = block.center().y();
        return std::pair{
            ColourBounds(canvas.copy(0, 0, canvas.width(), middle), ink).width(),
            ColourBounds(canvas.copy(0, middle, canvas.width(), canvas.height() - middle), ink)
                .width()};
    };
    EXPECT_EQ(Render(line).lines, 2);
    const auto [greedyUpper, greedyLower] = lineWidths();
    EXPECT_GT(greedyUpper - greedyLower, 200);
    settings.BalancedBreaks = true;
    EXPECT_EQ(Render(line).lines, 2);
    const auto [upper, lower] = lineWidths();
    EXPECT_GE(lower, upper);
    // They differ by less than two words: the break falls on the blank nearest the middle.
    EXPECT_LT(lower - upper, 120);
}

// Anamorphic text is a quarter narrower and as tall.
TEST_F(LegibilityTest, AnamorphicTextIsAQuarterNarrower) {
    const QColor ink = ToQColor(settings.TextColor);
    Render("Widescreen");
    const QRect normal = ColourBounds(canvas, ink);
    settings.Anamorphic = true;
    Render("Widescreen");
    const QRect narrow = ColourBounds(canvas, ink);
    EXPECT_NEAR(narrow.width(), normal.width() * 0.75, normal.width() * 0.05);
    EXPECT_EQ(narrow.height(), normal.height());

    // HD pixels are square: no player widens the picture, so the text keeps its shape.
    settings.Resolution = 1080;
    settings.Anamorphic = false;
    Render("Widescreen");
    const QImage square = canvas;
    settings.Anamorphic = true;
    Render("Widescreen");
    EXPECT_EQ(canvas, square);
}

} // namespace
} // namespace orvo

namespace orvo {
namespace {

// The four DVD colours stay four with everything on: the ring and the shadow are the text
// background's, and italic edges the shade's.
TEST_F(StyledRendererTest, TheDvdColoursStayFourWithTheRingTheShadowAndItalics) {
    settings.AntiAlias = true;
    settings.DvdColors = true;
    settings.Outline = 1;
    settings.OutlineWidth = 3;
    settings.ShadowOffset = 2;
    Render(
        Styled({{"Sung ", Emphasis::Italic}, {"and said", Emphasis::Bold}}, {Placement::Row::Top}));
    EXPECT_LE(testsupport::Colours(canvas).size(), 4u);
}

} // namespace
} // namespace orvo
