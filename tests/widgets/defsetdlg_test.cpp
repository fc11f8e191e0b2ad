// The settings dialog as it opens and shows values: registrations, the key tree, icons, pages
// and their captions, both languages, colours, and how long descriptions live.
#include "defsettestsupport.h"

#include <kestrum-gui/logfont.h>
#include <kestrum-widgets/settingsdlg/cdefsetdlg.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <kestrum-widgets/pathtree/cpathtree.h>

#include <functional>
#include <memory>

using kestrum::CDefSetDlg;
using kestrum::CPropInfo;
using testsupport::Caption;
using testsupport::Find;
using testsupport::Item;
using testsupport::KeyTree;
using testsupport::Outline;
using testsupport::Select;
using testsupport::ShownControls;

using Registration = std::function<void(CDefSetDlg&)>;
Q_DECLARE_METATYPE(Registration)

namespace {

const CPropInfo* Info(const CDefSetDlg& dialog, std::string_view section, std::string_view key) {
    return dynamic_cast<const CPropInfo*>(dialog.GetInfoDb().ReadPropObj(section, key));
}

bool InfoDbEmpty(const CDefSetDlg& dialog) {
    return dialog.GetInfoDb().GetSections().empty() &&
           dialog.GetInfoDb().GetDefaultSet().GetValues().empty();
}

QColor Background(const QWidget& widget) {
    return widget.palette().color(QPalette::Window);
}

// One value of every kind under the key "k" of the default section.
void WriteEveryKind(CDefSetDlg& dialog) {
    dialog.m_PropDb.WritePropInt("", "int", 3);
    dialog.m_PropDb.WritePropFloat("", "float", 1.0F);
    dialog.m_PropDb.WritePropString("", "string", "text");
    dialog.m_PropDb.WritePropBool("", "bool", 1);
    const std::uint8_t bytes[] = {1, 2, 3};
    dialog.m_PropDb.WritePropBlob("", "blob", bytes);
    dialog.m_PropDb.WritePropObj("", "object", std::make_unique<CPropInfo>());
}

} // namespace

class DefSetDlgTest : public QObject {
    Q_OBJECT

private slots:
    void registrationFields_data() {
        QTest::addColumn<Registration>("registration");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("maxChars");

        QTest::newRow("int range")
            << Registration([](CDefSetDlg& d) { d.SetIntRange("S", "k", 1, 4, "help"); }) << 0 << 0
            << 0;
        QTest::newRow("float range")
            << Registration([](CDefSetDlg& d) { d.SetFloatRange("S", "k", 0.5F, 1.5F, "help"); })
            << 1 << 0 << 0;
        QTest::newRow("string range")
            << Registration([](CDefSetDlg& d) { d.SetStringRange("S", "k", 10, "help"); }) << 2 << 0
            << 10;
        QTest::newRow("file") << Registration([](CDefSetDlg& d) {
            d.SetStringFile("S", "k", "help");
        }) << 2 << 5 << 255;
        QTest::newRow("path") << Registration([](CDefSetDlg& d) {
            d.SetStringPath("S", "k", "help");
        }) << 2 << 4 << 255;
        QTest::newRow("colour") << Registration([](CDefSetDlg& d) {
            d.SetIntColor("S", "k", "help");
        }) << 0 << 2 << 0;
        QTest::newRow("choice list") << Registration([](CDefSetDlg& d) {
            d.SetIntCombo("S", "k", {"red", "green"}, "help");
        }) << 0 << 1 << 0;
        QTest::newRow("yes/no") << Registration([](CDefSetDlg& d) { d.SetBool("S", "k", "help"); })
                                << 3 << 0 << 0;
        QTest::newRow("font") << Registration([](CDefSetDlg& d) {
            d.SetBlobFont("S", "k", "help");
        }) << 4 << 3 << 0;
    }

