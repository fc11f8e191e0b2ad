#pragma once

#include "output/dvdsubpicture.h"

#include <QRect>

#include <cstdint>
#include <vector>

namespace orvo {

// The part of the subpicture within bounds as a PNG file: a palette image of two bits a pixel
// in the four class colours whose background entry is fully transparent. Empty when bounds does
// not lie within the picture or the picture cannot be encoded.
std::vector<std::uint8_t> EncodeSubpicturePng(const Subpicture& subpicture, const QRect& bounds);

} // namespace orvo
