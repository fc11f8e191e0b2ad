#pragma once

#include "run/generationrun.h"

#include <QRect>

#include <string>
#include <vector>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QWidget;

namespace orvo {

class EscapeKeyState;

// Drives a run from the main window: the status line, the progress bar and the preview follow
// each subtitle, the test-mode button decides whether bitmaps are written, and the Escape key
// asks whether to go on.
class WindowHost : public GenerationHost {
public:
    struct Controls {
        QWidget* window;
        QLabel* statusLine;
        QProgressBar* progressBar;
        const QAbstractButton* testMode;
        QRect preview; // repainted in the window whenever the canvas changes
    };

    WindowHost(const Controls& controls, const EscapeKeyState& escape);

    void SetStatus(const std::string& text) override;
    void SetProgressRange(int maximum) override;
    void StepProgress() override;
    void SetProgressPos(int position) override;
    bool IsTestMode() const override;
    bool IsEscapeDown() override;
    bool AskContinue(const std::string& question) override;
    // The Error Log lists them when the run ends.
    void WrappedFound(const std::string&) override {}
    void WriteFailed(const std::string& fileName, const std::string& error) override;
    void ShowErrorLog(const std::string& message, const std::string& log) override;
    void ShowNote(const std::string& text) override;
    // The window is busy with the run: the Error Log at its end tells it.
    void Warn(const std::string& /*text*/) override {}
    void CanvasChanged() override;

    // "FILE: ERROR" for every file that could not be written, in order.
    const std::vector<std::string>& GetWriteFailures() const { return m_failures; }

private:
    Controls m_controls;
    const EscapeKeyState& m_escape;
    std::vector<std::string> m_failures;
};

} // namespace orvo