    void registrationFields() {
        QFETCH(Registration, registration);
        QFETCH(int, type);
        QFETCH(int, variant);
        QFETCH(int, maxChars);

        CDefSetDlg dialog;
        registration(dialog);
        const CPropInfo* info = Info(dialog, "S", "k");
        QVERIFY(info);
        QCOMPARE(info->m_nType, type);
        QCOMPARE(info->m_nSubType, variant);
        QCOMPARE(info->m_nMaxChars, maxChars);
        QCOMPARE(info->m_strInfo, std::string("help"));
    }

    void registrationKeepsRangesListAndWindow() {
        CDefSetDlg dialog;
        QWidget window;
        std::vector<std::string> texts = {"red", "green"};
        dialog.SetIntRange("", "int", 5, 1, "");
        dialog.SetFloatRange("", "float", -2.5F, 7.25F, "");
        dialog.SetIntCombo("", "combo", texts, "");
        dialog.SetBlobRaw("", "raw", "", &window);
        texts.push_back("blue"); // the list was copied

        QCOMPARE(Info(dialog, "", "int")->m_nMin, 5);
        QCOMPARE(Info(dialog, "", "int")->m_nMax, 1);
        QCOMPARE(Info(dialog, "", "float")->m_fMin, -2.5F);
        QCOMPARE(Info(dialog, "", "float")->m_fMax, 7.25F);
        QCOMPARE(Info(dialog, "", "combo")->m_ComboList,
                 (std::vector<std::string>{"red", "green"}));
        QCOMPARE(Info(dialog, "", "raw")->m_nType, 4);
        QCOMPARE(Info(dialog, "", "raw")->m_nSubType, 6);
        QCOMPARE(Info(dialog, "", "raw")->m_pWnd.data(), &window);
    }

    void registeringAgainReplaces() {
        CDefSetDlg dialog;
        dialog.SetIntRange("", "k", 1, 4, "first");
        dialog.SetBool("", "k", "second");
        QCOMPARE(Info(dialog, "", "k")->m_nType, 3);
        QCOMPARE(Info(dialog, "", "k")->m_strInfo, std::string("second"));
    }

    void rawDataNeedsALiveWindow() {
        CDefSetDlg dialog;
        dialog.SetBlobRaw("", "k", "", nullptr);
        QVERIFY(InfoDbEmpty(dialog));

        dialog.SetIntRange("", "k", 1, 4, "kept");
        QPointer<QWidget> gone = new QWidget;
        delete gone.data();
        dialog.SetBlobRaw("", "k", "", gone);
        QCOMPARE(Info(dialog, "", "k")->m_strInfo, std::string("kept"));
    }

    void treeShowsDescribedKeysSortedThenSections() {
        CDefSetDlg dialog;
        for (const char* key : {"b", "a", "C", "undescribed"}) {
            dialog.m_PropDb.WritePropInt("", key, 1);
        }
        dialog.m_PropDb.WritePropInt("S2", "y", 1);
        dialog.m_PropDb.WritePropInt("S2", "x", 1);
        dialog.m_PropDb.WritePropInt("S1", "only-undescribed", 1);
        for (const char* key : {"b", "a", "C", "missing"}) {
            dialog.SetIntRange("", key, 0, 9, "");
        }
        dialog.SetIntRange("S2", "y", 0, 9, "");
        dialog.SetIntRange("S2", "x", 0, 9, "");
        dialog.SetIntRange("S3", "no-value", 0, 9, "");
        dialog.show();

        QCOMPARE(Outline(KeyTree(dialog)), QString("Root(a,b,C,S1,S2(x,y))"));
        QVERIFY(KeyTree(dialog).topLevelItem(0)->isExpanded());
    }

