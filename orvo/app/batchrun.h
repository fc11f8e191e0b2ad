#pragma once

#include "commandline.h"

#include <ostream>

namespace orvo {

// Exit statuses of the command line.
// When several apply, the first of stopped, failed, cut off, wrapped.
constexpr int kExitFinished = 0;
constexpr int kExitFailed = 1; // nothing or not everything could be read or written
constexpr int kExitUsage = 2;
constexpr int kExitWrapped = 3;   // finished; some subtitles needed more lines than given
constexpr int kExitCutOff = 4;    // finished; some text did not fit on the picture
constexpr int kExitStopped = 130; // Ctrl+C, as shells report a program ended by SIGINT

// While it lives, Qt's remark that no runtime folder is set (made by the platform start-up on
// every run when XDG_RUNTIME_DIR is unset, as for root) is not printed: a batch run uses no
// runtime folder, and prints only what the user caused. Every other message passes.
class RuntimeFolderRemarkFilter {
public:
    RuntimeFolderRemarkFilter();
    ~RuntimeFolderRemarkFilter();
    RuntimeFolderRemarkFilter(const RuntimeFolderRemarkFilter&) = delete;
    RuntimeFolderRemarkFilter& operator=(const RuntimeFolderRemarkFilter&) = delete;
};

// Loads the list and the settings, then does what Start in the Process dialog does. Needs a
// QGuiApplication for drawing; never opens a window.
int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

} // namespace orvo
