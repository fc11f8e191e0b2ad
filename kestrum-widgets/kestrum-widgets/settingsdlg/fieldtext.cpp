#include "kestrum-widgets/settingsdlg/fieldtext.h"

#include <kestrum-gui/displaytext.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace kestrum {

namespace {

// Beyond every 32-bit value, so a saturated number is always out of range.
constexpr std::int64_t kSaturation = std::int64_t{1} << 40;

bool UsesBareLineFeeds(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            return true;
        }
    }
    return false;
}

locale_t NumericC() {
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return locale;
}

} // namespace

std::int64_t ReadLeadingInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min(value * 10 + (text[i].unicode() - u'0'), kSaturation);
    }
    return negative ? -value : value;
}

double ReadLeadingFloat(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return strtod_l(bytes.constData(), nullptr, NumericC());
}

QString FieldText(std::string_view stored) {
    return DecodeText(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string StoredText(const QString& field, std::string_view previous) {
    QString text = field;
    if (!UsesBareLineFeeds(previous)) {
        text.replace(u'\n', QStringLiteral("\r\n"));
    }
    return EncodeLike(text, previous);
}

} // namespace kestrum
