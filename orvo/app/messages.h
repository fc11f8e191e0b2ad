#pragma once

#include <QMessageBox>
#include <QString>

#include <string_view>

namespace orvo {

// The title of the program's message boxes.
inline constexpr const char* kMessageTitle = "Orvo";

// Stored or fixed text bytes for a label or message: decoded, and CR LF shown as one line
// break.
QString DisplayText(std::string_view bytes);

// A modal message box with the program's title; the button that closed it.
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        std::string_view text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace orvo
