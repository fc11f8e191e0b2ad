#include "programicon.h"

#include <QDir>

namespace orvo {

QIcon ProgramIcon() {
    const QDir icons(QStringLiteral(":/orvo/icons"));
    QIcon icon;
    for (const QString& name : icons.entryList({QStringLiteral("orvo-*.png")})) {
        icon.addFile(icons.filePath(name));
    }
    return icon;
}

} // namespace orvo
