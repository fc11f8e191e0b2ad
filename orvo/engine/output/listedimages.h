#pragma once

#include <string>
#include <vector>

namespace orvo {

// The images a run writes: NAME.N.EXT for N from first, count of them.
struct ImageSeries {
    std::string name;
    std::string extension; // "bmp", "png"
    int first = 1;
    int count = 0;
};

// Two lists in one folder share the default image name: the second list's run would replace
// the images that the first one's script or control file names, in silence. One text per
// other listing file in folder (a script file LIST.sst or a control file LIST.xml, but
// ownListings, the run's own) that names images of the series, saying how many.
std::vector<std::string> OtherListingsOfImages(const std::string& folder,
                                               const std::vector<std::string>& ownListings,
                                               const ImageSeries& series);

} // namespace orvo
