// The program's life: where its settings file is, the look saved on every way of closing and
// shown again at the next start, and a settings file that cannot be read.
#include "windowtestsupport.h"

#include "corvoapp.h"
#include "corvodlg.h"
#include "settingsfile.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <filesystem>
#include <memory>

using orvo::COrvoApp;
using orvo::COrvoDlg;
using orvo::RenderSettings;
using orvo::test::DialogScript;
using orvo::test::Exists;
using orvo::test::Find;
using orvo::test::Message;
using orvo::test::Press;
using orvo::test::ReadText;
using orvo::test::TestFolder;
using orvo::test::WriteText;

namespace {

const std::vector<std::string> kLookKeys = {
    "AntiAlias",    "Align",          "BkgColor",       "Box",
    "ExtendBlanks", "Font",           "LastPath",       "PAL",
    "LeftMargin",   "RightMargin",    "Outline",        "TextColor",
    "TextBkgColor", "OutlineSpacing", "VerticalOffset",
};

void ComparePerField(const RenderSettings& actual, const RenderSettings& expected) {
    QCOMPARE(actual.Font, expected.Font);
    QCOMPARE(actual.AntiAlias, expected.AntiAlias);
    QCOMPARE(actual.LeftMargin, expected.LeftMargin);
    QCOMPARE(actual.RightMargin, expected.RightMargin);
    QCOMPARE(actual.VerticalOffset, expected.VerticalOffset);
    QCOMPARE(actual.Align, expected.Align);
    QCOMPARE(actual.TextColor, expected.TextColor);
    QCOMPARE(actual.TextBkgColor, expected.TextBkgColor);
    QCOMPARE(actual.BkgColor, expected.BkgColor);
    QCOMPARE(actual.Box, expected.Box);
    QCOMPARE(actual.Outline, expected.Outline);
    QCOMPARE(actual.ExtendBlanks, expected.ExtendBlanks);
    QCOMPARE(actual.OutlineSpacing, expected.OutlineSpacing);
    QCOMPARE(actual.PAL, expected.PAL);
    QCOMPARE(actual.DvdColors, expected.DvdColors);
}

void Click(const QWidget& window, const char* name) {
    QTest::mouseClick(&Find<QPushButton>(window, name), Qt::LeftButton);
}

// Every control a user changes, each away from its default.
void ChangeTheLook(COrvoDlg& window) {
    Click(window, "ntscButton");
    Click(window, "outlineButton");
    Click(window, "antialiasButton");
    Click(window, "extendBlanksButton");
    Click(window, "dvdColorsButton");
    Click(window, "bkgColorButton");
    auto& colours = Find<QComboBox>(window, "colorCombo");
    colours.setFocus();
    colours.setCurrentIndex(2);
    QTest::keyClick(&colours, Qt::Key_Down);
    auto& align = Find<QComboBox>(window, "alignCombo");
    align.setFocus();
    QTest::keyClick(&align, Qt::Key_Down);
    // The last margin keeps the focus: closing must apply it.
    for (const char* name :
         {"outlineSpacingEdit", "leftMarginEdit", "rightMarginEdit", "bottomMarginEdit"}) {
        auto& spin = Find<QSpinBox>(window, name);
        spin.setFocus();
        QTest::keyClick(&spin, Qt::Key_Down);
    }
}

using Close = std::function<void(COrvoDlg&)>;

} // namespace

Q_DECLARE_METATYPE(Close)

class LifecycleTest : public QObject {
    Q_OBJECT

private:
    // Runs the program until a step closes its window; what the window held at that moment.
    RenderSettings RunProgram(const std::string& settingsFile,
                              const std::function<void(COrvoDlg&)>& act,
                              std::vector<DialogScript::Step> before = {}) {
        RenderSettings shown;
        before.push_back([&](QDialog& dialog) {
            auto& window = dynamic_cast<COrvoDlg&>(dialog);
            if (!QTest::qWaitForWindowActive(&window)) {
                qWarning("the main window did not become active");
            }
            act(window);
            shown = window.GetRenderSettings();
            if (window.isVisible()) {
                window.reject();
            }
        });
        DialogScript script(std::move(before));
        COrvoApp app(settingsFile);
        m_exitCode = app.Run();
        m_windows = script.Count();
        return shown;
    }

