#include "kestrum/util/textcodec.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrum {

namespace {

constexpr char32_t kFirstTableByte = 0x80;
constexpr char32_t kFirstLatin1Byte = 0xA0;

// Where Windows-1252 departs from Latin-1.
constexpr std::array<char32_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

// Bytes in a UTF-8 sequence that starts with lead; 0 for a byte that cannot start one.
std::size_t SequenceLength(std::uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xC2) {
        return 0;
    }
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
}

} // namespace

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
    constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    std::u32string points;
    points.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        const std::size_t length = SequenceLength(lead);
        if (length == 0 || length > bytes.size() - i) {
            return std::nullopt;
        }
        char32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (next & 0x3Fu);
        }
        if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) {
            return std::nullopt;
        }
        points.push_back(point);
        i += length;
    }
    return points;
}

std::u32string DecodeWindows1252(std::string_view bytes) {
    std::u32string points(bytes.size(), U'\0');
    std::transform(bytes.begin(), bytes.end(), points.begin(), [](char byte) -> char32_t {
        const auto value = static_cast<std::uint8_t>(byte);
        return value >= kFirstTableByte && value < kFirstLatin1Byte
                   ? kHighTable[value - kFirstTableByte]
                   : value;
    });
    return points;
}

std::u32string DecodeCodePoints(std::string_view bytes) {
    if (auto points = DecodeUtf8(bytes)) {
        return std::move(*points);
    }
    return DecodeWindows1252(bytes);
}

std::optional<char> EncodeWindows1252(char32_t codePoint) {
    if (codePoint < kFirstTableByte || (codePoint >= kFirstLatin1Byte && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    const auto found = std::find(kHighTable.begin(), kHighTable.end(), codePoint);
    if (found == kHighTable.end()) {
        return std::nullopt;
    }
    return static_cast<char>(kFirstTableByte + (found - kHighTable.begin()));
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(littleEndian ? first | second << 8 : first << 8 | second);
    };
    const auto isHigh = [](char32_t code) { return code >= 0xD800 && code < 0xDC00; };
    const auto isLow = [](char32_t code) { return code >= 0xDC00 && code < 0xE000; };
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        char32_t code = unit(at);
        if (isHigh(code) && at + 3 < bytes.size() && isLow(unit(at + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (isHigh(code) || isLow(code)) {
            code = kReplacement;
        }
        AppendUtf8(text, code);
    }
    if (at < bytes.size()) {
        AppendUtf8(text, kReplacement);
    }
    return text;
}

} // namespace kestrum
