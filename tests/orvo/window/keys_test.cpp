// Keys the user did not mean as input: a question that only a deliberate answer ends, and a
// key held down through a run, whose repeats reach the window that the run gives back.
#include "windowtestsupport.h"

#include "corvoapp.h"
#include "corvodlg.h"
#include "messages.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <memory>

using orvo::COrvoApp;
using orvo::COrvoDlg;
using orvo::test::DialogScript;
using orvo::test::Find;
using orvo::test::ListLine;
using orvo::test::TestFolder;
using orvo::test::WriteText;

namespace {

// A key as the keyboard sends it. time is the window system's, 0 for none.
void SendKey(QObject& to, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             bool autoRepeat, quint64 time = 0) {
    const QString text = key >= Qt::Key_A && key <= Qt::Key_Z && modifiers == Qt::NoModifier
                             ? QString(QChar(key)).toLower()
                             : QString();
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    event.setTimestamp(time);
    QCoreApplication::sendEvent(&to, &event);
}

// How a key reaches a window: pressed and released, or as the repeat of a key held down,
// which Qt either marks or, on X11 when the press comes a moment late, lets look like a release
// and a press at one and the same time.
enum class Stroke { Tap, MarkedRepeat, RepeatAtOneTime };

void Send(QObject& to, int key, Qt::KeyboardModifiers modifiers, Stroke stroke, quint64 time) {
    switch (stroke) {
    case Stroke::Tap:
        SendKey(to, QEvent::KeyPress, key, modifiers, false);
        SendKey(to, QEvent::KeyRelease, key, modifiers, false);
        break;
    case Stroke::MarkedRepeat:
        SendKey(to, QEvent::KeyRelease, key, modifiers, true, time);
        SendKey(to, QEvent::KeyPress, key, modifiers, true, time);
        break;
    case Stroke::RepeatAtOneTime:
        SendKey(to, QEvent::KeyRelease, key, modifiers, false, time);
        SendKey(to, QEvent::KeyPress, key, modifiers, false, time);
        break;
    }
}

QWidget& Focus(QWidget& window) {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? *focus : window;
}

bool AnyButtonDown(const QMessageBox& box) {
    const QList<QAbstractButton*> buttons = box.buttons();
    return std::any_of(buttons.begin(), buttons.end(),
                       [](const QAbstractButton* button) { return button->isDown(); });
}

enum class Answer { None, Yes, No };

} // namespace

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Stroke)

class KeysTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestFolder> m_folder;

