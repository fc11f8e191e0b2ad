#pragma once

#include <QString>
#include <QWidget>

namespace testsupport {

// The child control of that object name, which the test requires to exist.
template <class Control>
Control& Find(const QWidget& parent, const char* name) {
    auto* control = parent.findChild<Control*>(QString::fromLatin1(name));
    Q_ASSERT_X(control != nullptr, "Find", name);
    return *control;
}

} // namespace testsupport
