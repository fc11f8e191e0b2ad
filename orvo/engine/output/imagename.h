#pragma once

#include "output/outputtype.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvo {

// The image name is the one stored text that becomes part of an output path: the bitmaps are
// "NAME.N.bmp" in the list's folder, and the name stands on a line of the script file. A name
// that could leave that folder, hide the files or break a script line is refused.

// Why name cannot be an image name ("it contains a slash", ...); nothing when it can.
std::optional<std::string> ImageNameProblem(const std::string& name);

// The same for a run of type, which needs a name only where it writes image files.
std::optional<std::string> ImageNameProblem(OutputType type, const std::string& name);

// The whole message for a refused name: "The image name "NAME" is refused: REASON." with
// control bytes shown as escapes, so that the message itself stays on one line.
std::string ImageNameRefusal(const std::string& name, const std::string& problem);

// "NAME.N.EXT", the file of image number in the list's folder, as every run names its images
// and every listing file lists them.
std::string ImageFileTitle(const std::string& name, int number, std::string_view extension);

// The name a run of type takes when none is given or stored: its format's default, or the
// list's own name without its extension ("film" for film.txt), "OutputImg" where that name
// would be refused.
std::string DefaultImageName(OutputType type, const std::string& listPath);

} // namespace orvo
