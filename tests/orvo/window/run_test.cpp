// Whole runs started from the main window over real lists in a temporary folder: the files,
// the status line and the progress bar, the Error Log, Escape, Cancel, and a list that brings
// its own look.
#include "windowtestsupport.h"

#include "ccolorcombo.h"
#include "corvoapp.h"
#include "corvodlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <filesystem>
#include <memory>

using orvo::COrvoApp;
using orvo::COrvoDlg;
using orvo::test::DialogScript;
using orvo::test::Exists;
using orvo::test::Find;
using orvo::test::ListLine;
using orvo::test::Message;
using orvo::test::Press;
using orvo::test::TestFolder;
using orvo::test::WriteText;

namespace {

const char* const kHint = "         Press Escape to cancel!";
const std::string kThreeShort = ListLine(1, "One") + ListLine(2, "Two\tlines") + ListLine(3, "3");

// What the Error Log showed.
struct ErrorLog {
    QString title;
    QString message;
    QString log;
    QRgb messageColour = 0;
};

DialogScript::Step ReadErrorLog(ErrorLog& seen) {
    return [&seen](QDialog& dialog) {
        const auto& message = Find<QLabel>(dialog, "messageLabel");
        seen = {dialog.windowTitle(), message.text(),
                Find<QPlainTextEdit>(dialog, "logEdit").toPlainText(),
                message.palette().color(QPalette::WindowText).rgb()};
        QTest::mouseClick(&Find<QPushButton>(dialog, "doneButton"), Qt::LeftButton);
    };
}

// The Escape key as the application sees it, wherever the event goes.
void SendEscape(QEvent::Type type) {
    QObject sink;
    QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&sink, &key);
}

