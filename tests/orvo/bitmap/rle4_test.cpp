#include "output/dvd1/rle4.h"

#include "bitmaptestsupport.h"

#include <algorithm>
#include <random>

namespace orvo::test {
namespace {

Bytes Encoded(const Bytes& indices) {
    Bytes out;
    EncodeRle4Line(indices, out);
    return out;
}

Bytes OneColour(std::size_t width, std::uint8_t index) {
    return Bytes(width, index);
}

// Pixels in which no three in a row alternate, so that no encoded run pays.
Bytes Varied(std::size_t width) {
    Bytes indices(width);
    for (std::size_t x = 0; x < width; ++x) {
        indices[x] = static_cast<std::uint8_t>((x * 7 + 1) % 16);
    }
    return indices;
}

void ExpectDecodesTo(const Bytes& indices) {
    const Bytes line = Encoded(indices);
    Bytes stream = line;
    stream.insert(stream.end(), {0, 1});
    const Rle4Picture picture = DecodeRle4(stream, static_cast<int>(indices.size()), 1);
    ASSERT_EQ(picture.error, "");
    EXPECT_TRUE(SameBytes(picture.indices, indices));
}

Bytes EncodedOneColour(std::size_t width, std::uint8_t index) {
    Bytes out;
    EncodeRle4OneColourLine(index, width, out);
    return out;
}

// Both ways of coding a line of one colour give these bytes.
void ExpectOneColourLine(std::size_t width, std::uint8_t index, const Bytes& expected) {
    SCOPED_TRACE(::testing::Message() << width << " pixels of " << int{index});
    EXPECT_TRUE(SameBytes(Encoded(OneColour(width, index)), expected));
    EXPECT_TRUE(SameBytes(EncodedOneColour(width, index), expected));
}

TEST(EncodeRle4Line, OneColourLinesAreRunsOf255AndTheRest) {
    for (std::uint8_t index = 0; index < 16; ++index) {
        const std::uint8_t pair = index * 0x11;
        ExpectOneColourLine(720, index, {0xFF, pair, 0xFF, pair, 0xD2, pair, 0x00, 0x00});
    }
    ExpectOneColourLine(1, 9, {0x01, 0x99, 0x00, 0x00});
    ExpectOneColourLine(255, 9, {0xFF, 0x99, 0x00, 0x00});
    ExpectOneColourLine(256, 9, {0xFF, 0x99, 0x01, 0x99, 0x00, 0x00});
    ExpectOneColourLine(510, 9, {0xFF, 0x99, 0xFF, 0x99, 0x00, 0x00});
}

TEST(EncodeRle4Line, AppendsToWhatIsThere) {
    Bytes out{0xAB};
    EncodeRle4Line(OneColour(3, 1), out);
    EncodeRle4OneColourLine(2, 4, out);
    EXPECT_TRUE(SameBytes(out, Bytes{0xAB, 0x03, 0x11, 0x00, 0x00, 0x04, 0x22, 0x00, 0x00}));
}

TEST(EncodeRle4Line, TwoColourAlternationIsEncodedRuns) {
    Bytes indices(720);
    for (std::size_t x = 0; x < indices.size(); ++x) {
        indices[x] = x % 2 == 0 ? 1 : 2;
    }
    // 255 is odd, so the second run starts on the second colour.
    EXPECT_TRUE(SameBytes(Encoded(indices), Bytes{0xFF, 0x12, 0xFF, 0x21, 0xD2, 0x12, 0x00, 0x00}));
}

TEST(EncodeRle4Line, AbsoluteRunsArePaddedToEvenByteCounts) {
    const std::pair<std::size_t, Bytes> cases[] = {
        {3, {0x00, 0x03, 0x18, 0xF0}},
        {4, {0x00, 0x04, 0x18, 0xF6}},
        {5, {0x00, 0x05, 0x18, 0xF6, 0xD0, 0x00}},
        {6, {0x00, 0x06, 0x18, 0xF6, 0xD4, 0x00}},
        {7, {0x00, 0x07, 0x18, 0xF6, 0xD4, 0xB0}},
        {8, {0x00, 0x08, 0x18, 0xF6, 0xD4, 0xB2}},
    };
    for (const auto& [width, run] : cases) {
        SCOPED_TRACE(width);
        Bytes expected = run;
        expected.insert(expected.end(), {0x00, 0x00});
        EXPECT_TRUE(SameBytes(Encoded(Varied(width)), expected));
    }
}

TEST(EncodeRle4Line, VariedStretchesLongerThan255SplitIntoAbsoluteRuns) {
    const Bytes indices = Varied(300);
    const Bytes line = Encoded(indices);
    // 255 pixels in 128 bytes, then 45 pixels in 23 bytes padded to 24.
    ASSERT_EQ(line.size(), 2 + 128 + 2 + 24 + 2);
    EXPECT_EQ(line[0], 0x00);
    EXPECT_EQ(line[1], 255);
    EXPECT_EQ(line[130], 0x00);
    EXPECT_EQ(line[131], 45);
    ExpectDecodesTo(indices);
    // One pixel beyond a full absolute run goes into an encoded run of its own.
    EXPECT_EQ(Encoded(Varied(256)).size(), 2 + 128 + 2 + 2);
    ExpectDecodesTo(Varied(256));
}

TEST(EncodeRle4Line, RepeatsInsideVariedPixelsBecomeEncodedRuns) {
    Bytes indices = Varied(40);
    Bytes white(100, 15);
    indices.insert(indices.begin() + 20, white.begin(), white.end());
    const Bytes line = Encoded(indices);
    // 20 varied (12 bytes), 100 white (2), 20 varied (12), end of line (2).
    EXPECT_EQ(line.size(), 28);
    ExpectDecodesTo(indices);
}

TEST(EncodeRle4Line, EveryShortLineDecodesToItsPixels) {
    std::mt19937 random(7);
    for (std::size_t width = 1; width <= 40; ++width) {
        for (int sample = 0; sample < 50; ++sample) {
            // Few colours, so that runs and alternations of every length turn up.
            const std::uint32_t colours = 1 + random() % 4;
            Bytes indices(width);
            for (auto& index : indices) {
                index = static_cast<std::uint8_t>(random() % colours * 5);
            }
            SCOPED_TRACE(::testing::PrintToString(indices));
            ExpectDecodesTo(indices);
        }
    }
}

TEST(EncodeRle4Line, LongMixedLinesDecodeToTheirPixels) {
    const QImage canvas = RandomCanvas(720, 400, 11);
    const Bytes all = ExpectedIndices(canvas);
    for (std::size_t row = 0; row < 400; ++row) {
        SCOPED_TRACE(row);
        ExpectDecodesTo(Bytes(all.begin() + row * 720, all.begin() + (row + 1) * 720));
    }
}

TEST(EncodeRle4Line, NoiseTakesHalfAByteAPixelAndTheRunHeaders) {
    const Bytes noise = ExpectedIndices(NoiseCanvas(720, 1, 3));
    // At most three absolute runs (255, 255, 210) and the end of line.
    EXPECT_LE(Encoded(noise).size(), 130 + 130 + 108 + 2);
}

// Any valid split is acceptable, but a poor one makes every bitmap larger. Lines of one colour
// are left out: they have one encoding.
TEST(EncodeRle4Line, StaysWithinThreePercentOfTheSmallestEncoding) {
    for (const auto& [pixelSize, antialiased] : {std::pair{24, true}, {36, false}, {48, true}}) {
        const Bytes all = ExpectedIndices(TextCanvas(576, pixelSize, antialiased));
        std::size_t ours = 0;
        std::size_t smallest = 0;
        for (std::size_t row = 0; row < 576; ++row) {
            const Bytes line(all.begin() + row * 720, all.begin() + (row + 1) * 720);
            if (std::count(line.begin(), line.end(), line[0]) != 720) {
                ours += Encoded(line).size();
                smallest += SmallestRle4Line(line);
            }
        }
        ASSERT_GT(smallest, 0u);
        EXPECT_LE(ours * 100, smallest * 103)
            << "pixel size " << pixelSize << ": " << ours << " bytes, smallest " << smallest;
    }
}

} // namespace
} // namespace orvo::test
