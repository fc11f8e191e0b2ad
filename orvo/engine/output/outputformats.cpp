#include "output/outputformat.h"

#include "output/bdn/bdnformat.h"
#include "output/dvd1/dvd1format.h"
#include "output/pgs/pgsformat.h"
#include "output/spumux/spumuxformat.h"
#include "output/vobsub/vobsubformat.h"

#include <algorithm>
#include <array>

namespace orvo {
namespace {

// Every type the program writes, by stored number: a new type is a folder under output/ and a
// line here. The window's box, --output-type and --help list them in this order.
constexpr std::array<const OutputFormat*, 5> kFormats{
    &kDvd1Format, &kSpumuxFormat, &kVobSubFormat, &kPgsFormat, &kBdnFormat,
};

} // namespace

std::span<const OutputFormat* const> OutputFormats() {
    return kFormats;
}

const OutputFormat& FormatOf(OutputType type) {
    const auto found =
        std::find_if(kFormats.begin(), kFormats.end(),
                     [type](const OutputFormat* format) { return format->type == type; });
    return found != kFormats.end() ? **found : kDvd1Format;
}

std::optional<OutputType> FindOutputType(std::string_view name) {
    for (const OutputFormat* format : kFormats) {
        if (format->name == name) {
            return format->type;
        }
    }
    return std::nullopt;
}

std::string OutputTypeNames() {
    std::string names;
    for (const OutputFormat* format : kFormats) {
        names += (names.empty() ? "" : ", ") + std::string(format->name);
    }
    return names;
}

} // namespace orvo
