#pragma once

#include "commandline.h"

#include <ostream>

namespace orvo {

// Exit statuses of the command line.
// When several apply, the first of stopped, failed, cut off, wrapped.
constexpr int kExitFinished = 0;
constexpr int kExitFailed = 1; // nothing or not everything could be read or written
constexpr int kExitUsage = 2;
// Finished, with something to look at: subtitles that needed more lines than given, timecode
// warnings, or damage the reader of a subtitle file got past.
constexpr int kExitWrapped = 3;
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

// Writes the list a batch run of the subtitle file would use to options.outputPath, or to out
// without one: 0, 3 when the reader or the timecode checks warned (on err), 1 when the file
// could not be read or the list not written. Never writes over the subtitle file.
int RunConvert(const BatchOptions& options, std::ostream& out, std::ostream& err);

} // namespace orvo
