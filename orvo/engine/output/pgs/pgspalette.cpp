#include "output/pgs/pgspalette.h"

#include <algorithm>
#include <cmath>

namespace orvo {
namespace {

// The weights of red and blue in the luma; green takes the rest.
struct LumaWeights {
    double kr;
    double kb;
};

constexpr LumaWeights kBt601{0.299, 0.114};
constexpr LumaWeights kBt709{0.2126, 0.0722};
// The tallest picture that standard-definition players decode as BT.601.
constexpr int kStandardDefinitionLines = 576;

std::uint8_t Quantised(double value, double low, double high) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, low, high)));
}

} // namespace

PgsPaletteEntry PgsColour(std::uint8_t index, QRgb colour, int videoHeight) {
    const LumaWeights w = videoHeight > kStandardDefinitionLines ? kBt709 : kBt601;
    const double r = qRed(colour) / 255.0;
    const double g = qGreen(colour) / 255.0;
    const double b = qBlue(colour) / 255.0;
    const double luma = w.kr * r + (1.0 - w.kr - w.kb) * g + w.kb * b;
    const double blueDifference = (b - luma) / (2.0 * (1.0 - w.kb));
    const double redDifference = (r - luma) / (2.0 * (1.0 - w.kr));
    return {index, Quantised(16.0 + 219.0 * luma, 16.0, 235.0),
            Quantised(128.0 + 224.0 * redDifference, 16.0, 240.0),
            Quantised(128.0 + 224.0 * blueDifference, 16.0, 240.0),
            static_cast<std::uint8_t>(qAlpha(colour))};
}

} // namespace orvo
