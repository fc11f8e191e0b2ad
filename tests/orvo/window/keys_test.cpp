// Keys the user did not mean as input: a question that only a deliberate answer ends, and a
// key held down through a run, whose repeats reach the window that the run gives back.
#include "windowtestsupport.h"

#include "orvo/app/corvoapp.h"
#include "orvo/app/corvodlg.h"
#include "orvo/app/messages.h"

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
using orvo::test::WriteBytes;

namespace {

// A key as the keyboard sends it: a key held down sends its press again with autoRepeat set.
void SendKey(QObject& to, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             bool autoRepeat) {
    const QString text = key >= Qt::Key_A && key <= Qt::Key_Z && modifiers == Qt::NoModifier
                             ? QString(QChar(key)).toLower()
                             : QString();
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QCoreApplication::sendEvent(&to, &event);
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
        QTest::addColumn<bool>("autoRepeat");
        QTest::addColumn<Answer>("answer");

        const auto none = Qt::KeyboardModifiers(Qt::NoModifier);
        const auto alt = Qt::KeyboardModifiers(Qt::AltModifier);
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << false << Answer::Yes;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << none << false << Answer::Yes;
        QTest::newRow("Y") << int(Qt::Key_Y) << none << false << Answer::Yes;
        QTest::newRow("N") << int(Qt::Key_N) << none << false << Answer::No;
        QTest::newRow("Alt+Y") << int(Qt::Key_Y) << alt << false << Answer::Yes;
        QTest::newRow("Alt+N") << int(Qt::Key_N) << alt << false << Answer::No;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << false << Answer::None;
        QTest::newRow("Escape held") << int(Qt::Key_Escape) << none << true << Answer::None;
        QTest::newRow("Enter held") << int(Qt::Key_Return) << none << true << Answer::None;
        QTest::newRow("N held") << int(Qt::Key_N) << none << true << Answer::None;
        QTest::newRow("Alt+N held") << int(Qt::Key_N) << alt << true << Answer::None;
        QTest::newRow("the close box") << 0 << none << false << Answer::None;
    }

    void questionTakesOnlyDeliberateAnswers() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, autoRepeat);
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
                SendKey(Focus(box), QEvent::KeyPress, key, modifiers, autoRepeat);
                SendKey(Focus(box), QEvent::KeyRelease, key, modifiers, autoRepeat);
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
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("F1") << int(Qt::Key_F1);
    }

    void keyHeldThroughARunDoesNothingAfterIt() {
        QFETCH(int, key);

        const std::string list = m_folder->File("film.txt");
        WriteBytes(list, ListLine(1, "One") + ListLine(2, "Two") + ListLine(3, "Three"));
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

        for (int repeat = 0; repeat < 3; ++repeat) {
            SendKey(Focus(window), QEvent::KeyRelease, key, Qt::NoModifier, true);
            SendKey(Focus(window), QEvent::KeyPress, key, Qt::NoModifier, true);
        }
        QCoreApplication::processEvents();
        QVERIFY(window.isVisible());
        QCOMPARE(script.Count(), script.StepCount());

        SendKey(Focus(window), QEvent::KeyRelease, key, Qt::NoModifier, false);
        SendKey(Focus(window), QEvent::KeyPress, key, Qt::NoModifier, false);
        SendKey(Focus(window), QEvent::KeyRelease, key, Qt::NoModifier, false);
        if (key == Qt::Key_Escape) {
            QVERIFY(!window.isVisible());
        } else {
            QTRY_COMPARE(script.Count(), script.StepCount() + 1);
            window.reject();
        }
    }
};

ORVO_WINDOW_TEST_MAIN(KeysTest)
#include "keys_test.moc"
