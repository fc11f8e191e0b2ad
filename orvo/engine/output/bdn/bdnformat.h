#pragma once

#include "output/outputformat.h"

namespace orvo {

// BDN XML: for Blu-ray authoring, the listing LIST.xml and a full-colour PNG with alpha per
// subtitle, NAME.N.png.
extern const OutputFormat kBdnFormat;

} // namespace orvo
