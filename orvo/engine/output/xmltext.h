#pragma once

#include <string>
#include <string_view>

namespace orvo {

// Text as it may stand in an XML attribute value in double quotes, or between tags.
std::string EscapeXmlAttribute(std::string_view text);

} // namespace orvo
