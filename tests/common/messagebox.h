#pragma once

#include <QMessageBox>
#include <QString>

namespace testsupport {

// What a message box said.
struct Message {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

inline Message Read(const QMessageBox& box) {
    return {box.windowTitle(), box.text(), box.icon()};
}

} // namespace testsupport