private slots:
    void init() { m_folder = std::make_unique<TestFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Yes, No, their mnemonics and Enter answer; Escape, the repeats of a held key and the
    // close box leave the question open.
    void questionTakesOnlyDeliberateAnswers_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Stroke>("stroke");
        QTest::addColumn<Answer>("answer");

        const auto none = Qt::KeyboardModifiers(Qt::NoModifier);
        const auto alt = Qt::KeyboardModifiers(Qt::AltModifier);
        const Stroke tap = Stroke::Tap;
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << tap << Answer::Yes;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << none << tap << Answer::Yes;
        QTest::newRow("Y") << int(Qt::Key_Y) << none << tap << Answer::Yes;
        QTest::newRow("N") << int(Qt::Key_N) << none << tap << Answer::No;
        QTest::newRow("Alt+Y") << int(Qt::Key_Y) << alt << tap << Answer::Yes;
        QTest::newRow("Alt+N") << int(Qt::Key_N) << alt << tap << Answer::No;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << tap << Answer::None;
        QTest::newRow("the close box") << 0 << none << tap << Answer::None;
        for (const auto& [stroke, how] : {std::pair{Stroke::MarkedRepeat, "marked"},
                                          std::pair{Stroke::RepeatAtOneTime, "at one time"}}) {
            const auto row = [how](const char* key) -> QTestData& {
                return QTest::newRow(qPrintable(QString("%1 held, repeat %2").arg(key, how)));
            };
            row("Escape") << int(Qt::Key_Escape) << none << stroke << Answer::None;
            row("Enter") << int(Qt::Key_Return) << none << stroke << Answer::None;
            row("N") << int(Qt::Key_N) << none << stroke << Answer::None;
            row("Alt+N") << int(Qt::Key_N) << alt << stroke << Answer::None;
        }
    }

    void questionTakesOnlyDeliberateAnswers() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Stroke, stroke);
        QFETCH(Answer, answer);

        QMessageBox::StandardButton clicked = QMessageBox::NoButton;
        bool openAfterTheKey = false;
        DialogScript script({[&](QDialog& dialog) {
            auto& box = static_cast<QMessageBox&>(dialog);
            // Mnemonics work in the active window only.
            box.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            QCOMPARE(box.text(), QString("Go on?\n\nReally?"));
            QCOMPARE(box.defaultButton(), box.button(QMessageBox::Yes));
            connect(&box, &QMessageBox::buttonClicked, &box,
                    [&](QAbstractButton* button) { clicked = box.standardButton(button); });
            if (key == 0) {
                box.close();
            } else {
                Send(Focus(box), key, modifiers, stroke, 1000);
            }
            if (answer == Answer::None) {
                // A mnemonic shows its button down before it clicks it.
                openAfterTheKey = box.isVisible() && !AnyButtonDown(box);
            } else {
                QTRY_VERIFY(!box.isVisible());
            }
        }});
        const bool yes = orvo::AskYesNo(nullptr, "Go on?\r\n\r\nReally?");
        QCOMPARE(script.Count(), 1);
        QCOMPARE(yes, answer == Answer::Yes);
        QCOMPARE(openAfterTheKey, answer == Answer::None);
        const QMessageBox::StandardButton expected = answer == Answer::Yes  ? QMessageBox::Yes
                                                     : answer == Answer::No ? QMessageBox::No
                                                                            : QMessageBox::NoButton;
        QCOMPARE(clicked, expected);
    }

    // A key held down through a run does nothing in the window afterwards until it is
    // released: Escape would quit (losing what the run reported), Enter would start the
    // Process dialog again, F1 would open the About box. Once released, it acts again.
    void keyHeldThroughARunDoesNothingAfterIt_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Stroke>("repeat");
        for (const auto& [repeat, how] : {std::pair{Stroke::MarkedRepeat, "marked"},
                                          std::pair{Stroke::RepeatAtOneTime, "at one time"}}) {
            for (const auto& [key, name] :
                 {std::pair{int(Qt::Key_Escape), "Escape"}, std::pair{int(Qt::Key_Return), "Enter"},
                  std::pair{int(Qt::Key_F1), "F1"}}) {
                QTest::newRow(qPrintable(QString("%1, repeats %2").arg(name, how)))
                    << key << repeat;
            }
        }
    }

    void keyHeldThroughARunDoesNothingAfterIt() {
        QFETCH(int, key);
        QFETCH(Stroke, repeat);

        const std::string list = m_folder->File("film.txt");
        WriteText(list, ListLine(1, "One") + ListLine(2, "Two") + ListLine(3, "Three"));
        COrvoApp app(m_folder->File("settings/orvo.cfg"));
        COrvoDlg window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Goes down while the second subtitle is drawn, after the window is active again
        // (shortcuts work in the active window only, and the offscreen platform gives the
        // window no activation back when the Process dialog closes), and stays down.
        QObject keyboard;
        connect(&Find<QProgressBar>(window, "progressBar"), &QProgressBar::valueChanged, &keyboard,
                [&](int value) {
                    if (value == 1) {
                        window.activateWindow();
                    } else if (value == 2) {
                        SendKey(keyboard, QEvent::KeyPress, key, Qt::NoModifier, false);
                    }
                });
        std::vector<DialogScript::Step> steps = {[&](QDialog& dialog) {
            auto& path = Find<QLineEdit>(dialog, "inputFileEdit");
            QTest::keyClicks(&path, QString::fromStdString(list));
            QTest::keyClick(&path, Qt::Key_Return);
            QTest::mouseClick(&Find<QPushButton>(dialog, "startButton"), Qt::LeftButton);
        }};
        if (key == Qt::Key_Escape) {
            // Escape held asks whether to go on; the mouse answers, and the run says how far
            // it came.
            steps.push_back([](QDialog& dialog) {
                auto& box = static_cast<QMessageBox&>(dialog);
                QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
            });
            steps.push_back(orvo::test::Press(QMessageBox::Ok));
        }
        DialogScript script(std::move(steps));
        QTest::mouseClick(&Find<QPushButton>(window, "processButton"), Qt::LeftButton);
        QCOMPARE(script.Count(), script.StepCount());
        QVERIFY(orvo::test::Exists(m_folder->File("OutputImg.1.bmp")));

        for (quint64 time = 1000; time < 1003; ++time) {
            Send(Focus(window), key, Qt::NoModifier, repeat, time);
        }
        QCoreApplication::processEvents();
        QVERIFY(window.isVisible());
        QCOMPARE(script.Count(), script.StepCount());

        // Released, and pressed again at another time.
        SendKey(Focus(window), QEvent::KeyRelease, key, Qt::NoModifier, false, 2000);
        SendKey(Focus(window), QEvent::KeyPress, key, Qt::NoModifier, false, 3000);
        SendKey(Focus(window), QEvent::KeyRelease, key, Qt::NoModifier, false, 3100);
        if (key == Qt::Key_Escape) {
            QVERIFY(!window.isVisible());
        } else {
            QTRY_COMPARE(script.Count(), script.StepCount() + 1);
            window.reject();
        }
    }

    // Escape held in the Process dialog closes it, and its repeats reach the main window
    // before the window system says that the focus moved: they must not quit the program.
    void keyThatClosedADialogDoesNothingInTheWindowBelow_data() {
        QTest::addColumn<Stroke>("repeat");
        QTest::newRow("repeats marked") << Stroke::MarkedRepeat;
        QTest::newRow("repeats at one time") << Stroke::RepeatAtOneTime;
    }

    void keyThatClosedADialogDoesNothingInTheWindowBelow() {
        QFETCH(Stroke, repeat);

        const std::string list = m_folder->File("film.txt");
        WriteText(list, ListLine(1, "One"));
        COrvoApp app(m_folder->File("settings/orvo.cfg"));
        COrvoDlg window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget& below = Find<QPushButton>(window, "processButton");
        bool dialogClosed = false;
        DialogScript script({[&](QDialog& dialog) {
            auto& path = Find<QLineEdit>(dialog, "inputFileEdit");
            QTest::keyClicks(&path, QString::fromStdString(list));
            QTest::keyClick(&path, Qt::Key_Return);
            SendKey(path, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, false, 500);
            dialogClosed = !dialog.isVisible();
            for (quint64 time = 1000; time < 1003; ++time) {
                Send(below, Qt::Key_Escape, Qt::NoModifier, repeat, time);
            }
        }});
        QTest::mouseClick(&below, Qt::LeftButton);
        QCOMPARE(script.Count(), 1);
        QVERIFY(dialogClosed);
        QCoreApplication::processEvents();
        QVERIFY(window.isVisible());

        SendKey(below, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, false, 2000);
        SendKey(below, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, false, 3000);
        QVERIFY(!window.isVisible());
    }
};

ORVO_WINDOW_TEST_MAIN(KeysTest)
#include "keys_test.moc"