    void iconsByKindAndVariant_data() {
        QTest::addColumn<Registration>("registration");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("image");

        auto range = [](const char* key) {
            return Registration([key](CDefSetDlg& d) { d.SetIntRange("", key, 0, 1, ""); });
        };
        QTest::newRow("int") << range("int") << "int" << 2;
        QTest::newRow("float") << range("float") << "float" << 3;
        QTest::newRow("string") << range("string") << "string" << 4;
        QTest::newRow("bool") << range("bool") << "bool" << 5;
        QTest::newRow("blob") << range("blob") << "blob" << 6;
        QTest::newRow("object") << range("object") << "object" << 7;
        QTest::newRow("colour") << Registration([](CDefSetDlg& d) { d.SetIntColor("", "int", ""); })
                                << "int" << 8;
        QTest::newRow("font") << Registration([](CDefSetDlg& d) { d.SetBlobFont("", "blob", ""); })
                              << "blob" << 9;
        QTest::newRow("choice list")
            << Registration([](CDefSetDlg& d) { d.SetIntCombo("", "int", {"a"}, ""); }) << "int"
            << 2;
        QTest::newRow("path") << Registration([](CDefSetDlg& d) {
            d.SetStringPath("", "string", "");
        }) << "string" << 4;
    }

    void iconsByKindAndVariant() {
        QFETCH(Registration, registration);
        QFETCH(QString, key);
        QFETCH(int, image);

        CDefSetDlg dialog;
        WriteEveryKind(dialog);
        registration(dialog);
        dialog.show();
        const QTreeWidgetItem* item = Item(dialog, "", key.toStdString());
        QVERIFY(item);
        QCOMPARE(kestrum::GetItemImage(*item), image);
        QCOMPARE(kestrum::GetItemSelectedImage(*item), image);
        QVERIFY(!item->icon(0).isNull());
    }

    void pages_data() {
        QTest::addColumn<Registration>("registration");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("controls");

        QTest::newRow("int range")
            << Registration([](CDefSetDlg& d) { d.SetIntRange("", "int", 0, 9, ""); }) << "int"
            << "Integer" << QStringList{"intValue", "rangeText"};
        QTest::newRow("choice list") << Registration([](CDefSetDlg& d) {
            d.SetIntCombo("", "int", {"a", "b"}, "");
        }) << "int"
                                     << "Integer" << QStringList{"choiceList"};
        QTest::newRow("colour") << Registration([](CDefSetDlg& d) { d.SetIntColor("", "int", ""); })
                                << "int"
                                << "Color" << QStringList{"changeButton", "sampleField"};
        QTest::newRow("float") << Registration([](CDefSetDlg& d) {
            d.SetFloatRange("", "float", 0, 9, "");
        }) << "float"
                               << "Float" << QStringList{"floatValue", "rangeText"};
        QTest::newRow("text") << Registration([](CDefSetDlg& d) {
            d.SetStringRange("", "string", 9, "");
        }) << "string"
                              << "Text" << QStringList{"textValue", "rangeText"};
        QTest::newRow("file") << Registration([](CDefSetDlg& d) {
            d.SetStringFile("", "string", "");
        }) << "string"
                              << "Text" << QStringList{"textValue", "changeButton"};
        QTest::newRow("path") << Registration([](CDefSetDlg& d) {
            d.SetStringPath("", "string", "");
        }) << "string"
                              << "Text" << QStringList{"pathTree"};
        QTest::newRow("yes/no") << Registration([](CDefSetDlg& d) { d.SetBool("", "bool", ""); })
                                << "bool"
                                << "Boolean" << QStringList{"yesButton", "noButton"};
        QTest::newRow("font") << Registration([](CDefSetDlg& d) { d.SetBlobFont("", "blob", ""); })
                              << "blob"
                              << "Font" << QStringList{"changeButton", "sampleField"};
        QTest::newRow("raw data") << Registration([](CDefSetDlg& d) {
            d.SetBlobRaw("", "blob", "", d.parentWidget());
        }) << "blob"
                                  << "Data" << QStringList{"changeButton"};
        QTest::newRow("the description decides, not the stored kind")
            << Registration([](CDefSetDlg& d) { d.SetIntRange("", "string", 0, 1, ""); })
            << "string"
            << "Integer" << QStringList{"intValue", "rangeText"};
    }

