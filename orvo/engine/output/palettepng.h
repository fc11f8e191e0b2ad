#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// The part of an 8-bit indexed picture within bounds as a PNG file of bitDepth bits a pixel (2
// or 8): a palette image of colours, whose entries that are not opaque keep their alpha. Empty
// when bounds does not lie within the picture, a pixel would not fit the depth or the picture
// cannot be encoded.
std::vector<std::uint8_t> EncodePalettePng(const QImage& indexed, const QRect& bounds,
                                           std::span<const QRgb> colours, int bitDepth);

} // namespace orvo
