#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/canvasencoder.h"
#include "output/dvd1/dib.h"
#include "output/dvd1/quantiser.h"
#include "render/subtitlerenderer.h"

#include "common/testcanvas.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvo {
namespace {

// The whole canvas captured and converted: the bitmap that SaveCanvasBitmap writes.
Dib WholeCanvas(const QImage& canvas) {
    return ChangeDibFormat(BitmapToDib(&canvas).value(), 4, 2).value();
}

std::vector<RenderSettings> Looks() {
    std::vector<RenderSettings> looks(12);
    looks[1].AntiAlias = false;
    looks[2].Outline = 1;
    looks[3].Box = true;
    looks[3].ExtendBlanks = true;
    looks[4].PAL = false;
    looks[4].Align = 0;
    looks[5].Align = 2;
    looks[5].BkgColor = 0x00000000;
    looks[6].VerticalOffset = 0; // the text reaches the bottom row
    looks[6].Box = true;
    looks[7].VerticalOffset = 540; // the text near the top, cut off when long
    looks[8].DvdColors = true;
    looks[9].DvdColors = true;
    looks[9].AntiAlias = false;
    looks[9].Outline = 1;
    looks[10].BkgColor = 0x00FF0000; // the band in the background's colour
    looks[11].BkgColor = 0x00123456; // a background between standard colours
    looks[11].Font.height = -60;
    return looks;
}

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

const std::vector<std::string> kTexts = {
    "",
    "One",
    "Two\r\nlines",
    "Caf\xc3\xa9 \xc3\x89t\xc3\xa9 \xc3\x85ngstr\xc3\xb6m, y g j q",
    "A line long enough to wrap at the default font, and then some more words to wrap twice over",
    "\t\t",
    std::string(30, '\n'),
    "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n16\r\n17",
    // Marks stacked far above and below their letters: ink beyond every line's cell.
    "a" + Repeated("\xcc\x81", 20) + "p" + Repeated("\xcc\x96", 20),
};

// One encoder per look, as a run has, meets texts of every height, the empty text included;
// each text is drawn over the one before, filling only the rows it drew, as a run draws, and
// the encoder is given those rows.
TEST(CanvasBitmapEncoder, GivesTheBytesOfTheWholeCanvasForEveryLookAndText) {
    for (const RenderSettings& look : Looks()) {
        const SubtitleRenderer renderer(look);
        CanvasBitmapEncoder encoder(kestrum::ToQColor(look.BkgColor).rgb());
        QImage canvas = MakeCanvas(CanvasOf(look));
        QImage fresh = MakeCanvas(CanvasOf(look));
        std::optional<CanvasRows> drawn;
        for (const std::string& text : kTexts) {
            drawn = renderer.RenderSubtitle(look, text, canvas, drawn ? &*drawn : nullptr).drawn;
            renderer.RenderSubtitle(look, text, fresh);
            ASSERT_EQ(canvas, fresh) << "text \"" << text << "\"";
            EXPECT_EQ(encoder.Encode(canvas, *drawn), WholeCanvas(canvas))
                << "text \"" << text << "\", background " << std::hex << look.BkgColor;
        }
    }
}

// Rows of another colour than the one the encoder was given are converted as they are, and one
// encoder takes canvases of both heights.
TEST(CanvasBitmapEncoder, CanvasesOfOtherColoursAndSizesComeOutAsTheyAre) {
    CanvasBitmapEncoder encoder(qRgb(255, 255, 255));
    QImage other(720, 576, QImage::Format_RGB32);
    other.fill(qRgb(0, 0, 128));
    const QImage noise = testsupport::NoiseCanvas(720, 480, 7);
    QImage narrow(9, 3, QImage::Format_ARGB32);
    narrow.fill(qRgb(255, 255, 255));
    narrow.setPixel(8, 1, qRgb(1, 2, 3));
    for (const QImage* canvas :
         std::initializer_list<const QImage*>{&other, &noise, &narrow, &other}) {
        EXPECT_EQ(encoder.Encode(*canvas, {0, canvas->height()}), WholeCanvas(*canvas))
            << canvas->size().height();
    }
    EXPECT_EQ(encoder.Encode(QImage(), {}), std::nullopt);
}

} // namespace
} // namespace orvo
