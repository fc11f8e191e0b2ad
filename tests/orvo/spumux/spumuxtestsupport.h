#pragma once

#include "output/spumux/spumuxwriter.h"

#include <QRect>

#include <string>

namespace orvo::spumuxtest {

// Colours by class that a test can tell apart in any picture: background, text background,
// text, shade.
constexpr DvdColourSet kColours = {0x102030, 0x000080, 0xFFFFFF, 0x808080};

// A whole frame of classes as a rendered subtitle holds them: the text background over band,
// the text inside it with a one-pixel shade around it.
Subpicture BandSubpicture(bool pal, const QRect& band, std::int64_t startMicroseconds,
                          std::int64_t endMicroseconds);

// The path of an installed program, or empty.
std::string FindProgram(const char* name);

} // namespace orvo::spumuxtest
