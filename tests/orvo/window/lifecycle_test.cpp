// The program's life: where its settings file is, the look saved on every way of closing and
// shown again at the next start, and a settings file that cannot be read.
#include "windowtestsupport.h"

#include "orvo/app/corvoapp.h"
#include "orvo/app/corvodlg.h"
#include "orvo/app/settingsfile.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

using orvo::COrvoApp;
using orvo::COrvoDlg;
using orvo::RenderSettings;
using orvo::test::DialogScript;
using orvo::test::Exists;
using orvo::test::Find;
using orvo::test::Message;
using orvo::test::Press;
using orvo::test::ReadBytes;
using orvo::test::TestFolder;
using orvo::test::WriteBytes;

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
            bytes = ReadBytes(file).substr(0, ReadBytes(file).size() - 5);
        }
        WriteBytes(file, bytes);
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
        QCOMPARE(ReadBytes(file + ".damaged"), bytes);
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(file));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), 50);
    }

    // Saving would destroy it: the program says so and leaves the file alone.
    void damagedFileThatCannotBeMovedIsNotOverwritten() {
        const std::string file = m_folder->File("orvo.cfg");
        WriteBytes(file, "damaged");
        QVERIFY(QDir(m_folder->Path()).mkpath("orvo.cfg.damaged/in-the-way"));
        Message shown;
        RunProgram(file, [](COrvoDlg&) {}, {Press(QMessageBox::Ok, &shown)});
        QVERIFY2(shown.text.contains("will not be saved"), qPrintable(shown.text));
        QCOMPARE(ReadBytes(file), std::string("damaged"));
    }

    void settingsFileBesideAWritableProgram() {
        const std::string beside = m_folder->File("orvo.cfg");
        QCOMPARE(orvo::ChooseSettingsFile(beside), beside);
    }

    void settingsFileInTheConfigurationFolderOtherwise() {
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        QCOMPARE(orvo::ChooseSettingsFile("/no/such/folder/orvo.cfg"),
                 config.toStdString() + "/orvo/orvo.cfg");

        const QByteArray home = qgetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", m_folder->Path().toUtf8());
        const std::string chosen = orvo::ChooseSettingsFile("/no/such/folder/orvo.cfg");
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("HOME", home);
        QCOMPARE(chosen, m_folder->File(".config/orvo/orvo.cfg"));
    }
};

ORVO_WINDOW_TEST_MAIN(LifecycleTest)
#include "lifecycle_test.moc"
