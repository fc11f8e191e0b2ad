#pragma once

#include <kestrum/kestrum_gui_export.h>

#include <QString>

#include <string>
#include <string_view>

namespace kestrum {

// Texts keep their bytes in files and databases; only for display are they decoded: as UTF-8
// when they are valid UTF-8, otherwise as Windows-1252, the code page of files written on the
// system the formats come from.
KESTRUM_GUI_EXPORT QString DecodeText(std::string_view bytes);

// The bytes to store for an edited text: Windows-1252 when the text it replaces was stored
// that way and every character fits, otherwise UTF-8. So a file keeps one encoding per value.
KESTRUM_GUI_EXPORT std::string EncodeLike(const QString& text, std::string_view previous);

// Windows-1252 bytes of text, for names that are always stored so (font faces); characters
// that Windows-1252 lacks become "?".
KESTRUM_GUI_EXPORT std::string EncodeWindows1252(const QString& text);

} // namespace kestrum
