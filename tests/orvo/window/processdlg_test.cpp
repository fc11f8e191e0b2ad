// The Process dialog on its own: what it shows when it opens, loading a list with every
// outcome, the list configuration question, and what Start hands over.
#include "windowtestsupport.h"

#include "orvo/storeoflines.h"

#include "cprocessdlg.h"
#include "output/imagename.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextLayout>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using orvo::CProcessDlg;
using orvo::OutputType;
using orvo::SubtitleStore;
using orvo::test::DialogScript;
using orvo::test::Find;
using orvo::test::ListLine;
using orvo::test::Message;
using orvo::test::Press;
using orvo::test::TestFolder;
using orvo::test::WriteText;

namespace {

const QString kDefaultHeader = "st_format 2\n\ndirectory\n\nSP_NUMBER\tSTART\tEND\tFILENAME";
const std::string kThreeLines = ListLine(1, "One") + ListLine(2, "Two\tlines") + ListLine(3, "");

DialogScript::Step ChooseFile(const std::string& path) {
    return [path](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        files.selectFile(QString::fromStdString(path));
        static_cast<QDialog&>(files).accept(); // QFileDialog::accept, which checks the name
    };
}

// A file that is there but that no one can open for reading, not even root.
void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
}

// What the list reader says about path: the line a failure's message ends with.
QString ReaderReason(const std::string& path) {
    SubtitleStore scratch;
    return QString::fromStdString(
        orvo::LoadSubtitleList(path, orvo::DefaultFrameRate(true), scratch).reason);
}

// A failure's message: its fixed text, then why on a line of its own.
QString WithReaderReason(const QString& message, const std::string& path) {
    const QString reason = ReaderReason(path);
    return message.isEmpty() || reason.isEmpty() ? message : message + "\n" + reason;
}

void WriteConfiguration(const std::string& path,
                        const std::function<void(kestrum::CPropDb&)>& fill) {
    kestrum::CPropDb db;
    fill(db);
    QVERIFY(db.Save(path));
}

} // namespace

using Fill = std::function<void(kestrum::CPropDb&)>;
Q_DECLARE_METATYPE(Fill)

class ProcessDlgTest : public QObject {
    Q_OBJECT

private:
    CProcessDlg& Open() {
        m_dialog = std::make_unique<CProcessDlg>(m_db, m_store);
        m_dialog->show();
        Activate();
        return *m_dialog;
    }

    // The offscreen platform gives no window the focus back when a dialog over it closes.
    void Activate() {
        m_dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(m_dialog.get())) {
            qWarning("the dialog did not become active");
        }
    }

    template <class Control>
    Control& Get(const char* name) {
        return Find<Control>(*m_dialog, name);
    }

    // Presses "&Load..." and answers the file dialog with path, then the rest.
    void Load(const std::string& path, std::vector<DialogScript::Step> then = {}) {
        then.insert(then.begin(), ChooseFile(path));
        DialogScript script(std::move(then));
        QTest::mouseClick(&Get<QPushButton>("loadButton"), Qt::LeftButton);
        QCOMPARE(script.Count(), script.StepCount());
        Activate();
    }

    QString Status() { return Get<QLabel>("statusLine").text(); }
    bool StartEnabled() { return Get<QPushButton>("startButton").isEnabled(); }

    std::unique_ptr<TestFolder> m_folder;
    kestrum::CPropDb m_db;
    SubtitleStore m_store;
    std::unique_ptr<CProcessDlg> m_dialog;

