#pragma once

// Helpers of the window's Qt tests: a folder of the test's own, answering the modal dialogs a
// test opens, and list files.
#include "common/dialoganswerer.h"
#include "common/filecontent.h"
#include "common/findcontrol.h"
#include "common/imageprobes.h"
#include "common/messagebox.h"
#include "common/tempdir.h"

#include "model/rendersettings.h"

#include <kestrum/propstore/cpropdb.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

using testsupport::Colours;
using testsupport::Exists;
using testsupport::Find;
using testsupport::Message;
using testsupport::ReadText;
using testsupport::ToRgb;
using testsupport::WriteText;

// A temporary folder that is also the current folder while it lives, so that whatever the
// window writes there ("test.bmp") never lands among the user's files.
class TestFolder : public testsupport::TempDir {
    testsupport::CurrentFolder m_current{Path()};
};

// A list line: number, start, end, then one field per text line.
inline std::string ListLine(int number, const std::string& text) {
    return std::to_string(number) + "\t00:00:0" + std::to_string(number) + ":00\t00:00:0" +
           std::to_string(number) + ":12\t" + text + "\r\n";
}

// A subtitle far too wide for one line of the canvas at the default font.
inline const std::string kWideText =
    "This subtitle is much too long to fit on one line of a standard definition picture at all";

// Answers the modal dialogs that open while it lives, in the order of its steps. A step gets
// the dialog once it is shown; a dialog its step left open, or one beyond the steps, is
// rejected, so that a test that goes wrong fails instead of waiting for ever.
class DialogScript {
public:
    using Step = std::function<void(QDialog&)>;

    explicit DialogScript(std::vector<Step> steps)
        : m_steps(std::move(steps))
        , m_answerer([this](QDialog& dialog) { Answer(dialog); }) {}

    // How many dialogs came; those beyond the steps count too.
    int Count() const { return m_answerer.GetCount(); }
    int StepCount() const { return static_cast<int>(m_steps.size()); }

private:
    void Answer(QDialog& dialog) {
        const std::size_t step = m_next++;
        if (step < m_steps.size()) {
            m_steps[step](dialog);
        }
        if (dialog.isVisible()) {
            dialog.reject();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    testsupport::DialogAnswerer m_answerer;
};

// A step for a message box: records it and presses button.
inline DialogScript::Step Press(QMessageBox::StandardButton button, Message* seen = nullptr) {
    return [button, seen](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog); box != nullptr) {
            if (seen != nullptr) {
                *seen = testsupport::Read(*box);
            }
            if (QAbstractButton* pressed = box->button(button); pressed != nullptr) {
                pressed->click();
            }
        }
    };
}

} // namespace orvo::test

// A test program's main: XDG_CONFIG_HOME and XDG_RUNTIME_DIR in folders of its own before the
// application starts, so that neither the window nor Qt's own dialogs touch the user's files.
#define ORVO_WINDOW_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        setenv("QT_QPA_PLATFORM", "offscreen", 0);                                                 \
        QTemporaryDir config;                                                                      \
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);                     \
        QTemporaryDir runtime;                                                                     \
        setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);                    \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
