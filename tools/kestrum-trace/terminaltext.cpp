#include "terminaltext.h"

#include <kestrum/util/textcodec.h>

namespace kestrum::tool {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsControl(char32_t point) {
    return (point < 0x20 && point != '\t' && point != '\n') || (point >= 0x7F && point < 0xA0);
}

} // namespace

std::string TerminalText(std::string_view bytes) {
    const std::u32string points = DecodeCodePoints(bytes);
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
