#include "kestrum-gui/displaytext.h"

#include <kestrum/util/textcodec.h>

#include <QList>

#include <optional>

namespace kestrum {

namespace {

QString FromCodePoints(const std::u32string& points) {
    return QString::fromUcs4(points.data(), static_cast<qsizetype>(points.size()));
}

// None when a character has no byte and there is no replacement for it.
std::optional<std::string> ToWindows1252(const QString& text, std::optional<char> replacement) {
    std::string bytes;
    for (const char32_t codePoint : text.toUcs4()) {
        const std::optional<char> byte = EncodeWindows1252(codePoint);
        if (!byte && !replacement) {
            return std::nullopt;
        }
        bytes.push_back(byte ? *byte : *replacement);
    }
    return bytes;
}

} // namespace

QString DecodeText(std::string_view bytes) {
    return FromCodePoints(DecodeCodePoints(bytes));
}

std::string EncodeLike(const QString& text, std::string_view previous) {
    if (!DecodeUtf8(previous)) {
        if (std::optional<std::string> bytes = ToWindows1252(text, std::nullopt)) {
            return *bytes;
        }
    }
    return text.toStdString();
}

std::string EncodeWindows1252(const QString& text) {
    return *ToWindows1252(text, '?');
}

} // namespace kestrum
