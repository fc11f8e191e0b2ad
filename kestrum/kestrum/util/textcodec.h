#pragma once

#include <kestrum/kestrum_export.h>

#include <optional>
#include <string>
#include <string_view>

namespace kestrum {

// Texts keep their bytes in files and databases. Where characters are needed (to draw them,
// to show them), the bytes are read as UTF-8 when they are valid UTF-8 and otherwise as
// Windows-1252, the code page of files written on the system the formats come from.

// The code points of valid UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF);
// none for anything else.
KESTRUM_EXPORT std::optional<std::u32string> DecodeUtf8(std::string_view bytes);
// Every byte is a character: the five bytes that Windows-1252 leaves undefined keep their
// Latin-1 code points, so that every byte survives a round trip.
KESTRUM_EXPORT std::u32string DecodeWindows1252(std::string_view bytes);
// UTF-8 when valid, otherwise Windows-1252.
KESTRUM_EXPORT std::u32string DecodeCodePoints(std::string_view bytes);

// The UTF-8 of UTF-16 code units, little-endian or big-endian: a pair of surrogates is one
// character, and an unpaired surrogate, like a final odd byte, becomes U+FFFD.
KESTRUM_EXPORT std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian);

// The Windows-1252 byte of a character; none when the code page has none.
KESTRUM_EXPORT std::optional<char> EncodeWindows1252(char32_t codePoint);
KESTRUM_EXPORT void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace kestrum
