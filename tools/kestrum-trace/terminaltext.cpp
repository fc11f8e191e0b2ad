#include "kestrum-trace/terminaltext.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kestrum::tool {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 at 0x80..0x9F; the five unassigned bytes stand for themselves and so end up
// replaced as control characters.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Bytes in a UTF-8 sequence that starts with lead; 0 for a byte that cannot start one.
int SequenceLength(std::uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xC2) {
        return 0;
    }
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
}

// The code points of bytes read as UTF-8; empty when they are not valid UTF-8 (overlong forms,
// surrogates and values beyond U+10FFFF included).
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view bytes) {
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        const int length = SequenceLength(lead);
        if (length == 0 || i + static_cast<std::size_t>(length) > bytes.size()) {
            return std::nullopt;
        }
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) {
            return std::nullopt;
        }
        points.push_back(point);
        i += static_cast<std::size_t>(length);
    }
    return points;
}

std::vector<char32_t> DecodeWindows1252(std::string_view bytes) {
    std::vector<char32_t> points;
    for (const char byte : bytes) {
        const auto value = static_cast<std::uint8_t>(byte);
        points.push_back(value >= 0x80 && value < 0xA0 ? kWindows1252High[value - 0x80] : value);
    }
    return points;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

bool IsControl(char32_t point) {
    return (point < 0x20 && point != '\t' && point != '\n') || (point >= 0x7F && point < 0xA0);
}

} // namespace

std::string TerminalText(std::string_view bytes) {
    auto utf8 = DecodeUtf8(bytes);
    const std::vector<char32_t> points = utf8 ? std::move(*utf8) : DecodeWindows1252(bytes);
    std::string out;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i] == '\r' && i + 1 < points.size() && points[i + 1] == '\n') {
            continue;
        }
        AppendUtf8(out, IsControl(points[i]) ? kReplacement : points[i]);
    }
    return out;
}

} // namespace kestrum::tool
