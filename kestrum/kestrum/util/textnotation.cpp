#include "kestrum/util/textnotation.h"

namespace kestrum {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

int HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

// The byte that the two hex digits at the start of text stand for.
std::optional<std::uint8_t> ParseHexByte(std::string_view text) {
    if (text.size() < 2) {
        return std::nullopt;
    }
    const int high = HexDigitValue(text[0]);
    const int low = HexDigitValue(text[1]);
    if (high < 0 || low < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(high << 4 | low);
}

void AppendEscaped(std::string& out, std::uint8_t byte) {
    switch (byte) {
    case '\\':
        out += "\\\\";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\n':
        out += "\\n";
        return;
    default:
        break;
    }
    if (byte < 0x20 || byte == 0x7F) {
        out += "\\x";
        AppendHexByte(out, byte);
        return;
    }
    out += static_cast<char>(byte);
}

} // namespace

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        AppendEscaped(out, static_cast<std::uint8_t>(ch));
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 'x': {
            const auto byte = ParseHexByte(text.substr(i + 1));
            if (!byte) {
                return std::nullopt;
            }
            out += static_cast<char>(*byte);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        AppendHexByte(out, byte);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto byte = ParseHexByte(text.substr(i));
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(*byte);
    }
    return bytes;
}

} // namespace kestrum