// A press that waits in the queue like one from the keyboard: only a run that lets events
// through between subtitles sees it.
void PostEscapePress(QObject& sink) {
    QCoreApplication::postEvent(&sink,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

} // namespace

class RunTest : public QObject {
    Q_OBJECT

private:
    COrvoDlg& Open() {
        m_app = std::make_unique<COrvoApp>(m_folder->File("settings/orvo.cfg"));
        m_window = std::make_unique<COrvoDlg>(*m_app);
        m_window->show();
        return *m_window;
    }

    std::string List() const { return m_folder->File("film.txt"); }
    std::string InFolder(const std::string& name) const { return m_folder->File(name.c_str()); }

    template <class Control>
    Control& Get(const char* name) {
        return Find<Control>(*m_window, name);
    }

    QString Status() { return Get<QLabel>("statusLine").text(); }

    // The Process dialog: loads the list (answering what comes up with loading), lets
    // prepare change the fields, then presses finish ("startButton" or "cancelButton").
    // Its steps come first in a script: the file dialog and the loading's questions follow.
    DialogScript::Step Process(std::function<void(QDialog&)> prepare = {},
                               const char* finish = "startButton") {
        return [this, prepare, finish](QDialog& dialog) {
            QTest::mouseClick(&Find<QPushButton>(dialog, "loadButton"), Qt::LeftButton);
            if (prepare) {
                prepare(dialog);
            }
            QTest::mouseClick(&Find<QPushButton>(dialog, finish), Qt::LeftButton);
        };
    }

    DialogScript::Step ChooseList(const std::string& path = {}) {
        return [this, path](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(
                QString::fromStdString(path.empty() ? List() : path));
            static_cast<QDialog&>(dialog).accept();
        };
    }

    void PressProcess() { QTest::mouseClick(&Get<QPushButton>("processButton"), Qt::LeftButton); }

    // Whether the "DVD colours (4)" button was on at every step of the run to come.
    std::shared_ptr<bool> WatchDvdColoursDuringTheRun() {
        auto on = std::make_shared<bool>(true);
        auto& button = Get<QPushButton>("dvdColorsButton");
        connect(&Get<QProgressBar>("progressBar"), &QProgressBar::valueChanged, &button,
                [on, &button](int value) {
                    if (value > 0) {
                        *on = *on && button.isChecked();
                    }
                });
        return on;
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<COrvoApp> m_app;
    std::unique_ptr<COrvoDlg> m_window;

private slots:
    void init() { m_folder = std::make_unique<TestFolder>(); }

    void cleanup() {
        m_window.reset();
        m_app.reset();
        m_folder.reset();
        SendEscape(QEvent::KeyRelease);
    }

    void wholeRunWithAWrappingSubtitle() {
        WriteText(List(), ListLine(1, "One") + ListLine(2, "Two\tlines") +
                              ListLine(3, orvo::test::kWideText));
        COrvoDlg& window = Open();
        const QImage preview = window.GetCanvas();
        ErrorLog seen;
        DialogScript script({Process(), ChooseList(), ReadErrorLog(seen)});
        PressProcess();
        QCOMPARE(script.Count(), 3);

        for (const char* image : {"OutputImg.1.bmp", "OutputImg.2.bmp", "OutputImg.3.bmp"}) {
            QVERIFY2(Exists(InFolder(image)), image);
            QCOMPARE(QImage(QString::fromStdString(InFolder(image))).size(), QSize(720, 576));
        }
        QCOMPARE(seen.title, QString("Error Log"));
        QCOMPARE(seen.message, QString("Additional line breaks in 1 bitmaps found:"));
        QCOMPARE(seen.log, QString("OutputImg.3.bmp\n"));
        QCOMPARE(seen.messageColour, qRgb(255, 0, 0));
        // The Escape hint goes with the run: the key cancels nothing after it.
        QCOMPARE(Status(), QString("Finished! Additional line breaks in 1 bitmaps found."));
        QVERIFY(orvo::test::ReadText(InFolder("film.sst")).starts_with("st_format 2\r\n"));
        kestrum::CPropDb configuration;
        QVERIFY(configuration.Load(InFolder("film.cfg")));
        QCOMPARE(configuration.ReadPropString("", "ImgName", "", false), std::string("OutputImg"));
        QCOMPARE(configuration.ReadPropInt("", "StartIndex", -1, false), 1);
        QVERIFY(configuration.IsKey("", "TextColor"));
        // The window is back as it was, the preview showing the test text again.
        QVERIFY(window.isEnabled());
        QCOMPARE(Get<QProgressBar>("progressBar").value(), 0);
        QCOMPARE(window.GetCanvas(), preview);
        QCOMPARE(window.GetLastPath(), List());
    }

    void runWithoutWrapping_data() {
        QTest::addColumn<bool>("testMode");
        QTest::newRow("bitmaps") << false;
        QTest::newRow("test mode") << true;
    }

    void runWithoutWrapping() {
        QFETCH(bool, testMode);

        WriteText(List(), kThreeShort);
        Open();
        if (testMode) {
            QTest::mouseClick(&Get<QPushButton>("testModeButton"), Qt::LeftButton);
        }
        DialogScript script({Process([](QDialog& dialog) {
                                 auto& start = Find<QLineEdit>(dialog, "startIndexEdit");
                                 start.clear();
                                 QTest::keyClicks(&start, "101");
                                 auto& name = Find<QLineEdit>(dialog, "nameEdit");
                                 name.clear();
                                 QTest::keyClicks(&name, "Reel");
                             }),
                             ChooseList()});
        PressProcess();
        QCOMPARE(script.Count(), 2);
        QCOMPARE(Status(), QString("Finished! No errors found."));
        for (const char* image : {"Reel.101.bmp", "Reel.102.bmp", "Reel.103.bmp"}) {
            QCOMPARE(Exists(InFolder(image)), !testMode);
        }
        QVERIFY(!Exists(InFolder("Reel.104.bmp")));
        QVERIFY(Exists(InFolder("film.sst")));
        kestrum::CPropDb configuration;
        QVERIFY(configuration.Load(InFolder("film.cfg")));
        QCOMPARE(configuration.ReadPropString("", "ImgName", "", false), std::string("Reel"));
        QCOMPARE(configuration.ReadPropInt("", "StartIndex", -1, false), 101);
    }

    void escapeDuringTheRun_data() {
        QTest::addColumn<int>("pressedAt");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
        QTest::addColumn<bool>("releaseAfterFirst");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("images");
        QTest::addColumn<QString>("note"); // after a stop

        using Answers = QList<QMessageBox::StandardButton>;
        QTest::newRow("No stops after the current subtitle")
            << 0 << Answers{QMessageBox::No} << false << "Generation terminated by user !" << 1
            << "1 of 3 images generated; the script file lists them.";
        QTest::newRow("Yes while held asks after every subtitle")
            << 0 << Answers{QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes} << false
            << "Finished! No errors found." << 3 << "";
        QTest::newRow("Yes, then released")
            << 0 << Answers{QMessageBox::Yes} << true << "Finished! No errors found." << 3 << "";
        QTest::newRow("pressed during the second subtitle")
            << 2 << Answers{QMessageBox::No} << false << "Generation terminated by user !" << 2
            << "2 of 3 images generated; the script file lists them.";
    }

    // pressedAt: 0 holds Escape down from the start, n presses it while subtitle n is drawn.
    void escapeDuringTheRun() {
        QFETCH(int, pressedAt);
        QFETCH(QList<QMessageBox::StandardButton>, answers);
        QFETCH(bool, releaseAfterFirst);
        QFETCH(QString, status);
        QFETCH(int, images);
        QFETCH(QString, note);

        WriteText(List(), kThreeShort);
        COrvoDlg& window = Open();
        QObject sink;
        connect(&Get<QProgressBar>("progressBar"), &QProgressBar::valueChanged, &sink,
                [&](int value) {
                    if (pressedAt != 0 && value == pressedAt) {
                        PostEscapePress(sink);
                    }
                });
        std::vector<DialogScript::Step> steps = {Process([&](QDialog&) {
                                                     if (pressedAt == 0) {
                                                         SendEscape(QEvent::KeyPress);
                                                     }
                                                 }),
                                                 ChooseList()};
        // At each question: the question, and how far the run had come.
        std::vector<Message> questions;
        QStringList statusAtQuestion;
        QList<int> progressAtQuestion;
        QList<bool> windowEnabled;
        for (const QMessageBox::StandardButton answer : answers) {
            steps.push_back([&, answer](QDialog& dialog) {
                questions.push_back(testsupport::Read(static_cast<QMessageBox&>(dialog)));
                statusAtQuestion << Status();
                progressAtQuestion << Get<QProgressBar>("progressBar").value();
                windowEnabled << Get<QPushButton>("quitButton").isEnabled();
                static_cast<QMessageBox&>(dialog).button(answer)->click();
                if (releaseAfterFirst) {
                    SendEscape(QEvent::KeyRelease);
                }
            });
        }
        Message noteSeen;
        if (!note.isEmpty()) {
            steps.push_back([&](QDialog& dialog) {
                noteSeen = testsupport::Read(static_cast<QMessageBox&>(dialog));
                dialog.accept();
            });
        }
        DialogScript script(std::move(steps));
        PressProcess();
        QCOMPARE(script.Count(), script.StepCount());
        QCOMPARE(noteSeen.text, note);

        QCOMPARE(int(questions.size()), answers.size());
        QStringList expectedStatus;
        QList<int> expectedProgress;
        for (int i = 0; i < answers.size(); ++i) {
            const int subtitle = std::max(pressedAt, 1) + i;
            expectedStatus << QString::fromStdString(
                                  InFolder("OutputImg." + std::to_string(subtitle) + ".bmp")) +
                                  kHint;
            expectedProgress << subtitle;
            QCOMPARE(questions[std::size_t(i)].text,
                     QString("Not all images are generated !\n\nContinue ?"));
            QCOMPARE(questions[std::size_t(i)].icon, QMessageBox::Question);
        }
        QCOMPARE(statusAtQuestion, expectedStatus);
        QCOMPARE(progressAtQuestion, expectedProgress);
        // Disabled while it runs, even with the question open.
        QCOMPARE(windowEnabled, QList<bool>(answers.size(), false));
        QCOMPARE(Status(), status);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(Exists(InFolder("OutputImg." + std::to_string(i) + ".bmp")), i <= images);
        }
        QVERIFY(window.isVisible());
        QVERIFY(window.isEnabled());
    }

    // Cancel throws away what the list's configuration brought into the settings; the window
    // keeps its look and nothing is written beside the list.
    void cancelRestoresTheSettings() {
        WriteText(List(), kThreeShort);
        kestrum::CPropDb listLook;
        listLook.WritePropBool("", "PAL", 0);
        listLook.WritePropString("", "ImgName", "Reel");
        QVERIFY(listLook.Save(InFolder("film.cfg")));
        COrvoDlg& window = Open();
        DialogScript script({Process({}, "cancelButton"), ChooseList(), Press(QMessageBox::Yes)});
        PressProcess();
        QCOMPARE(script.Count(), 3);
        QCOMPARE(m_app->GetPropDb().ReadPropBool("", "PAL", -1, false), 1);
        QVERIFY(!m_app->GetPropDb().IsKey("", "ImgName"));
        QCOMPARE(window.GetCanvas().height(), 576);
        QVERIFY(!Exists(InFolder("film.sst")));
        QVERIFY(!Exists(InFolder("OutputImg.1.bmp")));
        QCOMPARE(window.GetLastPath(), std::string());
    }

    // Yes and Start: the run draws with the list's look, and the window shows it.
    // The tool's output is drawn in the four colours: the button says so during the run; after
    // it the window's look is its own again.
    void spumuxRunTicksTheDvdColoursAndWritesNoScript() {
        WriteText(List(), kThreeShort);
        Open();
        QVERIFY(!Get<QPushButton>("dvdColorsButton").isChecked());
        const std::shared_ptr<bool> dvdColoursShown = WatchDvdColoursDuringTheRun();
        bool headerEnabled = true;
        QString shownName;
        DialogScript script({Process([&headerEnabled, &shownName](QDialog& dialog) {
                                 auto& box = Find<QComboBox>(dialog, "outputTypeCombo");
                                 box.setCurrentIndex(box.findText("spumux"));
                                 headerEnabled =
                                     Find<QPlainTextEdit>(dialog, "headerEdit").isEnabled();
                                 shownName = Find<QLineEdit>(dialog, "nameEdit").text();
                             }),
                             ChooseList()});
        PressProcess();
        QCOMPARE(script.Count(), 2);
        QVERIFY(!headerEnabled);
        QCOMPARE(Status(), QString("Finished! No errors found."));
        // The pictures take the list's name, as the name field showed once the list was in.
        QCOMPARE(shownName, QString("film"));
        for (const char* image :
             {"film.1.png", "film.2.png", "film.3.png", "film.xml", "film.cfg"}) {
            QVERIFY2(Exists(InFolder(image)), image);
        }
        QVERIFY(!Exists(InFolder("film.sst")));
        QVERIFY(!Exists(InFolder("OutputImg.1.bmp")));
        // The four colours are the run's, which the configuration file records, not the look's.
        QVERIFY(*dvdColoursShown);
        QVERIFY(!Get<QPushButton>("dvdColorsButton").isChecked());
        QVERIFY(!m_window->GetRenderSettings().DvdColors);
        kestrum::CPropDb configuration;
        QVERIFY(configuration.Load(InFolder("film.cfg")));
        QCOMPARE(configuration.ReadPropInt("", "OutputType", -1, false), 1);
        QCOMPARE(configuration.ReadPropBool("", "DvdColors", 0, false), 1);
    }

    // The players' pair: no image files, and the four colours ticked as for the tool.
    void vobSubRunTicksTheDvdColoursAndWritesThePair() {
        WriteText(List(), kThreeShort);
        Open();
        const std::shared_ptr<bool> dvdColoursShown = WatchDvdColoursDuringTheRun();
        DialogScript script({Process([](QDialog& dialog) {
                                 auto& box = Find<QComboBox>(dialog, "outputTypeCombo");
                                 box.setCurrentIndex(box.findText("VobSub"));
                             }),
                             ChooseList()});
        PressProcess();
        QCOMPARE(script.Count(), 2);
        QCOMPARE(Status(), QString("Finished! No errors found."));
        for (const char* file : {"film.idx", "film.sub", "film.cfg"}) {
            QVERIFY2(Exists(InFolder(file)), file);
        }
        QVERIFY(!Exists(InFolder("film.sst")));
        QVERIFY(!Exists(InFolder("OutputImg.1.png")));
        QVERIFY(!Exists(InFolder("OutputImg.1.bmp")));
        QVERIFY(*dvdColoursShown);
        QVERIFY(!Get<QPushButton>("dvdColorsButton").isChecked());
        kestrum::CPropDb configuration;
        QVERIFY(configuration.Load(InFolder("film.cfg")));
        QCOMPARE(configuration.ReadPropInt("", "OutputType", -1, false), 2);
    }

    void listConfigurationLookIsUsedAndShown() {
        WriteText(List(), kThreeShort);
        kestrum::CPropDb listLook;
        listLook.WritePropBool("", "PAL", 0);
        listLook.WritePropInt("", "TextColor", 0x0000FF);
        listLook.WritePropInt("", "LeftMargin", 120);
        listLook.WritePropString("", "ImgName", "Reel");
        QVERIFY(listLook.Save(InFolder("film.cfg")));
        COrvoDlg& window = Open();
        DialogScript script({Process(), ChooseList(), Press(QMessageBox::Yes)});
        PressProcess();
        QCOMPARE(script.Count(), 3);
        QCOMPARE(QImage(QString::fromStdString(InFolder("Reel.1.bmp"))).size(), QSize(720, 480));
        QVERIFY(Get<QPushButton>("ntscButton").isChecked());
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("NTSC 720 x 480 Preview 100%"));
        QCOMPARE(window.GetCanvas().height(), 480);
        QCOMPARE(Get<orvo::CColorCombo>("colorCombo").currentIndex(), 9);
        QCOMPARE(Get<QSpinBox>("leftMarginEdit").value(), 120);
        QCOMPARE(window.GetRenderSettings().LeftMargin, 120);
    }

    // A run over a file whose reader got past damage has something to look at.
    void readerWarningsAreToldAtTheEnd() {
        const std::string srt = InFolder("film.srt");
        WriteText(srt, "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n"
                       "2\n00:00:03,000 -> 00:00:04,000\nTwo\n");
        Open();
        Message warning;
        DialogScript script({Process(), ChooseList(srt), Press(QMessageBox::Ok, &warning)});
        PressProcess();
        QCOMPARE(script.Count(), 3);
        QVERIFY2(warning.text.contains("block 2 (line 6)"), qPrintable(warning.text));
        QCOMPARE(Status(), QString("Finished! Reading the file gave 1 warnings."));
    }

    // Files that cannot be written are told, not passed over in silence.
    void writeFailuresAreReported() {
        WriteText(List(), kThreeShort);
        // Folders where the bitmaps should go cannot be replaced by them.
        for (const char* image : {"OutputImg.1.bmp", "OutputImg.2.bmp", "OutputImg.3.bmp"}) {
            QVERIFY(std::filesystem::create_directory(InFolder(image)));
        }
        Open();
        Message warning;
        DialogScript script({Process(), ChooseList(), Press(QMessageBox::Ok, &warning)});
        PressProcess();
        QCOMPARE(script.Count(), 3);
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(warning.text.startsWith("3 files could not be written:"),
                 qPrintable(warning.text));
        QVERIFY2(warning.text.contains(QString::fromStdString(InFolder("OutputImg.2.bmp")) + ": "),
                 qPrintable(warning.text));
        QVERIFY(Exists(InFolder("film.sst")));
        QCOMPARE(Status(), QString("Finished! 3 files could not be written."));
    }
};

ORVO_WINDOW_TEST_MAIN(RunTest)
#include "run_test.moc"
