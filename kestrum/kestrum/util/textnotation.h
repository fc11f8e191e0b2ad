#pragma once

#include <kestrum/kestrum_export.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Stored bytes written on one line of a shell command or a script's output: texts with
// backslash escapes, blobs in hex. kestrum-prop reads and prints values so, and programs
// take texts so on their command lines.
namespace kestrum {

// Backslash, tab, CR and LF as \\ \t \r \n; the other bytes below 0x20 and 0x7F as \xHH; every
// other byte (UTF-8 and Windows-1252 text alike) as it is.
KESTRUM_EXPORT std::string Escape(std::string_view text);
// The inverse of Escape. \xHH takes any byte and either case; any other escape, a lone
// backslash at the end or a \x without two hex digits is refused.
KESTRUM_EXPORT std::optional<std::string> Unescape(std::string_view text);

// Lower-case, two digits a byte, no separators.
KESTRUM_EXPORT std::string ToHex(std::span<const std::uint8_t> bytes);
// Either case; a last digit without its pair, or any other character, is refused.
KESTRUM_EXPORT std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text);

} // namespace kestrum
