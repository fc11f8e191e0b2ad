#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace orvo {

// Subtitle and property texts keep their bytes; only for drawing are they decoded: as UTF-8
// when they are valid UTF-8, otherwise as Windows-1252.
QString DecodeText(std::string_view bytes);

// Font face names are stored in Windows-1252 whatever their bytes look like. Characters that
// Windows-1252 cannot hold become "?".
QString DecodeWindows1252(std::string_view bytes);
std::string EncodeWindows1252(const QString& text);

} // namespace orvo
