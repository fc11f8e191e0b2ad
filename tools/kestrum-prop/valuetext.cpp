#include "valuetext.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/util/textnotation.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace kestrum::tool {
namespace {

// Indexed by type code.
constexpr std::array<std::string_view, 6> kKindNames{"int",  "float", "string",
                                                     "bool", "blob",  "obj"};

// The type code's class must be the one the library reads that kind from; anything else is a
// value that no read answers.
bool CanCarry(const CProp& prop, int type) {
    switch (type) {
    case kPropInt:
    case kPropFloat:
    case kPropBool:
        return dynamic_cast<const CWordProp*>(&prop) != nullptr;
    case kPropString:
        return dynamic_cast<const CStringProp*>(&prop) != nullptr;
    case kPropBlob:
        return dynamic_cast<const CBlobProp*>(&prop) != nullptr;
    case kPropObj:
        return dynamic_cast<const CObjProp*>(&prop) != nullptr;
    default:
        return false;
    }
}

// The payload of a value whose class carries its type code.
std::string FormatPayload(const CProp& prop) {
    switch (prop.m_nType) {
    case kPropInt:
    case kPropBool:
        return std::to_string(static_cast<const CWordProp&>(prop).GetInt());
    case kPropFloat:
        return FormatFloat(static_cast<const CWordProp&>(prop).GetFloat());
    case kPropString:
        return Escape(static_cast<const CStringProp&>(prop).m_value);
    case kPropBlob: {
        const auto& blob = static_cast<const CBlobProp&>(prop);
        return ToHex(std::span(blob.m_data.get(), blob.m_size));
    }
    default:
        return "-";
    }
}

template <class T>
std::optional<TypedValue> Typed(std::optional<T> value) {
    if (!value) {
        return std::nullopt;
    }
    return TypedValue(std::move(*value));
}

} // namespace

std::string FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::optional<float> ParseFloat(std::string_view text) {
    const std::string terminated(text);
    char* end = nullptr;
    const float value = std::strtof(terminated.c_str(), &end);
    if (terminated.empty() || end != terminated.c_str() + terminated.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseKind(std::string_view name) {
    const auto it = std::find(kKindNames.begin(), kKindNames.end(), name);
    if (it == kKindNames.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - kKindNames.begin());
}

ValueText Describe(const CProp& prop) {
    if (!CanCarry(prop, prop.m_nType)) {
        return {std::to_string(prop.m_nType), "-"};
    }
    return {std::string(kKindNames[static_cast<std::size_t>(prop.m_nType)]), FormatPayload(prop)};
}

std::optional<TypedValue> ParseValue(int type, std::string_view text) {
    switch (type) {
    case kPropInt:
        return Typed(ParseInt(text));
    case kPropFloat:
        return Typed(ParseFloat(text));
    case kPropString:
        return Typed(Unescape(text));
    case kPropBool: {
        const auto word = ParseInt(text);
        return word ? std::optional<TypedValue>(BoolValue{*word}) : std::nullopt;
    }
    case kPropBlob:
        return Typed(ParseHex(text));
    default:
        return std::nullopt;
    }
}

} // namespace kestrum::tool