    std::unique_ptr<TestFolder> m_folder;
    int m_exitCode = -1;
    int m_windows = 0;

private slots:
    void init() { m_folder = std::make_unique<TestFolder>(); }
    void cleanup() { m_folder.reset(); }

    void lookIsSavedOnEveryWayOfClosing_data() {
        QTest::addColumn<Close>("close");

        QTest::newRow("Quit") << Close([](COrvoDlg& window) { Click(window, "quitButton"); });
        QTest::newRow("Escape") << Close(
            [](COrvoDlg& window) { QTest::keyClick(&window, Qt::Key_Escape); });
        QTest::newRow("close box") << Close([](COrvoDlg& window) { window.close(); });
    }

    void lookIsSavedOnEveryWayOfClosing() {
        QFETCH(Close, close);

        const std::string file = m_folder->File("orvo.cfg");
        RenderSettings changed;
        RunProgram(file, [&](COrvoDlg& window) {
            ChangeTheLook(window);
            close(window);
            changed = window.GetRenderSettings();
            QVERIFY(!window.isVisible());
        });
        QCOMPARE(m_exitCode, 0);
        QCOMPARE(m_windows, 1);
        QVERIFY(changed != RenderSettings());

        kestrum::CPropDb saved;
        QVERIFY(saved.Load(file));
        for (const std::string& key : kLookKeys) {
            QVERIFY2(saved.IsKey("", key), key.c_str());
        }
        QCOMPARE(saved.ReadPropBool("", "PAL", -1, false), 0);
        QCOMPARE(saved.ReadPropInt("", "Outline", -1, false), 1);
        QCOMPARE(saved.ReadPropBool("", "AntiAlias", -1, false), 0);
        QCOMPARE(saved.ReadPropBool("", "DvdColors", -1, false), 1);
        QCOMPARE(saved.ReadPropInt("", "BkgColor", -1, false), 0x008080);
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), 49);
        QCOMPARE(saved.ReadPropInt("", "VerticalOffset", -1, false), 49);
        QCOMPARE(saved.ReadPropInt("", "OutlineSpacing", -1, false), 1);
        QCOMPARE(saved.ReadPropBlob("", "Font")[26], std::uint8_t{3});

        const RenderSettings reloaded = RunProgram(file, [](COrvoDlg&) {});
        ComparePerField(reloaded, changed);
    }

    void firstStartCreatesTheConfigurationFolder() {
        const std::string file = m_folder->File("config/orvo/orvo.cfg");
        const RenderSettings shown =
            RunProgram(file, [](COrvoDlg& window) { Click(window, "quitButton"); });
        ComparePerField(shown, RenderSettings());
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(file));
        QCOMPARE(saved.ReadPropInt("", "TextColor", -1, false), 0x00FFFF);
        QVERIFY(saved.IsKey("", "Font"));
    }

    void damagedSettingsFileIsMovedAside_data() {
        QTest::addColumn<QByteArray>("damage");

        QTest::newRow("not a settings file") << QByteArray("nothing like a settings file");
        QTest::newRow("cut short") << QByteArray();
    }

    // The program starts with the defaults, says once what happened, and keeps the damaged
    // file beside the new one.
    void damagedSettingsFileIsMovedAside() {
        QFETCH(QByteArray, damage);

        const std::string file = m_folder->File("orvo.cfg");
        std::string bytes = damage.toStdString();
        if (bytes.empty()) {
            kestrum::CPropDb db;
            db.WritePropInt("", "LeftMargin", 7);
            db.WritePropString("", "LastPath", "/somewhere/film.txt");
            QVERIFY(db.Save(file));
            bytes = ReadText(file).substr(0, ReadText(file).size() - 5);
        }
        WriteText(file, bytes);
        Message shown;
        const RenderSettings look =
            RunProgram(file, [](COrvoDlg&) {}, {Press(QMessageBox::Ok, &shown)});
        QCOMPARE(m_windows, 2);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QVERIFY2(shown.text.contains(QString::fromStdString(file) + " cannot be read"),
                 qPrintable(shown.text));
        QVERIFY2(shown.text.contains(QString::fromStdString(file) + ".damaged"),
                 qPrintable(shown.text));
        ComparePerField(look, RenderSettings());
        QCOMPARE(ReadText(file + ".damaged"), bytes);
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(file));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), 50);
    }

    // A damaged file never replaces one set aside before: each gets the next free number.
    void damagedFilesAreNumbered_data() {
        QTest::addColumn<QStringList>("earlier");
        QTest::addColumn<QString>("aside");

        QTest::newRow("first") << QStringList() << "orvo.cfg.damaged";
        QTest::newRow("second") << QStringList{"orvo.cfg.damaged"} << "orvo.cfg.damaged.1";
        QTest::newRow("third") << QStringList{"orvo.cfg.damaged", "orvo.cfg.damaged.1"}
                               << "orvo.cfg.damaged.2";
        // Whatever holds the name, a folder or a file.
        QTest::newRow("a folder in the way")
            << QStringList{"orvo.cfg.damaged/"} << "orvo.cfg.damaged.1";
    }

    void damagedFilesAreNumbered() {
        QFETCH(QStringList, earlier);
        QFETCH(QString, aside);

        for (const QString& name : earlier) {
            if (name.endsWith('/')) {
                QVERIFY(QDir(m_folder->Path()).mkpath(name + "in-the-way"));
            } else {
                WriteText(m_folder->File(qPrintable(name)), "earlier " + name.toStdString());
            }
        }
        const std::string file = m_folder->File("orvo.cfg");
        WriteText(file, "damaged");
        Message shown;
        RunProgram(file, [](COrvoDlg&) {}, {Press(QMessageBox::Ok, &shown)});
        const std::string moved = m_folder->File(qPrintable(aside));
        QVERIFY2(shown.text.contains("renamed to " + QString::fromStdString(moved) + "."),
                 qPrintable(shown.text));
        QCOMPARE(ReadText(moved), std::string("damaged"));
        for (const QString& name : earlier) {
            if (!name.endsWith('/')) {
                QCOMPARE(ReadText(m_folder->File(qPrintable(name))),
                         "earlier " + name.toStdString());
            }
        }
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(file));
    }

    // Saving would destroy it: the program says so and leaves the file alone. Its name leaves
    // no room for a suffix within the file system's name limit, so it cannot be moved aside.
    void damagedFileThatCannotBeMovedIsNotOverwritten() {
        const std::string file = m_folder->File((std::string(248, 'x') + ".cfg").c_str());
        WriteText(file, "damaged");
        Message shown;
        RunProgram(file, [](COrvoDlg&) {}, {Press(QMessageBox::Ok, &shown)});
        QVERIFY2(shown.text.contains("will not be saved"), qPrintable(shown.text));
        QCOMPARE(ReadText(file), std::string("damaged"));
    }

    // An installed program reads the settings shipped beside it until the user has a settings
    // file of their own, and saves only to the user's file.
    void shippedSettingsAreReadUntilTheUserHasOwn_data() {
        QTest::addColumn<bool>("ownExists");
        QTest::addColumn<int>("leftMargin");

        QTest::newRow("first start") << false << 21;
        QTest::newRow("the user's own file") << true << 33;
    }

    void shippedSettingsAreReadUntilTheUserHasOwn() {
        QFETCH(bool, ownExists);
        QFETCH(int, leftMargin);

        const std::string shipped = m_folder->File("bin/orvo.cfg");
        const std::string own = m_folder->File("config/orvo/orvo.cfg");
        QVERIFY(QDir(m_folder->Path()).mkpath("bin"));
        kestrum::CPropDb shippedDb;
        shippedDb.WritePropInt("", "LeftMargin", 21);
        QVERIFY(shippedDb.Save(shipped));
        const std::string shippedBytes = ReadText(shipped);
        if (ownExists) {
            kestrum::CPropDb ownDb;
            ownDb.WritePropInt("", "LeftMargin", 33);
            QVERIFY(QDir(m_folder->Path()).mkpath("config/orvo"));
            QVERIFY(ownDb.Save(own));
        }
        QCOMPARE(orvo::SettingsFileToRead(own, shipped), ownExists ? own : shipped);

        COrvoApp app(own, shipped);
        RenderSettings shown;
        DialogScript script({[&](QDialog& dialog) {
            auto& window = dynamic_cast<COrvoDlg&>(dialog);
            shown = window.GetRenderSettings();
            window.reject();
        }});
        QCOMPARE(app.Run(), 0);
        QCOMPARE(shown.LeftMargin, leftMargin);
        QCOMPARE(ReadText(shipped), shippedBytes);
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(own));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), leftMargin);
    }

    // A damaged shipped file is told about and left where it is; the user's file is written.
    void damagedShippedSettingsAreLeftAlone() {
        const std::string shipped = m_folder->File("orvo-shipped.cfg");
        const std::string own = m_folder->File("config/orvo/orvo.cfg");
        WriteText(shipped, "damaged");
        Message shown;
        COrvoApp app(own, shipped);
        DialogScript script(
            {Press(QMessageBox::Ok, &shown), [](QDialog& window) { window.reject(); }});
        app.Run();
        QCOMPARE(script.Count(), 2);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QVERIFY2(shown.text.contains(QString::fromStdString(shipped) + " cannot be read"),
                 qPrintable(shown.text));
        QVERIFY2(shown.text.contains("default settings"), qPrintable(shown.text));
        QCOMPARE(ReadText(shipped), std::string("damaged"));
        QVERIFY(!Exists(shipped + ".damaged"));
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(own));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), 50);
    }

    void settingsFileToRead_data() {
        QTest::addColumn<bool>("own");
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QString>("read");

        QTest::newRow("both") << true << true << "own.cfg";
        QTest::newRow("only the user's own") << true << false << "own.cfg";
        QTest::newRow("only the shipped one") << false << true << "shipped.cfg";
        // Missing either way: the defaults, saved to the user's file.
        QTest::newRow("neither") << false << false << "own.cfg";
    }

    void settingsFileToRead() {
        QFETCH(bool, own);
        QFETCH(bool, shipped);
        QFETCH(QString, read);

        if (own) {
            WriteText(m_folder->File("own.cfg"), "own");
        }
        if (shipped) {
            WriteText(m_folder->File("shipped.cfg"), "shipped");
        }
        QCOMPARE(orvo::SettingsFileToRead(m_folder->File("own.cfg"), m_folder->File("shipped.cfg")),
                 m_folder->File(qPrintable(read)));
        QCOMPARE(orvo::SettingsFileToRead(m_folder->File("own.cfg"), ""),
                 m_folder->File("own.cfg"));
    }

    void settingsFileBesideAWritableProgram() {
        const std::string beside = m_folder->File("orvo.cfg");
        QCOMPARE(orvo::ChooseSettingsFile(beside, "/no/such/folder"), beside);
        QCOMPARE(orvo::ChooseSettingsFile(beside, "/"), beside);
    }

    void settingsFileInTheConfigurationFolderOtherwise() {
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        QCOMPARE(orvo::ChooseSettingsFile("/no/such/folder/orvo.cfg", "/usr/bin"),
                 config.toStdString() + "/orvo/orvo.cfg");
        // An installed program keeps nothing beside itself, even for a user who may write there.
        const std::string installed = m_folder->File("bin/orvo.cfg");
        QVERIFY(std::filesystem::create_directory(m_folder->File("bin")));
        QCOMPARE(orvo::ChooseSettingsFile(installed, m_folder->File("bin")),
                 config.toStdString() + "/orvo/orvo.cfg");
        QCOMPARE(orvo::ChooseSettingsFile(installed, m_folder->File("bin/../bin")),
                 config.toStdString() + "/orvo/orvo.cfg");

        const QByteArray home = qgetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", m_folder->Path().c_str());
        const std::string chosen = orvo::ChooseSettingsFile("/no/such/folder/orvo.cfg", "/usr/bin");
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("HOME", home);
        QCOMPARE(chosen, m_folder->File(".config/orvo/orvo.cfg"));
    }
};

ORVO_WINDOW_TEST_MAIN(LifecycleTest)
#include "lifecycle_test.moc"
