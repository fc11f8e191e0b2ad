#pragma once

#include "run/generationrun.h"

#include <chrono>
#include <ostream>
#include <string>

namespace orvo {

// Ctrl+C stands for the Escape key: the first SIGINT only asks the run to stop after the
// current subtitle; a second one ends the program at once.
void InstallInterruptHandler();
bool IsInterrupted();

// CR LF inside a message becomes one line break on a terminal.
std::string TerminalText(std::string text);

// Drives a run from the command line: results on out, problems and the progress bar on err.
class TerminalHost : public GenerationHost {
public:
    TerminalHost(std::ostream& out, std::ostream& err, bool testMode, bool showProgress);

    void SetStatus(const std::string& text) override { m_status = text; }
    void SetProgressRange(int maximum) override;
    void StepProgress() override;
    void SetProgressPos(int position) override;
    bool IsTestMode() const override { return m_testMode; }
    bool IsEscapeDown() override { return IsInterrupted(); }
    // Nobody is there to answer: the question only comes after Ctrl+C, which means No.
    bool AskContinue(const std::string&) override { return !IsInterrupted(); }
    void WrappedFound(const std::string& fileTitle) override;
    // The first kShownWriteFailures are printed as they happen; FinishWriteFailures counts the
    // rest, so that a full disk does not bury the report under a line per bitmap.
    void WriteFailed(const std::string& fileName, const std::string& error) override;
    void ShowErrorLog(const std::string& message, const std::string& log) override;
    void ShowNote(const std::string& text) override;
    // On err at once, so that a run that would replace another list's images can be stopped.
    void Warn(const std::string& text) override;
    // A terminal has no preview to repaint.
    void CanvasChanged() override {}
    bool ShowsCanvas() const override { return false; }

    const std::string& Status() const { return m_status; }
    // "... and N more files could not be written" when more failed than were printed.
    void FinishWriteFailures();

    static constexpr int kShownWriteFailures = 10;

private:
    void DrawProgress();
    void ClearProgress();

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_testMode;
    bool m_showProgress;
    bool m_progressShown = false;
    int m_writeFailures = 0;
    int m_maximum = 0;
    int m_position = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
    std::string m_status;
};

} // namespace orvo
