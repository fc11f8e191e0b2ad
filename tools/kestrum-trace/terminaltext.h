#pragma once

#include <string>
#include <string_view>

namespace kestrum::tool {

// Trace texts arrive as bytes: UTF-8 when they are valid UTF-8, otherwise Windows-1252, the code
// page of programs written for the system the messages come from. The result is UTF-8 for the
// terminal, with CR LF as a line feed and every other control character but tab and line feed
// shown as U+FFFD, so that a message cannot move the cursor or change the terminal's state.
std::string TerminalText(std::string_view bytes);

} // namespace kestrum::tool