    void pages() {
        QFETCH(Registration, registration);
        QFETCH(QString, key);
        QFETCH(QString, caption);
        QFETCH(QStringList, controls);

        QWidget owner;
        CDefSetDlg dialog(&owner);
        WriteEveryKind(dialog);
        registration(dialog);
        dialog.show();
        QCOMPARE(Caption(dialog), QString("Parameter"));
        QVERIFY(!Find<QWidget>(dialog, "parameterGroup").isEnabled());
        QCOMPARE(ShownControls(dialog), QStringList());

        Select(dialog, "", key.toStdString());
        QCOMPARE(Caption(dialog), caption);
        QCOMPARE(ShownControls(dialog), controls);
        // Page controls stand in the middle of the page, whatever their size.
        const QRect page = Find<QWidget>(dialog, "parameterGroup").geometry();
        for (const QString& name : controls) {
            const QWidget& control = Find<QWidget>(dialog, name.toLatin1().constData());
            if (name != "rangeText") {
                QVERIFY2(std::abs(control.geometry().center().x() - page.center().x()) <= 1,
                         qPrintable(name));
                QVERIFY2(page.contains(control.geometry()), qPrintable(name));
            }
        }
        // Back at the top item, the page is empty again.
        Select(dialog, "", "");
        QCOMPARE(Caption(dialog), QString("Parameter"));
        QCOMPARE(ShownControls(dialog), QStringList());
    }

    void yesAboveNoAndFileFieldReadOnly() {
        CDefSetDlg dialog;
        WriteEveryKind(dialog);
        dialog.SetBool("", "bool", "");
        dialog.SetStringFile("", "string", "");
        dialog.SetStringRange("S", "text", 9, "");
        dialog.m_PropDb.WritePropString("S", "text", "t");
        dialog.show();
        Select(dialog, "", "bool");
        QVERIFY(Find<QWidget>(dialog, "yesButton").y() +
                    Find<QWidget>(dialog, "yesButton").height() <=
                Find<QWidget>(dialog, "noButton").y());
        Select(dialog, "", "string");
        QVERIFY(Find<QPlainTextEdit>(dialog, "textValue").isReadOnly());
        Select(dialog, "S", "text");
        QVERIFY(!Find<QPlainTextEdit>(dialog, "textValue").isReadOnly());
    }

