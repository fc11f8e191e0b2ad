#pragma once

#include "output/outputformat.h"

namespace orvo {

// DVD-1: the script file LIST.sst, which a DVD subtitle authoring tool imports, and one 4-bit
// run-length encoded bitmap NAME.N.bmp per subtitle, in the 16 standard colours.
extern const OutputFormat kDvd1Format;

} // namespace orvo
