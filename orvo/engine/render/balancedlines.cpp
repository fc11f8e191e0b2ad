#include "render/balancedlines.h"

#include <cmath>
#include <optional>

namespace orvo {
namespace {

// Where line breaks best into two, at a blank; none when it fits or needs more.
std::optional<qsizetype> BalancedBreak(QStringView line, const QFontMetricsF& metrics,
                                       qreal width) {
    if (metrics.horizontalAdvance(line.toString()) <= width) {
        return std::nullopt;
    }
    std::optional<qsizetype> best;
    qreal bestDifference = 0;
    for (qsizetype at = line.indexOf(QLatin1Char(' ')); at >= 0;
         at = line.indexOf(QLatin1Char(' '), at + 1)) {
        const qreal upper = metrics.horizontalAdvance(line.left(at).toString());
        const qreal lower = metrics.horizontalAdvance(line.mid(at + 1).toString());
        if (upper > width || lower > width || lower < upper) {
            continue;
        }
        if (!best || lower - upper < bestDifference) {
            best = at;
            bestDifference = lower - upper;
        }
    }
    return best;
}

} // namespace

QString BalancedLines(const QString& text, const QFontMetricsF& metrics, qreal width,
                      QChar separator) {
    QString balanced = text;
    qsizetype start = 0;
    while (start <= balanced.size()) {
        qsizetype end = balanced.indexOf(separator, start);
        if (end < 0) {
            end = balanced.size();
        }
        if (const auto at =
                BalancedBreak(QStringView(balanced).mid(start, end - start), metrics, width)) {
            balanced[start + *at] = separator;
        }
        start = end + 1;
    }
    return balanced;
}

} // namespace orvo
