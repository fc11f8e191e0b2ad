#include "terminalhost.h"

#include "model/texts.h"

#include <csignal>

namespace orvo {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// Only a flag may be touched here: nothing else is safe inside a signal handler.
extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

constexpr std::size_t kBarWidth = 30;
// Redrawing on every subtitle would cost more than drawing the subtitle.
constexpr std::chrono::milliseconds kRedrawInterval{100};

} // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool IsInterrupted() {
    return g_interrupted != 0;
}

std::string TerminalText(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

TerminalHost::TerminalHost(std::ostream& out, std::ostream& err, bool testMode, bool showProgress)
    : m_out(out)
    , m_err(err)
    , m_testMode(testMode)
    , m_showProgress(showProgress) {}

void TerminalHost::SetProgressRange(int maximum) {
    m_maximum = maximum;
    m_position = 0;
    m_start = std::chrono::steady_clock::now();
    m_lastDraw = m_start;
}

void TerminalHost::StepProgress() {
    ++m_position;
    const auto now = std::chrono::steady_clock::now();
    if (m_showProgress && (now - m_lastDraw >= kRedrawInterval || m_position == m_maximum)) {
        m_lastDraw = now;
        DrawProgress();
    }
}

void TerminalHost::SetProgressPos(int position) {
    m_position = position;
    ClearProgress();
}

void TerminalHost::WrappedFound(const std::string& fileTitle) {
    ClearProgress();
    m_out << fileTitle << std::endl;
}

void TerminalHost::WriteFailed(const std::string& fileName, const std::string& error) {
    if (++m_writeFailures <= kShownWriteFailures) {
        ClearProgress();
        m_err << "orvo: cannot write " << fileName << ": " << error << std::endl;
    }
}

void TerminalHost::FinishWriteFailures() {
    if (m_writeFailures > kShownWriteFailures) {
        m_err << "orvo: "
              << texts::Format(texts::kMoreNotWritten, m_writeFailures - kShownWriteFailures)
              << std::endl;
    }
}

void TerminalHost::Warn(const std::string& text) {
    ClearProgress();
    m_err << "orvo: " << TerminalText(text) << std::endl;
}

void TerminalHost::ShowNote(const std::string& text) {
    ClearProgress();
    m_out << TerminalText(text) << '\n';
}

void TerminalHost::ShowErrorLog(const std::string& message, const std::string& log) {
    ClearProgress();
    m_out << TerminalText(message) << '\n' << TerminalText(log) << std::flush;
}

void TerminalHost::DrawProgress() {
    const double seconds = std::chrono::duration<double>(m_lastDraw - m_start).count();
    const int rate = seconds > 0 ? static_cast<int>(m_position / seconds) : 0;
    const std::size_t filled = m_maximum > 0 ? kBarWidth * static_cast<std::size_t>(m_position) /
                                                   static_cast<std::size_t>(m_maximum)
                                             : kBarWidth;
    m_err << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] "
          << m_position << '/' << m_maximum << "  " << rate << " subtitles/s" << std::flush;
    m_progressShown = true;
}

void TerminalHost::ClearProgress() {
    if (m_progressShown) {
        // Carriage return, then erase to the end of the line.
        m_err << "\r\x1b[K" << std::flush;
        m_progressShown = false;
    }
}

} // namespace orvo
