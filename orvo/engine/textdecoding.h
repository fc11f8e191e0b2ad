#pragma once

#include <QString>

#include <string_view>

namespace orvo {

// Subtitle and property texts keep their bytes; only for drawing are they decoded: as UTF-8
// when they are valid UTF-8, otherwise as Windows-1252.
QString DecodeText(std::string_view bytes);

} // namespace orvo
