#include "kestrum-widgets/common/textcodec.h"

#include <QByteArrayView>
#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>

namespace kestrum {

namespace {

// Windows-1252 differs from Latin-1 in 0x80-0x9F only. Its five undefined bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the Latin-1 control points, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
constexpr unsigned kRangeStart = 0x80;
constexpr unsigned kRangeEnd = 0xA0;

std::optional<QString> DecodeUtf8(std::string_view bytes) {
    // Stateless: a sequence cut off at the end is an error, not a wait for more bytes.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

QString DecodeWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(QChar(code >= kRangeStart && code < kRangeEnd
                              ? kControlRange[code - kRangeStart]
                              : char16_t(code)));
    }
    return text;
}

std::optional<char> EncodeWindows1252(char32_t codePoint) {
    if (codePoint < kRangeStart || (codePoint >= kRangeEnd && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    const auto* found = std::find(kControlRange.begin(), kControlRange.end(), codePoint);
    if (found == kControlRange.end()) {
        return std::nullopt;
    }
    return static_cast<char>(kRangeStart + (found - kControlRange.begin()));
}

// None when a character has no byte and there is no replacement for it.
std::optional<std::string> EncodeWindows1252(const QString& text, std::optional<char> replacement) {
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
    if (std::optional<QString> text = DecodeUtf8(bytes)) {
        return *text;
    }
    return DecodeWindows1252(bytes);
}

std::string EncodeLike(const QString& text, std::string_view previous) {
    if (!DecodeUtf8(previous)) {
        if (std::optional<std::string> bytes = EncodeWindows1252(text, std::nullopt)) {
            return *bytes;
        }
    }
    return text.toStdString();
}

std::string EncodeWindows1252(const QString& text) {
    return *EncodeWindows1252(text, '?');
}

} // namespace kestrum
