#pragma once

#include <QChar>
#include <QFontMetricsF>
#include <QString>

namespace orvo {

// text with each line that would wrap into two broken where both halves are about as wide,
// the lower one not shorter: at the blank that gives the least difference of the two with
// both within width. A line that fits stays; one that needs three lines or more keeps the
// wrapping of the text drawing. Lines end at separator.
QString BalancedLines(const QString& text, const QFontMetricsF& metrics, qreal width,
                      QChar separator = QLatin1Char('\n'));

} // namespace orvo
