#pragma once

#include <QMessageBox>
#include <QString>

#include <string>
#include <string_view>

namespace orvo {

// The title of the program's message boxes.
inline constexpr const char* kMessageTitle = "Orvo";

// Stored or fixed text bytes for a label or message: decoded, and CR LF shown as one line
// break.
QString DisplayText(std::string_view bytes);

// Gives a control the name that tests find it by, and its tooltip.
template <class Widget>
Widget* Named(Widget* widget, const char* name, const char* toolTip = nullptr) {
    widget->setObjectName(QString::fromLatin1(name));
    if (toolTip != nullptr) {
        widget->setToolTip(DisplayText(toolTip));
    }
    return widget;
}

// A modal message box with the program's title; the button that closed it.
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        std::string_view text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// A Yes/No question that only a deliberate answer ends: Yes, No, their mnemonics, and Enter
// for Yes. Escape, the close box and repeated presses of a key held down do nothing, so that
// a key held since before the question cannot answer it unread. True for Yes.
bool AskYesNo(QWidget* parent, std::string_view question);

// A message with the reason of a failure as a further line, when the reason is known.
std::string WithReason(std::string_view message, std::string_view reason);

} // namespace orvo