    void valuesAsPagesShowThem() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "int", 3);
        dialog.m_PropDb.WritePropFloat("", "float", 1.0F);
        dialog.m_PropDb.WritePropString("", "string", "one\r\ntwo");
        dialog.m_PropDb.WritePropInt("", "combo", 1);
        dialog.m_PropDb.WritePropBool("", "yes", 1);
        dialog.m_PropDb.WritePropBool("", "no", 0);
        dialog.SetIntRange("", "int", 1, 4, "Help\r\ntext");
        dialog.SetFloatRange("", "float", 0.5F, 1.5F, "");
        dialog.SetStringRange("", "string", 10, "");
        dialog.SetIntCombo("", "combo", {"red", "green", "blue"}, "");
        dialog.SetBool("", "yes", "");
        dialog.SetBool("", "no", "");
        dialog.show();

        Select(dialog, "", "int");
        QCOMPARE(Find<QLabel>(dialog, "rangeText").text(), QString("(1 - 4)"));
        QCOMPARE(Find<QLineEdit>(dialog, "intValue").text(), QString("3"));
        QCOMPARE(Find<QLabel>(dialog, "helpField").text(), QString("Help\ntext"));
        Select(dialog, "", "float");
        QCOMPARE(Find<QLabel>(dialog, "rangeText").text(), QString("(0.5000 - 1.5000)"));
        QCOMPARE(Find<QLineEdit>(dialog, "floatValue").text(), QString("1.0000"));
        QCOMPARE(Find<QLabel>(dialog, "helpField").text(), QString());
        Select(dialog, "", "string");
        QCOMPARE(Find<QLabel>(dialog, "rangeText").text(), QString("(Max.10 ch.)"));
        QCOMPARE(Find<QPlainTextEdit>(dialog, "textValue").toPlainText(), QString("one\ntwo"));
        Select(dialog, "", "combo");
        const auto& combo = Find<QComboBox>(dialog, "choiceList");
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.currentText(), QString("green"));
        Select(dialog, "", "yes");
        QVERIFY(Find<QPushButton>(dialog, "yesButton").isChecked());
        QVERIFY(!Find<QPushButton>(dialog, "noButton").isChecked());
        Select(dialog, "", "no");
        QVERIFY(!Find<QPushButton>(dialog, "yesButton").isChecked());
        QVERIFY(Find<QPushButton>(dialog, "noButton").isChecked());
    }

    void colourAndHelpFields() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "colour", 0x00FF8000); // blue 255, green 128
        dialog.m_PropDb.WritePropInt("", "plain", 1);
        dialog.SetIntColor("", "colour", "");
        dialog.SetIntRange("", "plain", 0, 9, "");
        dialog.show();

        const QLabel& help = Find<QLabel>(dialog, "helpField");
        QCOMPARE(Background(help), QColor(255, 255, 220));
        QCOMPARE(help.palette().color(QPalette::WindowText), QColor(Qt::black));
        const QLabel& sample = Find<QLabel>(dialog, "sampleField");
        Select(dialog, "", "colour");
        QCOMPARE(Background(sample), QColor(0, 128, 255));
        QCOMPARE(sample.text(), QString());
        Select(dialog, "", "plain");
        QCOMPARE(Background(sample), QColor(192, 192, 192));
    }

    void fontPageShowsTheStoredFont() {
        CDefSetDlg dialog;
        const kestrum::LOGFONT font = kestrum::LOGFONT::Make("Liberation Serif", -24);
        dialog.m_PropDb.WritePropBlob("", "Font", font.ToBytes());
        dialog.SetBlobFont("", "Font", "");
        dialog.show();
        Select(dialog, "", "Font");
        const QLabel& sample = Find<QLabel>(dialog, "sampleField");
        QCOMPARE(sample.text(), QString("Test Text"));
        QCOMPARE(sample.font().family(), QString("Liberation Serif"));
        QCOMPARE(sample.font().pixelSize(), 24);
        QCOMPARE(Background(sample), QColor(192, 192, 192));
    }

    void pathPageOpensTheStoredFolder() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("Sub/Deeper"));
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropString("", "path", folder.filePath("sub").toStdString());
        dialog.SetStringPath("", "path", "");
        dialog.show();
        Select(dialog, "", "path");
        const auto& tree = Find<kestrum::CPathTree>(dialog, "pathTree");
        QCOMPARE(tree.GetCurrentPath(), folder.filePath("Sub").toStdString());
    }

    void labels_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("texts"); // yes, no, change, expand, collapse, OK, cancel
        QTest::newRow("English") << 0
                                 << QStringList{"Yes",         "No", "Cha&nge...", "Expand all",
                                                "Collaps all", "OK", "Cancel"};
        QTest::newRow("German") << 1
                                << QStringList{
                                       "Ja",       "Nein",    QString::fromUtf8(u8"Ä&ndern..."),
                                       "Alle auf", "Alle zu", "OK",
                                       "Abbrechen"};
    }

    void labels() {
        QFETCH(int, language);
        QFETCH(QStringList, texts);

        CDefSetDlg dialog;
        // The language applied last time must not stick.
        dialog.SetLanguage(1 - language);
        dialog.show();
        dialog.reject();
        dialog.SetLanguage(language);
        dialog.show();
        QStringList shown;
        for (const char* name : {"yesButton", "noButton", "changeButton", "expandAllButton",
                                 "collapseAllButton", "okButton", "cancelButton"}) {
            shown << Find<QPushButton>(dialog, name).text();
        }
        QCOMPARE(shown, texts);
    }

    void titleAndRootText() {
        CDefSetDlg dialog;
        QCOMPARE(dialog.isVisible(), false);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Settings"));
        QCOMPARE(KeyTree(dialog).topLevelItem(0)->text(0), QString("Root"));
        dialog.reject();

        dialog.SetDlgTitle("Einstellungen f\xFCr Orvo"); // Windows-1252
        dialog.SetRootText("Wurzel \xC3\xA4");           // UTF-8
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8(u8"Einstellungen für Orvo"));
        QCOMPARE(KeyTree(dialog).topLevelItem(0)->text(0), QString::fromUtf8(u8"Wurzel ä"));
    }

    void expandAndCollapseAll() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "k", 1);
        dialog.m_PropDb.WritePropInt("A", "x", 1);
        dialog.m_PropDb.WritePropInt("B", "y", 1);
        dialog.m_PropDb.WritePropInt("Empty", "undescribed", 1);
        dialog.SetIntRange("", "k", 0, 1, "");
        dialog.SetIntRange("A", "x", 0, 1, "");
        dialog.SetIntRange("B", "y", 0, 1, "");
        dialog.show();
        QTreeWidgetItem* top = Item(dialog, "", "");
        QCOMPARE(kestrum::GetItemImage(*top), 1); // opened when the dialog opens

        Find<QPushButton>(dialog, "collapseAllButton").click();
        for (const char* section : {"", "A", "B", "Empty"}) {
            QVERIFY2(!Item(dialog, section, "")->isExpanded(), section);
            QCOMPARE(kestrum::GetItemImage(*Item(dialog, section, "")), 0);
        }

        Find<QPushButton>(dialog, "expandAllButton").click();
        for (const char* section : {"", "A", "B"}) {
            QVERIFY2(Item(dialog, section, "")->isExpanded(), section);
            QCOMPARE(kestrum::GetItemImage(*Item(dialog, section, "")), 1);
            QCOMPARE(kestrum::GetItemSelectedImage(*Item(dialog, section, "")), 1);
        }
        QCOMPARE(kestrum::GetItemImage(*Item(dialog, "Empty", "")), 0);
    }

    void selectKey() {
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "S", 1); // a key named like the section
        dialog.m_PropDb.WritePropInt("S", "k", 2);
        dialog.SetIntRange("", "S", 0, 9, "");
        dialog.SetIntRange("S", "k", 0, 9, "");
        QVERIFY(!dialog.SelectKey("", "S")); // not shown yet
        dialog.show();
        QVERIFY(dialog.SelectKey("S", "k"));
        QCOMPARE(Find<QLineEdit>(dialog, "intValue").text(), QString("2"));
        QVERIFY(dialog.SelectKey("", "S"));
        QCOMPARE(Find<QLineEdit>(dialog, "intValue").text(), QString("1"));
        QVERIFY(!dialog.SelectKey("", "k"));
        QVERIFY(!dialog.SelectKey("S", ""));
        QVERIFY(!dialog.SelectKey("T", "k"));
    }

    void descriptionsEndWithTheShowing_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void descriptionsEndWithTheShowing() {
        QFETCH(bool, ok);
        CDefSetDlg dialog;
        dialog.m_PropDb.WritePropInt("", "k", 1);
        dialog.m_PropDb.WritePropInt("S", "x", 1);
        dialog.SetIntRange("", "k", 0, 1, "");
        dialog.SetIntRange("S", "x", 0, 1, "");
        dialog.SetIntRange("", "no-value", 0, 1, "");
        dialog.show();
        Find<QPushButton>(dialog, ok ? "okButton" : "cancelButton").click();
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(InfoDbEmpty(dialog));

        // Shown again without registering: only the sections are left.
        dialog.show();
        QCOMPARE(Outline(KeyTree(dialog)), QString("Root(S)"));
        QCOMPARE(dialog.m_PropDb.ReadPropInt("S", "x", 0, false), 1);
    }
};

QTEST_MAIN(DefSetDlgTest)
#include "defsetdlg_test.moc"
