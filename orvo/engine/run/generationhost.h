#pragma once

#include <string>

namespace orvo {

// What a run needs of the program that drives it: the window or the command line.
class GenerationHost {
public:
    virtual ~GenerationHost();

    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual void SetProgressPos(int position) = 0;
    virtual bool IsTestMode() const = 0;
    // The Escape key's state now, not a queued press.
    virtual bool IsEscapeDown() = 0;
    // Yes/No; true goes on.
    virtual bool AskContinue(const std::string& question) = 0;
    // A subtitle that needed more lines than the list gave, as soon as it is found.
    virtual void WrappedFound(const std::string& fileTitle) = 0;
    // A file of the run that could not be written; the run goes on.
    virtual void WriteFailed(const std::string& fileName, const std::string& error) = 0;
    virtual void ShowErrorLog(const std::string& message, const std::string& log) = 0;
    // Something the run goes on with but the user should know at once (images it replaces that
    // another list names); the Error Log lists it again at the end.
    virtual void Warn(const std::string& text) = 0;
    // Something the user must know at the end of the run (how far a stopped run came), or why
    // a run could not start.
    virtual void ShowNote(const std::string& text) = 0;
    // The canvas holds a new picture (each subtitle, then the test text again).
    virtual void CanvasChanged() = 0;
    // Whether the canvas is shown during a run: the subtitles drawn on other threads are then
    // copied to it.
    virtual bool ShowsCanvas() const { return true; }
};

} // namespace orvo
