#include "windowhost.h"

#include "cerrorlogdlg.h"
#include "escapekeystate.h"
#include "messages.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace orvo {

WindowHost::WindowHost(const Controls& controls, const EscapeKeyState& escape)
    : m_controls(controls)
    , m_escape(escape) {}

void WindowHost::SetStatus(const std::string& text) {
    m_controls.statusLine->setText(DisplayText(text));
}

void WindowHost::SetProgressRange(int maximum) {
    // A range of 0 to 0 would turn the bar into a busy indicator for an empty list.
    m_controls.progressBar->setRange(0, std::max(maximum, 1));
    m_controls.progressBar->setValue(0);
}

void WindowHost::StepProgress() {
    m_controls.progressBar->setValue(m_controls.progressBar->value() + 1);
}

void WindowHost::SetProgressPos(int position) {
    m_controls.progressBar->setValue(position);
}

bool WindowHost::IsTestMode() const {
    return m_controls.testMode->isChecked();
}

// The key events have to be delivered for the key's state to be known; the disabled window
// ignores them, and the status line and the progress bar are painted on the way.
bool WindowHost::IsEscapeDown() {
    QCoreApplication::processEvents();
    return m_escape.IsDown();
}

bool WindowHost::AskContinue(const std::string& question) {
    return AskYesNo(m_controls.window, question);
}

void WindowHost::WriteFailed(const std::string& fileName, const std::string& error) {
    m_failures.push_back(fileName + ": " + error);
    SetStatus("Cannot write " + m_failures.back());
}

void WindowHost::ShowErrorLog(const std::string& message, const std::string& log) {
    CErrorLogDlg dialog(message, log, m_controls.window);
    // It belongs to the window, which stays disabled until the run is over.
    dialog.setEnabled(true);
    dialog.exec();
}

void WindowHost::ShowNote(const std::string& text) {
    ShowMessage(m_controls.window, QMessageBox::Information, text);
}

void WindowHost::CanvasChanged() {
    m_controls.window->repaint(m_controls.preview);
}

} // namespace orvo
