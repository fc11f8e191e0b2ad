#include "orvo/engine/textdecoding.h"

#include <QByteArrayView>
#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <iterator>

namespace orvo {

namespace {

constexpr char32_t kFirstTableByte = 0x80;
constexpr char32_t kFirstLatin1Byte = 0xA0;

// Where Windows-1252 departs from Latin-1. The five bytes it leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) keep their Latin-1 code points, so that every byte decodes and encodes
// back to itself.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

char16_t DecodeByte(unsigned char byte) {
    if (byte >= kFirstTableByte && byte < kFirstLatin1Byte) {
        return kHighTable[byte - kFirstTableByte];
    }
    return byte;
}

char EncodeCodePoint(char32_t codePoint) {
    if (codePoint < kFirstTableByte || (codePoint >= kFirstLatin1Byte && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    const auto* found = std::find(kHighTable.begin(), kHighTable.end(), codePoint);
    if (found == kHighTable.end()) {
        return '?';
    }
    return static_cast<char>(kFirstTableByte + std::distance(kHighTable.begin(), found));
}

} // namespace

QString DecodeWindows1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [](char byte) { return QChar(DecodeByte(static_cast<unsigned char>(byte))); });
    return text;
}

std::string EncodeWindows1252(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(codePoints.size()));
    for (const uint codePoint : codePoints) {
        bytes.push_back(EncodeCodePoint(codePoint));
    }
    return bytes;
}

QString DecodeText(std::string_view bytes) {
    // Stateless, so that a sequence cut off at the end counts as an error instead of waiting
    // for more bytes.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) {
        return DecodeWindows1252(bytes);
    }
    return text;
}

} // namespace orvo
