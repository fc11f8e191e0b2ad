#pragma once

#include "output/outputformat.h"

namespace orvo {

// spumux: for the DVD authoring tool, one palette PNG NAME.N.png per subtitle in the four DVD
// colours, cropped to the text, and the control file LIST.xml with their times.
extern const OutputFormat kSpumuxFormat;

} // namespace orvo
