#include "output/xmltext.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace orvo {

std::string EscapeXmlAttribute(std::string_view text) {
    // A raw tab or line break in an attribute is read back as a space: they go as references.
    static constexpr std::pair<char, std::string_view> kReferences[] = {
        {'&', "&amp;"},   {'<', "&lt;"},  {'>', "&gt;"},   {'"', "&quot;"},
        {'\'', "&apos;"}, {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"},
    };
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto* reference = std::find_if(std::begin(kReferences), std::end(kReferences),
                                             [c](const auto& entry) { return entry.first == c; });
        if (reference == std::end(kReferences)) {
            escaped += c;
        } else {
            escaped += reference->second;
        }
    }
    return escaped;
}

} // namespace orvo
