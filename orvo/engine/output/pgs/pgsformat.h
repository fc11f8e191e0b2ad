#pragma once

#include "output/outputformat.h"

namespace orvo {

// PGS: for Blu-ray discs and Matroska files, the presentation graphics stream LIST.sup in full
// colour; no image files.
extern const OutputFormat kPgsFormat;

} // namespace orvo
