#pragma once

#include <QIcon>

namespace orvo {

// The program's icon, with the picture drawn for each size.
QIcon ProgramIcon();

} // namespace orvo
