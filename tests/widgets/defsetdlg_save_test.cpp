// The settings dialog as it writes values back: range checks and their messages, when values
// are saved, OK and Cancel, the choosers, and the raw-data event.
#include "defsettestsupport.h"

#include <kestrum-gui/logfont.h>
#include <kestrum-widgets/pathtree/cpathtree.h>
#include <kestrum-widgets/settingsdlg/cdefsetdlg.h>

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>

using kestrum::CDefSetDlg;
using kestrum::CDefSetEditDataEvent;
using testsupport::DialogAnswerer;
using testsupport::Find;
using testsupport::Item;
using testsupport::KeyTree;
using testsupport::MessageCatcher;
using testsupport::Select;

namespace {

QLineEdit& IntField(const CDefSetDlg& dialog) {
    return Find<QLineEdit>(dialog, "intValue");
}

QLineEdit& FloatField(const CDefSetDlg& dialog) {
    return Find<QLineEdit>(dialog, "floatValue");
}

QPlainTextEdit& TextField(const CDefSetDlg& dialog) {
    return Find<QPlainTextEdit>(dialog, "textValue");
}

void Type(QWidget& field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(&field)) {
        line->selectAll();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(&field)) {
        plain->moveCursor(QTextCursor::End);
    }
    QTest::keyClicks(&field, text);
}

void PressOk(CDefSetDlg& dialog) {
    Find<QPushButton>(dialog, "okButton").click();
}

// Records the raw-data events it receives.
class RawDataWindow : public QWidget {
public:
    std::vector<std::pair<std::string, std::string>> received;

protected:
    bool event(QEvent* event) override {
        if (event->type() == kestrum::WM_DEFSET_EDITDATA) {
            const auto* edit = static_cast<CDefSetEditDataEvent*>(event);
            received.emplace_back(edit->GetSection(), edit->GetKey());
            return true;
        }
        return QWidget::event(event);
    }
};

} // namespace

class DefSetDlgSaveTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The library's own dialogs, whatever the desktop offers, so the tests can answer them.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void outOfRangeIsRefused_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // the stored value, shown again

        QTest::newRow("integer, English") << 0 << false << "5"
                                          << "Input error!!"
                                          << "Value out of range (1 - 4)"
                                          << "3";
        QTest::newRow("integer, German")
            << 1 << false << "5"
            << "Eingabe Fehler!!" << QString::fromUtf8(u8"Wert überschreitet Bereich (1 - 4)")
            << "3";
        QTest::newRow("integer below the range") << 0 << false << "0"
                                                 << "Input error!!"
                                                 << "Value out of range (1 - 4)"
                                                 << "3";
        QTest::newRow("an empty integer counts as 0") << 0 << false << ""
                                                      << "Input error!!"
                                                      << "Value out of range (1 - 4)"
                                                      << "3";
        QTest::newRow("float, English") << 0 << true << "1.6"
                                        << "Input error!!"
                                        << "Value out of range (0.5000 - 1.5000)"
                                        << "1.0000";
        QTest::newRow("float, German")
            << 1 << true << "0.25"
            << "Eingabe Fehler!!"
            << QString::fromUtf8(u8"Wert überschreitet Bereich (0.5000 - 1.5000)") << "1.0000";
        QTest::newRow("not a number is no number in range")
            << 0 << true << "nan"
            << "Input error!!"
            << "Value out of range (0.5000 - 1.5000)"
            << "1.0000";
    }

    void outOfRangeIsRefused() {
        QFETCH(int, language);
        QFETCH(bool, isFloat);
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QString, shown);

        CDefSetDlg dialog;
        dialog.SetLanguage(language);
        dialog.m_PropDb.WritePropInt("", "int", 3);
        dialog.m_PropDb.WritePropFloat("", "float", 1.0F);
        dialog.m_PropDb.WritePropInt("", "other", 0);
        dialog.SetIntRange("", "int", 1, 4, "");
        dialog.SetFloatRange("", "float", 0.5F, 1.5F, "");
        dialog.SetIntRange("", "other", 0, 9, "");
        dialog.show();
        const char* key = isFloat ? "float" : "int";
        QLineEdit& field = isFloat ? FloatField(dialog) : IntField(dialog);
        Select(dialog, "", key);
        field.clear();
        Type(field, entry);

        MessageCatcher catcher;
        Select(dialog, "", "other");
        QCOMPARE(catcher.messages.size(), std::size_t{1});
        QCOMPARE(catcher.messages[0].title, caption);
        QCOMPARE(catcher.messages[0].text, text);
        QCOMPARE(catcher.messages[0].icon, QMessageBox::Critical);
        // The selection comes back to the key, which shows its stored value again.
        QTRY_COMPARE(KeyTree(dialog).currentItem(), Item(dialog, "", key));
        QCOMPARE(field.text(), shown);
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "int", 0, false), 3);
        QCOMPARE(dialog.m_PropDb.ReadPropFloat("", "float", 0, false), 1.0F);

        // The same on OK: the dialog stays open and shows the stored value.
        field.clear();
        Type(field, entry);
        PressOk(dialog);
        QCOMPARE(catcher.messages.size(), std::size_t{2});
        QVERIFY(dialog.isVisible());
        QCOMPARE(KeyTree(dialog).currentItem(), Item(dialog, "", key));
        QCOMPARE(field.text(), shown);
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "int", 0, false), 3);
        QCOMPARE(dialog.m_PropDb.ReadPropFloat("", "float", 0, false), 1.0F);
    }

    void numbersBeyondThirtyTwoBitsAreOutOfRange() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "int", 7);
        dialog.SetIntRange("", "int", std::numeric_limits<int>::min(),
                           std::numeric_limits<int>::max(), "");
        dialog.show();
        Select(dialog, "", "int");
        Type(IntField(dialog), "99999999999"); // would wrap into the range
        MessageCatcher catcher;
        PressOk(dialog);
        QCOMPARE(catcher.messages.size(), std::size_t{1});
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "int", 0, false), 7);

        Type(IntField(dialog), "2147483647");
        PressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "int", 0, false), 2147483647);
    }

    void entriesReadAsLeadingNumbers_data() {
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("stored");
        QTest::newRow("integer digits only") << false << "-4a2" << 42.0;
        QTest::newRow("empty integer") << false << "" << 0.0;
        QTest::newRow("float with trailing text") << true << "1.25xyz" << 1.25;
        QTest::newRow("float with a point whatever the locale") << true << "-2.5" << -2.5;
        QTest::newRow("float without a number") << true << "abc" << 0.0;
    }

    void entriesReadAsLeadingNumbers() {
        QFETCH(bool, isFloat);
        QFETCH(QString, entry);
        QFETCH(double, stored);

        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "int", 3);
        dialog.m_PropDb.WritePropFloat("", "float", 1.0F);
        dialog.SetIntRange("", "int", -100, 100, "");
        dialog.SetFloatRange("", "float", -100, 100, "");
        dialog.show();
        Select(dialog, "", isFloat ? "float" : "int");
        QLineEdit& field = isFloat ? FloatField(dialog) : IntField(dialog);
        field.clear();
        Type(field, entry);
        PressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        if (isFloat) {
            QCOMPARE(dialog.m_PropDb.ReadPropFloat("", "float", 9, false),
                     static_cast<float>(stored));
        } else {
            QCOMPARE(dialog.m_PropDb.ReadPropInt("", "int", 9, false), static_cast<int>(stored));
        }
    }

    void choiceListStoresPositions_data() {
        QTest::addColumn<int>("chosen");
        QTest::newRow("blue") << 2;
        QTest::newRow("red") << 0;
        QTest::newRow("nothing") << -1;
    }

    void choiceListStoresPositions() {
        QFETCH(int, chosen);
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "combo", 1);
        dialog.SetIntCombo("", "combo", {"red", "green", "blue"}, "");
        dialog.show();
        Select(dialog, "", "combo");
        Find<QComboBox>(dialog, "choiceList").setCurrentIndex(chosen);
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "combo", 9, false), chosen);
    }

    void textLimit() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "short", "");
        dialog.m_PropDb.WritePropString("", "long", "0123456789ABC");
        dialog.SetStringRange("", "short", 10, "");
        dialog.SetStringRange("", "long", 10, "");
        dialog.show();
        Select(dialog, "", "short");
        Type(TextField(dialog), "abcdefghijk");
        QCOMPARE(TextField(dialog).toPlainText(), QString("abcdefghij"));
        // A paste keeps the part that fits.
        TextField(dialog).clear();
        TextField(dialog).insertPlainText("xy");
        TextField(dialog).moveCursor(QTextCursor::Start);
        TextField(dialog).insertPlainText("123456789");
        QCOMPARE(TextField(dialog).toPlainText(), QString("12345678xy"));

        // A stored text beyond the limit is shown whole; it cannot grow, but can shrink.
        Select(dialog, "", "long");
        QCOMPARE(TextField(dialog).toPlainText(), QString("0123456789ABC"));
        Type(TextField(dialog), "D");
        QCOMPARE(TextField(dialog).toPlainText(), QString("0123456789ABC"));
        QTest::keyClick(&TextField(dialog), Qt::Key_Backspace);
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "long", "", false),
                 std::string("0123456789AB"));
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "short", "", false), std::string("12345678xy"));
    }

    void textLimitOfZeroMeansNone() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "free", "");
        dialog.SetStringRange("", "free", 0, "");
        dialog.show();
        Select(dialog, "", "free");
        QCOMPARE(Find<QLabel>(dialog, "rangeText").text(), QString("(Max.0 ch.)"));
        Type(TextField(dialog), "abc");
        QCOMPARE(TextField(dialog).toPlainText(), QString("abc"));
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "free", "", false), std::string("abc"));
    }

    void textsKeepTheirEncodingAndLineBreaks_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("saved"); // after typing "!" at the end
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\nb" << QByteArray("a\r\nb!");
        QTest::newRow("bare LF") << QByteArray("a\nb") << "a\nb" << QByteArray("a\nb!");
        QTest::newRow("Windows-1252")
            << QByteArray("Gr\xFC\xDF") << QString::fromUtf8(u8"Grüß") << QByteArray("Gr\xFC\xDF!");
        QTest::newRow("UTF-8") << QByteArray("Gr\xC3\xBC\xC3\x9F") << QString::fromUtf8(u8"Grüß")
                               << QByteArray("Gr\xC3\xBC\xC3\x9F!");
    }

    void textsKeepTheirEncodingAndLineBreaks() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        QFETCH(QByteArray, saved);
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "text", stored.toStdString());
        dialog.SetStringRange("", "text", 100, "");
        dialog.show();
        Select(dialog, "", "text");
        QCOMPARE(TextField(dialog).toPlainText(), shown);
        Type(TextField(dialog), "!");
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "text", "", false), saved.toStdString());
    }

    void yesAndNo() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropBool("", "flag", 1);
        dialog.m_PropDb.WritePropInt("", "other", 0);
        dialog.SetBool("", "flag", "");
        dialog.SetIntRange("", "other", 0, 1, "");
        dialog.show();
        Select(dialog, "", "flag");
        Find<QPushButton>(dialog, "noButton").click();
        QVERIFY(!Find<QPushButton>(dialog, "yesButton").isChecked());
        Select(dialog, "", "other");
        QCOMPARE(dialog.m_PropDb.ReadPropBool("", "flag", 9, false), 0);
        Select(dialog, "", "flag");
        Find<QPushButton>(dialog, "yesButton").click();
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropBool("", "flag", 9, false), 1);
    }

    void savedOnLeavingForAKeyOrASection() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "a", 1);
        dialog.m_PropDb.WritePropInt("S", "b", 1);
        dialog.SetIntRange("", "a", 0, 9, "");
        dialog.SetIntRange("S", "b", 0, 9, "");
        dialog.show();
        Select(dialog, "", "a");
        Type(IntField(dialog), "5");
        Select(dialog, "S", "b");
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "a", 0, false), 5);
        Type(IntField(dialog), "6");
        Select(dialog, "S", "");
        QCOMPARE(dialog.m_PropDb.ReadPropInt("S", "b", 0, false), 6);
    }

    void collapsingAroundTheKeyMovesTheSelectionToTheFolder() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("S", "k", 1);
        dialog.SetIntRange("S", "k", 0, 9, "");
        dialog.show();
        Find<QPushButton>(dialog, "expandAllButton").click();
        Select(dialog, "S", "k");
        Type(IntField(dialog), "7");
        Find<QPushButton>(dialog, "collapseAllButton").click();
        // The selected key is hidden now: the top item takes the selection, which saves the
        // pending value and empties the page.
        QCOMPARE(KeyTree(dialog).currentItem(), Item(dialog, "", ""));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("S", "k", 0, false), 7);
        QCOMPARE(testsupport::ShownControls(dialog), QStringList());

        // A refused value brings its key back into view.
        Find<QPushButton>(dialog, "expandAllButton").click();
        Select(dialog, "S", "k");
        Type(IntField(dialog), "10");
        MessageCatcher catcher;
        KeyTree(dialog).collapseItem(Item(dialog, "S", ""));
        QCOMPARE(catcher.messages.size(), std::size_t{1});
        QCoreApplication::processEvents();
        QCOMPARE(KeyTree(dialog).currentItem(), Item(dialog, "S", "k"));
        QVERIFY(Item(dialog, "S", "")->isExpanded());
        QCOMPARE(IntField(dialog).text(), QString("7"));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("S", "k", 0, false), 7);
    }

    void cancelKeepsWhatWasSavedAndDropsThePendingEntry() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "a", 1);
        dialog.m_PropDb.WritePropInt("", "b", 1);
        dialog.SetIntRange("", "a", 0, 9, "");
        dialog.SetIntRange("", "b", 0, 9, "");
        dialog.show();
        Select(dialog, "", "a");
        Type(IntField(dialog), "5");
        Select(dialog, "", "b");
        Type(IntField(dialog), "6");
        Find<QPushButton>(dialog, "cancelButton").click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "a", 0, false), 5);
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "b", 0, false), 1);
    }

    void okWithoutEditsWritesNothing() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("sub"));
        CDefSetDlg dialog;
        // Values that any rewrite would change: the page shows them rounded or re-formed.
        dialog.m_PropDb.WritePropFloat("", "float", 0.123456F);
        dialog.m_PropDb.WritePropString("", "path", folder.filePath("SUB/").toStdString());
        dialog.m_PropDb.WritePropInt("", "colour", 0x00123456);
        dialog.SetFloatRange("", "float", 0, 1, "");
        dialog.SetStringPath("", "path", "");
        dialog.SetIntColor("", "colour", "");
        dialog.show();
        for (const char* key : {"float", "colour", "path"}) {
            Select(dialog, "", key);
        }
        PressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_PropDb.ReadPropFloat("", "float", 0, false), 0.123456F);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "path", "", false),
                 folder.filePath("SUB/").toStdString());
    }

    void pathTreeSelectionIsSaved() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("one/two"));
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "path", folder.filePath("one").toStdString());
        dialog.SetStringPath("", "path", "");
        dialog.show();
        Select(dialog, "", "path");
        auto& tree = Find<kestrum::CPathTree>(dialog, "pathTree");
        QCOMPARE(tree.ExpandPath(folder.filePath("one/TWO").toStdString(), true), 1);
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "path", "", false),
                 folder.filePath("one/two").toStdString());
    }

    void colourChooser() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "colour", 0x000000FF);
        dialog.SetIntColor("", "colour", "");
        dialog.show();
        Select(dialog, "", "colour");
        QColor offered;
        DialogAnswerer answerer([&offered](QDialog& shown) {
            auto& chooser = static_cast<QColorDialog&>(shown);
            offered = chooser.currentColor();
            chooser.setCurrentColor(QColor(0, 128, 255));
            chooser.accept();
        });
        Find<QPushButton>(dialog, "changeButton").click();
        QCOMPARE(answerer.GetCount(), 1);
        QCOMPARE(offered, QColor(255, 0, 0));
        QCOMPARE(Find<QLabel>(dialog, "sampleField").palette().color(QPalette::Window),
                 QColor(0, 128, 255));
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "colour", 0, false), 0x00FF8000);
    }

    void fontChooserKeepsWhatFontsDoNotCarry() {
        CDefSetDlg dialog;
        kestrum::LOGFONT stored = kestrum::LOGFONT::Make("Liberation Sans", -24);
        stored.quality = 4;
        stored.charSet = 1;
        dialog.m_PropDb.WritePropBlob("", "Font", stored.ToBytes());
        dialog.SetBlobFont("", "Font", "");
        dialog.show();
        Select(dialog, "", "Font");
        QFont offered;
        DialogAnswerer answerer([&offered](QDialog& shown) {
            auto& chooser = static_cast<QFontDialog&>(shown);
            offered = chooser.currentFont();
            QFont chosen("Liberation Serif");
            chosen.setPixelSize(30);
            chosen.setItalic(true);
            chooser.setCurrentFont(chosen);
            chooser.accept();
        });
        Find<QPushButton>(dialog, "changeButton").click();
        QCOMPARE(answerer.GetCount(), 1);
        QCOMPARE(offered.family(), QString("Liberation Sans"));
        PressOk(dialog);

        QCOMPARE(dialog.m_PropDb.GetBlobSize("", "Font"), 60u);
        const auto saved =
            kestrum::LOGFONT::FromBytes({dialog.m_PropDb.ReadPropBlob("", "Font"), 60});
        QVERIFY(saved);
        QCOMPARE(std::string(saved->faceName.data()), std::string("Liberation Serif"));
        QVERIFY(saved->height < 0);
        QCOMPARE(saved->italic, std::uint8_t{1});
        QCOMPARE(saved->quality, std::uint8_t{4});
        QCOMPARE(saved->charSet, std::uint8_t{1});
    }

    void fileChooser_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("English") << 0 << "Select File";
        QTest::newRow("German") << 1 << "Selektiere Datei";
    }

    void fileChooser() {
        QFETCH(int, language);
        QFETCH(QString, title);
        QTemporaryDir folder;
        QFile chosen(folder.filePath("chosen.txt"));
        QVERIFY(chosen.open(QIODevice::WriteOnly));
        chosen.close();

        CDefSetDlg dialog;
        dialog.SetLanguage(language);
        dialog.m_PropDb.WritePropString("", "file", folder.filePath("film.txt").toStdString());
        dialog.m_PropDb.WritePropString("", "bare", "film.txt");
        dialog.SetStringFile("", "file", "");
        dialog.SetStringFile("", "bare", "");
        dialog.show();

        QString shownTitle;
        QString folderShown;
        QStringList proposed;
        DialogAnswerer answerer([&](QDialog& shown) {
            auto& chooser = static_cast<QFileDialog&>(shown);
            shownTitle = chooser.windowTitle();
            folderShown = chooser.directory().absolutePath();
            proposed = chooser.selectedFiles();
            chooser.selectFile(chosen.fileName());
            static_cast<QDialog&>(chooser).accept(); // QFileDialog hides its own
        });
        Select(dialog, "", "file");
        Find<QPushButton>(dialog, "changeButton").click();
        QCOMPARE(answerer.GetCount(), 1);
        QCOMPARE(shownTitle, title);
        QCOMPARE(folderShown, folder.path());
        QCOMPARE(proposed, QStringList{folder.filePath("film.txt")});
        QCOMPARE(TextField(dialog).toPlainText(), chosen.fileName());

        // Without a folder in the value: the dialog's own title, no proposed name.
        Select(dialog, "", "bare");
        Find<QPushButton>(dialog, "changeButton").click();
        QVERIFY(shownTitle != title);
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "file", "", false),
                 chosen.fileName().toStdString());
        QCOMPARE(dialog.m_PropDb.ReadPropString("", "bare", "", false),
                 chosen.fileName().toStdString());
    }

    void rawDataGoesToTheCallersWindow() {
        RawDataWindow window;
        CDefSetDlg dialog;
        const std::uint8_t bytes[] = {1, 2};
        dialog.m_PropDb.WritePropBlob("Data", "raw", bytes);
        dialog.m_PropDb.WritePropBlob("", "raw", bytes);
        dialog.SetBlobRaw("Data", "raw", "", &window);
        dialog.SetBlobRaw("", "raw", "", &window);
        dialog.show();
        Select(dialog, "Data", "raw");
        Find<QPushButton>(dialog, "changeButton").click();
        Select(dialog, "", "raw");
        Find<QPushButton>(dialog, "changeButton").click();
        using Received = std::vector<std::pair<std::string, std::string>>;
        QCOMPARE(window.received, (Received{{"Data", "raw"}, {"", "raw"}}));
        PressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void rawDataWindowGoneMeanwhile() {
        auto* window = new RawDataWindow;
        CDefSetDlg dialog;
        const std::uint8_t bytes[] = {1};
        dialog.m_PropDb.WritePropBlob("", "raw", bytes);
        dialog.SetBlobRaw("", "raw", "", window);
        dialog.show();
        Select(dialog, "", "raw");
        delete window;
        Find<QPushButton>(dialog, "changeButton").click(); // nothing to tell, nothing breaks
        QCOMPARE(dialog.m_PropDb.GetBlobSize("", "raw"), 1u);
    }

    void editedKindIsWhatIsWritten() {
        // A key whose stored kind differs from its description shows the description's page
        // with its default; the user's entry is written in that kind, not a hidden field's.
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "key", "text");
        dialog.SetIntRange("", "key", 0, 100, "");
        dialog.show();
        Select(dialog, "", "key");
        QCOMPARE(IntField(dialog).text(), QString("0"));
        Type(IntField(dialog), "7");
        PressOk(dialog);
        QCOMPARE(dialog.m_PropDb.GetType("", "key"), int(kestrum::kPropInt));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("", "key", 0, false), 7);
    }
};

QTEST_MAIN(DefSetDlgSaveTest)
#include "defsetdlg_save_test.moc"
