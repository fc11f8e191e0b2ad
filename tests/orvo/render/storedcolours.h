#pragma once

#include "model/rendersettings.h"

namespace orvo {

// Colours as a look stores them: 0x00BBGGRR, the opposite byte order of a pixel.
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kBlue = 0x00FF0000;
constexpr COLORREF kYellow = 0x0000FFFF;
constexpr COLORREF kRed = 0x000000FF;

} // namespace orvo
