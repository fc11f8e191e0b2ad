#include "render/dvdcolours.h"

#include "model/texts.h"
#include "render/palette.h"

#include <kestrum-gui/colorref.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvo {

namespace {

// Red is the text's coverage; blue is full wherever the text background lies, whatever the
// text drawn over it, and follows the text's coverage on the background.
constexpr COLORREF kBackgroundKey = 0x00000000;
constexpr COLORREF kTextBackgroundKey = 0x00FF0000;
constexpr COLORREF kTextKey = 0x00FF00FF;

constexpr QRgb kBackgroundPixel = 0xFF000000u | kBackgroundKey;

constexpr int kFull = 0xFF;
constexpr int kQuarter = 0x40;

QRgb Pixel(COLORREF colour) {
    return kestrum::ToQColor(colour).rgb();
}

int Midpoint(COLORREF a, COLORREF b, int shift) {
    return (static_cast<int>(a >> shift & 0xFFu) + static_cast<int>(b >> shift & 0xFFu)) / 2;
}

} // namespace

std::optional<std::string> DvdColoursProblem(const RenderSettings& settings) {
    if (!settings.DvdColors) {
        return std::nullopt;
    }
    // Compared as drawn: a hand-edited file may set the unused top byte.
    const QRgb text = Pixel(settings.TextColor);
    const QRgb textBackground = Pixel(settings.TextBkgColor);
    const QRgb background = Pixel(settings.BkgColor);
    if (text == textBackground || text == background || textBackground == background) {
        return std::string(texts::kDvdColoursClash);
    }
    return std::nullopt;
}

std::uint32_t DvdShade(COLORREF text, COLORREF textBackground) {
    const auto midpoint = static_cast<COLORREF>(Midpoint(text, textBackground, 0) |
                                                Midpoint(text, textBackground, 8) << 8 |
                                                Midpoint(text, textBackground, 16) << 16);
    return kStandardPalette[NearestPaletteIndex(Pixel(midpoint) & 0xFFFFFFu)];
}

RenderSettings KeyedLook(const RenderSettings& settings) {
    RenderSettings keyed = settings;
    keyed.DvdColors = false;
    keyed.BkgColor = kBackgroundKey;
    keyed.TextBkgColor = kTextBackgroundKey;
    keyed.TextColor = kTextKey;
    return keyed;
}

DvdClass ClassOfKeyed(QRgb pixel, bool antiAlias) {
    const int text = qRed(pixel);
    const bool onTextBackground = qBlue(pixel) == kFull;
    if (text == kFull) {
        return DvdClass::Text;
    }
    const DvdClass under = onTextBackground ? DvdClass::TextBackground : DvdClass::Background;
    if (text == 0) {
        return under;
    }
    // The shade stands for half coverage: each edge pixel takes the nearest of none, half and
    // full, so that strokes keep the text colour where they cover most of a pixel.
    if (antiAlias && onTextBackground && text >= kQuarter && text <= kFull - kQuarter) {
        return DvdClass::Shade;
    }
    return text > kFull / 2 ? DvdClass::Text : under;
}

std::array<QRgb, 4> DvdClassColours(const RenderSettings& settings) {
    std::array<QRgb, 4> colours{};
    colours[static_cast<int>(DvdClass::Background)] = Pixel(settings.BkgColor);
    colours[static_cast<int>(DvdClass::TextBackground)] = Pixel(settings.TextBkgColor);
    colours[static_cast<int>(DvdClass::Text)] = Pixel(settings.TextColor);
    colours[static_cast<int>(DvdClass::Shade)] =
        0xFF000000u | DvdShade(settings.TextColor, settings.TextBkgColor);
    return colours;
}

namespace {

// Most of a text row is long runs of one key, which keep the class of the pixel before. put(x,
// class) is called for each pixel after it was read, so that it may write over it.
template <typename Put>
void ClassRow(const QRgb* row, int width, bool antiAlias, Put put) {
    QRgb last = kBackgroundPixel;
    auto lastClass = static_cast<std::uint8_t>(DvdClass::Background);
    for (int x = 0; x < width; ++x) {
        if (row[x] != last) {
            last = row[x];
            lastClass = static_cast<std::uint8_t>(ClassOfKeyed(last, antiAlias));
        }
        put(x, lastClass);
    }
}

// Makes classes an 8-bit picture of size that no one else holds; true when it was made anew,
// all background.
bool OwnClassPicture(QImage& classes, QSize size) {
    if (classes.size() == size && classes.format() == QImage::Format_Indexed8 &&
        classes.isDetached()) {
        return false;
    }
    classes = QImage(size, QImage::Format_Indexed8);
    classes.fill(0);
    return true;
}

} // namespace

void PaintDvdClasses(QImage& keyed, bool antiAlias, const std::array<QRgb, 4>& colours,
                     QImage* classes) {
    if (keyed.format() != QImage::Format_RGB32) {
        keyed.convertTo(QImage::Format_RGB32);
    }
    if (classes != nullptr) {
        OwnClassPicture(*classes, keyed.size());
    }
    // The size is read once: a call per pixel would cost as much as the classing itself.
    const int width = keyed.width();
    const int height = keyed.height();
    // Most rows of a subtitle hold no text: they are found and painted a row at a time by the C
    // library, which compares and copies many pixels at once.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    const std::vector<QRgb> backgroundKeys(static_cast<std::size_t>(width), kBackgroundPixel);
    const std::vector<QRgb> background(static_cast<std::size_t>(width), colours[0]);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        std::uint8_t* out = classes != nullptr ? classes->scanLine(y) : nullptr;
        if (std::memcmp(row, backgroundKeys.data(), rowBytes) == 0) {
            std::memcpy(row, background.data(), rowBytes);
            if (out != nullptr) {
                std::memset(out, 0, static_cast<std::size_t>(width));
            }
            continue;
        }
        ClassRow(row, width, antiAlias, [&](int x, std::uint8_t dvdClass) {
            row[x] = colours[dvdClass];
            if (out != nullptr) {
                out[x] = dvdClass;
            }
        });
    }
}

CanvasRows ClassifyDvdKeys(const QImage& keyed, bool antiAlias, CanvasRows rows, QImage& classes) {
    if (OwnClassPicture(classes, keyed.size())) {
        rows = {0, keyed.height()};
    }
    const auto [top, bottom] = rows.ClampedTo(keyed.height());
    const int width = keyed.width();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    const std::vector<QRgb> backgroundKeys(static_cast<std::size_t>(width), kBackgroundPixel);
    CanvasRows ink{top, top};
    for (int y = top; y < bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(keyed.constScanLine(y));
        std::uint8_t* out = classes.scanLine(y);
        if (std::memcmp(row, backgroundKeys.data(), rowBytes) == 0) {
            std::memset(out, 0, static_cast<std::size_t>(width));
            continue;
        }
        ClassRow(row, width, antiAlias, [out](int x, std::uint8_t dvdClass) { out[x] = dvdClass; });
        ink = {ink.top == ink.bottom ? y : ink.top, y + 1};
    }
    return ink;
}

} // namespace orvo