private slots:
    void init() {
        m_folder = std::make_unique<TestFolder>();
        m_db.DeleteAll();
        m_store.clear();
    }

    void cleanup() {
        m_dialog.reset();
        m_folder.reset();
    }

    void opensWithItsDefaults() {
        m_dialog = std::make_unique<CProcessDlg>(m_db, m_store);
        m_dialog->SetInputFile(m_folder->File("film.txt"));
        m_dialog->show();
        QCOMPARE(m_dialog->windowTitle(), QString("Process Subtitle File"));
        QVERIFY(!StartEnabled());
        QVERIFY(Get<QPushButton>("startButton").isDefault());
        QCOMPARE(Get<QPushButton>("startButton").text(), QString("Start"));
        QCOMPARE(Get<QPushButton>("cancelButton").text(), QString("Abbrechen"));
        QCOMPARE(Get<QLineEdit>("inputFileEdit").text(), QString());
        QCOMPARE(Get<QLineEdit>("startIndexEdit").text(), QString("1"));
        QCOMPARE(Get<QLineEdit>("nameEdit").text(), QString("OutputImg"));
        QCOMPARE(Get<QPlainTextEdit>("headerEdit").toPlainText(), kDefaultHeader);
        QCOMPARE(Get<QComboBox>("outputTypeCombo").currentText(), QString("DVD-1"));
        QVERIFY(Get<QComboBox>("outputTypeCombo").isEnabled());
        QCOMPARE(m_dialog->GetOutputType(), OutputType::Dvd1);
        QVERIFY(Get<QPlainTextEdit>("headerEdit").isEnabled());
        QCOMPARE(Status(), QString());
        // The header is read with its default written into the database.
        QCOMPARE(
            m_db.ReadPropString("", "Header1", "", false),
            std::string("st_format 2\r\n\r\ndirectory\r\n\r\nSP_NUMBER\tSTART\tEND\tFILENAME"));
    }

    void outputTypeBoxOpensOnTheStoredTypeAndTheHeaderServesOnlyDvd1() {
        m_db.WritePropInt("", "OutputType", 1);
        Open();
        auto& box = Get<QComboBox>("outputTypeCombo");
        QCOMPARE(box.count(), 5);
        QCOMPARE(box.itemText(0), QString("DVD-1"));
        QCOMPARE(box.itemText(1), QString("spumux"));
        QCOMPARE(box.itemText(2), QString("VobSub"));
        QCOMPARE(box.itemText(3), QString("PGS (.sup)"));
        QCOMPARE(box.itemText(4), QString("BDN XML"));
        const auto* items = qobject_cast<QStandardItemModel*>(box.model());
        for (int item = 0; item < box.count(); ++item) {
            QVERIFY(items->item(item)->isEnabled());
        }
        QCOMPARE(box.currentText(), QString("spumux"));
        QCOMPARE(m_dialog->GetOutputType(), OutputType::Spumux);
        QVERIFY(!Get<QPlainTextEdit>("headerEdit").isEnabled());
        QVERIFY(!Get<QLabel>("headerLabel").isEnabled());

        box.setFocus();
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(m_dialog->GetOutputType(), OutputType::Dvd1);
        QVERIFY(Get<QPlainTextEdit>("headerEdit").isEnabled());
        QVERIFY(Get<QLabel>("headerLabel").isEnabled());
        QTest::keyClick(&box, Qt::Key_Down);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.currentText(), QString("VobSub"));
        QCOMPARE(m_dialog->GetOutputType(), OutputType::VobSub);
        QVERIFY(!Get<QPlainTextEdit>("headerEdit").isEnabled());
        QVERIFY(!Get<QLineEdit>("nameEdit").isEnabled());
        QVERIFY(!Get<QLabel>("nameLabel").isEnabled());
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(m_dialog->GetOutputType(), OutputType::Spumux);
        QVERIFY(Get<QLineEdit>("nameEdit").isEnabled());
        QVERIFY(Get<QLabel>("nameLabel").isEnabled());
    }

    // VobSub writes no images: there is nothing to name.
    void outputTypeBoxOpensOnAStoredVobSub() {
        m_db.WritePropInt("", "OutputType", 2);
        Open();
        QCOMPARE(Get<QComboBox>("outputTypeCombo").currentText(), QString("VobSub"));
        QVERIFY(!Get<QPlainTextEdit>("headerEdit").isEnabled());
        QVERIFY(!Get<QLineEdit>("nameEdit").isEnabled());
        QVERIFY(!Get<QLabel>("nameLabel").isEnabled());
    }

    // A stored number of a type this program cannot write opens on the default.
    void outputTypeOfAnUnwritableTypeOpensOnDvd1() {
        m_db.WritePropInt("", "OutputType", 5);
        Open();
        QCOMPARE(Get<QComboBox>("outputTypeCombo").currentText(), QString("DVD-1"));
        QVERIFY(Get<QPlainTextEdit>("headerEdit").isEnabled());
    }

    // Tab goes through the controls as they read, from the path to the buttons; a disabled
    // one is passed over.
    void tabOrder_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("DVD-1") << 0
                               << QStringList{"inputFileEdit",  "loadButton",     "outputTypeCombo",
                                              "frameRateCombo", "startIndexEdit", "nameEdit",
                                              "headerEdit",     "startButton",    "cancelButton",
                                              "inputFileEdit"};
        QTest::newRow("VobSub") << 2 << QStringList{"inputFileEdit",   "loadButton",
                                                    "outputTypeCombo", "frameRateCombo",
                                                    "startIndexEdit",  "forcedCheck",
                                                    "startButton",     "cancelButton",
                                                    "inputFileEdit"};
    }

    void tabOrder() {
        QFETCH(int, type);
        QFETCH(QStringList, expected);
        m_db.WritePropInt("", "OutputType", type);
        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        Get<QLineEdit>("inputFileEdit").setFocus();
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void storedHeaderIsShownWithItsLines() {
        m_db.WritePropString("", "Header1", "first\r\nsecond");
        Open();
        QCOMPARE(Get<QPlainTextEdit>("headerEdit").toPlainText(), QString("first\nsecond"));
    }

    void fileDialogStartsAtTheListUsedLast() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        m_dialog = std::make_unique<CProcessDlg>(m_db, m_store);
        m_dialog->SetInputFile(m_folder->File("film.txt"));
        m_dialog->show();
        QString folder;
        QStringList selected;
        QStringList filters;
        DialogScript script({[&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            folder = files.directory().absolutePath();
            selected = files.selectedFiles();
            filters = files.nameFilters();
            files.reject();
        }});
        QTest::mouseClick(&Get<QPushButton>("loadButton"), Qt::LeftButton);
        QCOMPARE(folder, QDir(m_folder->Path()).absolutePath());
        QCOMPARE(selected, QStringList{QString::fromStdString(m_folder->File("film.txt"))});
        QCOMPARE(filters, (QStringList{"Text file (.txt) (*.txt)",
                                       "Subtitle files (*.txt *.srt *.vtt *.ass *.ssa *.sub)",
                                       "All files (*)"}));
        // Cancelled: nothing changed.
        QVERIFY(!StartEnabled());
        QCOMPARE(Status(), QString());
        QCOMPARE(m_store.size(), std::size_t{0});
    }

    void loadOutcome_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("socket");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("startEnabled");
        QTest::addColumn<int>("storeSize");

        const auto bytes = [](const std::string& text) {
            return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        };
        QTest::newRow("three subtitles")
            << bytes(kThreeLines) << false << QString() << 0 << "3 Subtitles loaded !" << true << 3;
        QTest::newRow("empty file")
            << QByteArray() << false << QString() << 0 << "0 Subtitles loaded !" << true << 0;
        QTest::newRow("line with three fields")
            << bytes(ListLine(1, "One") + "2\t00:00:01:00\t00:00:02:00\r\n") << false
            << "Error reading line 2 !\nLoading aborted!" << int(QMessageBox::Critical)
            << "No file loaded !" << false << 0;
        QTest::newRow("two line ends at the end")
            << bytes(ListLine(1, "One") + "\r\n") << false
            << "Error reading line 2 !\nLoading aborted!" << int(QMessageBox::Critical)
            << "No file loaded !" << false << 0;
        // The list loaded before stays in the store.
        QTest::newRow("cannot be opened")
            << QByteArray() << true << "Error reading file" << int(QMessageBox::NoIcon)
            << "No file loaded !" << false << 2;
    }

    void loadOutcome() {
        QFETCH(QByteArray, content);
        QFETCH(bool, socket);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(QString, status);
        QFETCH(bool, startEnabled);
        QFETCH(int, storeSize);

        m_store = orvo::test::StoreOf({"earlier\t1\t2\tlist", "earlier\t3\t4\tlist"});
        const std::string path = m_folder->File("list.txt");
        if (socket) {
            MakeSocket(path);
        } else {
            WriteText(path, content.toStdString());
        }
        Open();
        Message shown;
        Load(path, message.isEmpty() ? std::vector<DialogScript::Step>{}
                                     : std::vector{Press(QMessageBox::Ok, &shown)});
        // The fixed text, and why as a further line.
        QCOMPARE(shown.text, WithReaderReason(message, path));
        QCOMPARE(ReaderReason(path).isEmpty(), message.isEmpty());
        QCOMPARE(int(shown.icon), icon);
        QCOMPARE(Status(), status);
        QCOMPARE(StartEnabled(), startEnabled);
        QCOMPARE(int(m_store.size()), storeSize);
        QCOMPARE(Get<QLineEdit>("inputFileEdit").text(),
                 startEnabled ? QString::fromStdString(path) : QString());
    }

    void failedLoadAfterAGoodOneDisablesStart() {
        WriteText(m_folder->File("good.txt"), kThreeLines);
        WriteText(m_folder->File("bad.txt"), "1\t2\r\n");
        Open();
        Load(m_folder->File("good.txt"));
        QVERIFY(StartEnabled());
        Load(m_folder->File("bad.txt"), {Press(QMessageBox::Ok)});
        QVERIFY(!StartEnabled());
        QCOMPARE(Status(), QString("No file loaded !"));
        QCOMPARE(m_store.size(), std::size_t{0});
    }

    void listConfiguration_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<Fill>("configuration");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("startIndex");
        QTest::addColumn<bool>("loaded");

        const Fill full = [](kestrum::CPropDb& db) {
            db.WritePropString("", "Header1", "Stored\r\nheader");
            db.WritePropString("", "ImgName", "Reel");
            db.WritePropInt("", "StartIndex", 42);
        };
        QTest::newRow("No keeps the fields and the settings")
            << QMessageBox::No << full << kDefaultHeader << "OutputImg"
            << "1" << false;
        QTest::newRow("Yes shows the stored values") << QMessageBox::Yes << full << "Stored\nheader"
                                                     << "Reel"
                                                     << "42" << true;
        QTest::newRow("Yes without the keys empties header and name")
            << QMessageBox::Yes
            << Fill([](kestrum::CPropDb& db) { db.WritePropInt("", "LeftMargin", 3); }) << QString()
            << QString() << "1" << true;
        QTest::newRow("Yes with a start index beyond five digits")
            << QMessageBox::Yes
            << Fill([](kestrum::CPropDb& db) { db.WritePropInt("", "StartIndex", 1234567); })
            << QString() << QString() << "99999" << true;
    }

    void listConfiguration() {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(Fill, configuration);
        QFETCH(QString, header);
        QFETCH(QString, name);
        QFETCH(QString, startIndex);
        QFETCH(bool, loaded);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteConfiguration(m_folder->File("film.cfg"), configuration);
        m_db.WritePropString("", "Marker", "before");
        Open();
        Message question;
        Load(m_folder->File("film.txt"), {Press(answer, &question)});
        QCOMPARE(question.text, QString("Configuration file found!\n\nOverwrite settings?"));
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(Get<QPlainTextEdit>("headerEdit").toPlainText(), header);
        QCOMPARE(Get<QLineEdit>("nameEdit").text(), name);
        QCOMPARE(Get<QLineEdit>("startIndexEdit").text(), startIndex);
        // A loaded file replaces the whole database.
        QCOMPARE(m_db.IsKey("", "Marker"), !loaded);
        QVERIFY(StartEnabled());
        QCOMPARE(Status(), QString("3 Subtitles loaded !"));
    }

    // The list's own type replaces the one the dialog opened on, also by its absence.
    void listConfigurationBringsItsOutputType() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        for (const int stored : {1, -1}) {
            WriteConfiguration(m_folder->File("film.cfg"), [stored](kestrum::CPropDb& db) {
                if (stored >= 0) {
                    db.WritePropInt("", "OutputType", stored);
                }
            });
            m_db.DeleteAll();
            m_db.WritePropInt("", "OutputType", stored >= 0 ? 0 : 1);
            Open();
            Load(m_folder->File("film.txt"), {Press(QMessageBox::Yes)});
            const OutputType expected = stored >= 0 ? OutputType::Spumux : OutputType::Dvd1;
            QCOMPARE(m_dialog->GetOutputType(), expected);
            QCOMPARE(Get<QPlainTextEdit>("headerEdit").isEnabled(), expected == OutputType::Dvd1);
        }
    }

    // Yes is the question's default button: Enter loads the file.
    void enterAnswersTheConfigurationQuestionWithYes() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteConfiguration(m_folder->File("film.cfg"),
                           [](kestrum::CPropDb& db) { db.WritePropString("", "ImgName", "Reel"); });
        Open();
        Load(m_folder->File("film.txt"), {[](QDialog& box) {
                 QTest::keyClick(QApplication::focusWidget() != nullptr
                                     ? QApplication::focusWidget()
                                     : static_cast<QWidget*>(&box),
                                 Qt::Key_Return);
             }});
        QCOMPARE(Get<QLineEdit>("nameEdit").text(), QString("Reel"));
    }

    // Lines longer than the header field wrap at its edge instead of scrolling sideways.
    void longHeaderLinesWrap() {
        m_db.WritePropString("", "Header1", std::string(400, 'x') + "\r\nend");
        Open();
        auto& header = Get<QPlainTextEdit>("headerEdit");
        QCOMPARE(header.horizontalScrollBar()->maximum(), 0);
        QVERIFY(header.document()->firstBlock().layout()->lineCount() > 1);
    }

    // The field is wide enough for the default header: none of its lines wraps.
    void defaultHeaderLinesFitTheField() {
        Open();
        const QTextDocument& header = *Get<QPlainTextEdit>("headerEdit").document();
        for (QTextBlock block = header.firstBlock(); block.isValid(); block = block.next()) {
            QCOMPARE(block.layout()->lineCount(), 1);
        }
    }

    void noConfigurationNoQuestion() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        QVERIFY(StartEnabled());
    }

    // Only a regular file is offered: opening a named pipe would wait for a writer for ever.
    void configurationThatIsNoFileIsNotOffered_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a folder") << false;
        QTest::newRow("a named pipe") << true;
    }

    void configurationThatIsNoFileIsNotOffered() {
        QFETCH(bool, pipe);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        const std::string cfg = m_folder->File("film.cfg");
        QCOMPARE(pipe ? mkfifo(cfg.c_str(), 0600) : mkdir(cfg.c_str(), 0700), 0);
        Open();
        Load(m_folder->File("film.txt"));
        QVERIFY(StartEnabled());
        QCOMPARE(Status(), QString("3 Subtitles loaded !"));
    }

    // A damaged file is reported with its name; the settings stay whole instead of holding
    // what was read before the damage, and the dialog goes on with the loaded list.
    void damagedConfigurationIsReported() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteConfiguration(m_folder->File("film.cfg"), [](kestrum::CPropDb& db) {
            db.WritePropString("", "ImgName", "Reel");
            db.WritePropInt("", "StartIndex", 42);
        });
        const std::string whole = orvo::test::ReadText(m_folder->File("film.cfg"));
        WriteText(m_folder->File("film.cfg"), whole.substr(0, whole.size() - 6));
        m_db.WritePropString("", "Marker", "before");
        Open();
        Message warning;
        Load(m_folder->File("film.txt"),
             {Press(QMessageBox::Yes), Press(QMessageBox::Ok, &warning)});
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(warning.text.contains(QString::fromStdString(m_folder->File("film.cfg"))),
                 qPrintable(warning.text));
        QVERIFY2(warning.text.contains("end of data"), qPrintable(warning.text));
        QCOMPARE(m_db.ReadPropString("", "Marker", "", false), std::string("before"));
        QVERIFY(!m_db.IsKey("", "ImgName"));
        QCOMPARE(Get<QLineEdit>("nameEdit").text(), QString("OutputImg"));
        QVERIFY(StartEnabled());
        QCOMPARE(Status(), QString("3 Subtitles loaded !"));
    }

    void startHandsOverWhatTheFieldsShow() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        auto& header = Get<QPlainTextEdit>("headerEdit");
        header.clear();
        header.setFocus();
        QTest::keyClicks(&header, "New");
        QTest::keyClick(&header, Qt::Key_Return);
        QTest::keyClicks(&header, "header");
        QTest::keyClick(&header, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClicks(&header, "END");
        QTest::keyClick(&header, Qt::Key_Tab);
        QVERIFY(Get<QPushButton>("startButton").hasFocus());
        auto& name = Get<QLineEdit>("nameEdit");
        name.clear();
        QTest::keyClicks(&name, "Reel");
        auto& input = Get<QLineEdit>("inputFileEdit");
        WriteText(m_folder->File("film.txt2"), kThreeLines);
        QTest::keyClicks(&input, "2");
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_db.ReadPropString("", "Header1", "", false), std::string("New\r\nheader\tEND"));
        QCOMPARE(m_dialog->GetName(), std::string("Reel"));
        QCOMPARE(m_dialog->GetStartIndex(), 1);
        QCOMPARE(m_dialog->GetInputFile(), m_folder->File("film.txt") + "2");
    }

    // Only a type that can mark its subtitles forced offers the box, and only then does a
    // ticked box reach the run. The choice is the run's: nothing is stored.
    void forcedSubtitlesReachTheRun_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("canForce");
        QTest::newRow("DVD-1") << 0 << false;
        QTest::newRow("spumux") << 1 << false;
        QTest::newRow("VobSub") << 2 << true;
    }

    void forcedSubtitlesReachTheRun() {
        QFETCH(int, type);
        QFETCH(bool, canForce);
        WriteText(m_folder->File("film.txt"), kThreeLines);
        m_db.WritePropInt("", "OutputType", 2);
        Open();
        auto& forced = Get<QCheckBox>("forcedCheck");
        QCOMPARE(forced.text(), QString("&Forced subtitles"));
        QVERIFY(!forced.isChecked());
        forced.click();
        Get<QComboBox>("outputTypeCombo").setCurrentIndex(type);
        QCOMPARE(forced.isEnabled(), canForce);
        Load(m_folder->File("film.txt"));
        const std::size_t keys = m_db.GetDefaultSet().GetValues().size();
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        const orvo::RunParameters run = m_dialog->GetRunParameters();
        QCOMPARE(run.forced, canForce);
        QCOMPARE(run.outputType, OutputType(type));
        QCOMPARE(run.LastPath, m_folder->File("film.txt"));
        QCOMPARE(m_db.IsKey("", "Forced"), false);
        QCOMPARE(m_db.GetDefaultSet().GetValues().size(), keys);
    }

    // Bytes the user left alone are stored as they were, whatever their encoding.
    void unchangedTextsKeepTheirBytes() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteConfiguration(m_folder->File("film.cfg"), [](kestrum::CPropDb& db) {
            db.WritePropString("", "Header1", "Caf\xE9\nline");
            db.WritePropString("", "ImgName", "R\xE9");
        });
        Open();
        Load(m_folder->File("film.txt"), {Press(QMessageBox::Yes)});
        QCOMPARE(Get<QLineEdit>("nameEdit").text(), QString::fromUtf8("R\u00E9"));
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(m_db.ReadPropString("", "Header1", "", false), std::string("Caf\xE9\nline"));
        QCOMPARE(m_dialog->GetName(), std::string("R\xE9"));
    }

    void startIndexField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("startIndex");

        QTest::newRow("five digits at most") << "12a345678"
                                             << "12345" << 12345;
        QTest::newRow("empty is 0") << ""
                                    << "" << 0;
        QTest::newRow("leading zeros") << "007"
                                       << "007" << 7;
    }

    void startIndexField() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, startIndex);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        auto& field = Get<QLineEdit>("startIndexEdit");
        field.clear();
        QTest::keyClicks(&field, typed);
        QCOMPARE(field.text(), shown);
        QCOMPARE(field.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(m_dialog->GetStartIndex(), startIndex);
    }

    // Enter in the path field loads what was typed, as "Load..." does with a chosen file: the
    // dialog stays open whatever came of it.
    void enterInThePathFieldLoadsIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("storeSize");

        QTest::newRow("a list") << "film.txt" << QString() << "3 Subtitles loaded !" << 3;
        QTest::newRow("a missing file") << "missing.txt"
                                        << "Error reading file"
                                        << "No file loaded !" << 2;
        QTest::newRow("an invalid line") << "bad.txt"
                                         << "Error reading line 1 !\nLoading aborted!"
                                         << "No file loaded !" << 0;
        QTest::newRow("nothing typed") << "" << QString() << QString() << 2;
    }

    void enterInThePathFieldLoadsIt() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, status);
        QFETCH(int, storeSize);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteText(m_folder->File("bad.txt"), "1\t2\r\n");
        m_store = orvo::test::StoreOf({"earlier\t1\t2\tlist", "earlier\t3\t4\tlist"});
        Open();
        auto& input = Get<QLineEdit>("inputFileEdit");
        // Typed relative to the current folder, which is the test's.
        QTest::keyClicks(&input, typed);
        Message shown;
        DialogScript script(message.isEmpty() ? std::vector<DialogScript::Step>{}
                                              : std::vector{Press(QMessageBox::Ok, &shown)});
        QTest::keyClick(&input, Qt::Key_Return);
        QCOMPARE(script.Count(), script.StepCount());
        QCOMPARE(shown.text, WithReaderReason(message, m_folder->File(qPrintable(typed))));
        QCOMPARE(Status(), status);
        QCOMPARE(int(m_store.size()), storeSize);
        QCOMPARE(StartEnabled(), storeSize == 3);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        if (storeSize == 3) {
            // The field names the list loaded, in full.
            QCOMPARE(input.text(), QString::fromStdString(m_folder->File("film.txt")));
        }
    }

    // After "Load..." the focus is in the path field: Enter there presses Start for the list it
    // names, and loads another path typed instead. A held Enter loads that path only once.
    void enterInThePathFieldStartsTheListLoaded_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("storeSize");

        QTest::newRow("the list loaded") << QString() << false << true << 3;
        QTest::newRow("another list") << "other.txt" << false << false << 2;
        QTest::newRow("another list, Enter held") << "other.txt" << true << false << 2;
    }

    void enterInThePathFieldStartsTheListLoaded() {
        QFETCH(QString, typed);
        QFETCH(bool, held);
        QFETCH(bool, started);
        QFETCH(int, storeSize);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteText(m_folder->File("other.txt"), ListLine(1, "Other") + ListLine(2, "List"));
        Open();
        Load(m_folder->File("film.txt"));
        auto& input = Get<QLineEdit>("inputFileEdit");
        if (!typed.isEmpty()) {
            input.setText(QString::fromStdString(m_folder->File(qPrintable(typed))));
        }
        QTest::keyClick(&input, Qt::Key_Return);
        if (held) {
            for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent repeat(type, Qt::Key_Return, Qt::NoModifier, QString(), true);
                QCoreApplication::sendEvent(&input, &repeat);
            }
        }
        QCOMPARE(m_dialog->result(), int(started ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(m_dialog->isVisible(), !started);
        QCOMPARE(int(m_store.size()), storeSize);
        QVERIFY(StartEnabled());
    }

    // Start with another path in the field than the list loaded loads that path first, so that
    // the outputs placed by the path belong to the subtitles drawn. A path that does not load
    // keeps the dialog open and stores nothing.
    void startLoadsATypedPathFirst_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("storeSize");

        QTest::newRow("another list") << "other.txt" << QString() << true << 2;
        QTest::newRow("a missing file") << "missing.txt"
                                        << "Error reading file" << false << 3;
        QTest::newRow("an invalid line")
            << "bad.txt"
            << "Error reading line 1 !\nLoading aborted!" << false << 0;
    }

    void startLoadsATypedPathFirst() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(bool, started);
        QFETCH(int, storeSize);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        WriteText(m_folder->File("other.txt"), ListLine(1, "Other") + ListLine(2, "List"));
        WriteText(m_folder->File("bad.txt"), "1\t2\r\n");
        Open();
        Load(m_folder->File("film.txt"));
        const std::string storedHeader = m_db.ReadPropString("", "Header1", "", false);
        Get<QPlainTextEdit>("headerEdit").setPlainText("Changed");
        auto& input = Get<QLineEdit>("inputFileEdit");
        input.clear();
        QTest::keyClicks(&input, typed);
        Message shown;
        DialogScript script(message.isEmpty() ? std::vector<DialogScript::Step>{}
                                              : std::vector{Press(QMessageBox::Ok, &shown)});
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(script.Count(), script.StepCount());
        const std::string path = m_folder->File(qPrintable(typed));
        QCOMPARE(shown.text, WithReaderReason(message, path));
        QCOMPARE(int(m_store.size()), storeSize);
        QCOMPARE(m_dialog->result(), int(started ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(m_dialog->isVisible(), !started);
        if (started) {
            QCOMPARE(orvo::ListLines(m_store).front(),
                     std::string("1\t00:00:01:00\t00:00:01:12\tOther"));
            QCOMPARE(m_dialog->GetInputFile(), path);
            QCOMPARE(m_db.ReadPropString("", "Header1", "", false), std::string("Changed"));
        } else {
            QVERIFY(!StartEnabled());
            QCOMPARE(Status(), QString("No file loaded !"));
            QCOMPARE(m_db.ReadPropString("", "Header1", "", false), storedHeader);
        }
    }

    // A name that cannot name the bitmaps is refused with the reason, and the dialog stays
    // open with nothing stored.
    void startRefusesAnImageName_data() {
        QTest::addColumn<QString>("name");

        QTest::newRow("empty") << "";
        QTest::newRow("a folder separator") << "films/Reel";
        QTest::newRow("a backslash") << "films\\Reel";
        QTest::newRow("the parent folder") << "..";
        QTest::newRow("a tab") << "Reel\t1";
        QTest::newRow("too long") << QString(201, 'x');
    }

    void startRefusesAnImageName() {
        QFETCH(QString, name);

        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        const std::string storedHeader = m_db.ReadPropString("", "Header1", "", false);
        Get<QPlainTextEdit>("headerEdit").setPlainText("Changed");
        Get<QLineEdit>("nameEdit").setText(name);
        Message shown;
        DialogScript script({Press(QMessageBox::Ok, &shown)});
        QTest::mouseClick(&Get<QPushButton>("startButton"), Qt::LeftButton);
        QCOMPARE(script.Count(), 1);
        const std::string bytes = name.toStdString();
        const std::optional<std::string> problem = orvo::ImageNameProblem(bytes);
        QVERIFY(problem.has_value());
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QCOMPARE(shown.text, QString::fromStdString(orvo::ImageNameRefusal(bytes, *problem)));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QCOMPARE(m_db.ReadPropString("", "Header1", "", false), storedHeader);
        QCOMPARE(m_db.IsKey("", "ImgName"), false);
        // The name can be mended at once.
        QCOMPARE(m_dialog->focusWidget(), &Get<QLineEdit>("nameEdit"));
    }

    void cancelStoresNothing() {
        WriteText(m_folder->File("film.txt"), kThreeLines);
        Open();
        Load(m_folder->File("film.txt"));
        Get<QPlainTextEdit>("headerEdit").setPlainText("Changed");
        QTest::mouseClick(&Get<QPushButton>("cancelButton"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(m_db.ReadPropString("", "Header1", "", false) != "Changed");
    }
};

ORVO_WINDOW_TEST_MAIN(ProcessDlgTest)
#include "processdlg_test.moc"
