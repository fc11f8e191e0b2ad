#include "spumuxtestsupport.h"

#include <QStandardPaths>

namespace orvo::spumuxtest {
namespace {

void FillClass(QImage& image, const QRect& area, uchar index) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* line = image.scanLine(y);
        std::fill(line + area.left(), line + area.right() + 1, index);
    }
}

} // namespace

Subpicture BandSubpicture(bool pal, const QRect& band, std::int64_t startMicroseconds,
                          std::int64_t endMicroseconds) {
    QImage classes(720, pal ? 576 : 480, QImage::Format_Indexed8);
    classes.setColorCount(4);
    classes.fill(0);
    FillClass(classes, band, 1);
    const QRect text = band.adjusted(8, 8, -8, -8);
    FillClass(classes, text.adjusted(-1, -1, 1, 1), 3);
    FillClass(classes, text, 2);
    return {classes, kColours, startMicroseconds, endMicroseconds};
}

std::string FindProgram(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name)).toStdString();
}

} // namespace orvo::spumuxtest
