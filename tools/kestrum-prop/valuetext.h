#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrum {
class CProp;
}

// The text forms of property values on the command line: one value is always one field of one
// line, so that dumps can be split at tabs and newlines by any script. Texts and blobs take the
// notation of kestrum/util/textnotation.h.
namespace kestrum::tool {

// "%.9g": enough digits to give back every finite float bit for bit.
std::string FormatFloat(float value);
// Whatever strtof takes to its end; a value beyond the float range becomes an infinity, as
// strtof gives it.
std::optional<float> ParseFloat(std::string_view text);
// Decimal, optional minus sign, the full 32-bit range, nothing else.
std::optional<std::int32_t> ParseInt(std::string_view text);

// The type code of a kind name ("int", "float", "string", "bool", "blob", "obj").
std::optional<int> ParseKind(std::string_view name);

// A value as dump shows it. A type code outside 0..5, or one that the value's class cannot
// carry (which the library therefore never answers a read from), shows its decimal code as
// the kind and "-" as the value, just as an object value shows "-".
struct ValueText {
    std::string kind;
    std::string value;
};
ValueText Describe(const CProp& prop);

// A boolean keeps the 32-bit word it was given: 2 stays 2.
struct BoolValue {
    std::int32_t word;
};
// A value to be written, parsed from a KIND and VALUE argument.
using TypedValue =
    std::variant<std::int32_t, float, std::string, BoolValue, std::vector<std::uint8_t>>;
// Empty when the text is no value of the kind with that type code, or the kind cannot be
// written from text (obj).
std::optional<TypedValue> ParseValue(int type, std::string_view text);

} // namespace kestrum::tool
