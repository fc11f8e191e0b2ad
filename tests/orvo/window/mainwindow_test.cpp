// The main window's controls and their rules, driven as a user drives them: the look they
// show at start, what each one changes, the preview and the About box.
#include "windowtestsupport.h"

#include "ccolorcombo.h"
#include "corvoapp.h"
#include "corvodlg.h"
#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/quantiser.h"
#include "render/palette.h"

#include <QAction>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

using orvo::COLORREF;
using orvo::COrvoApp;
using orvo::COrvoDlg;
using orvo::RenderSettings;
using orvo::test::Colours;
using orvo::test::DialogScript;
using orvo::test::Find;
using orvo::test::TestFolder;
using orvo::test::ToRgb;

using Preset = std::function<void(kestrum::CPropDb&)>;
Q_DECLARE_METATYPE(Preset)

namespace {

const QStringList kLookKeys = {
    "AntiAlias",      "Align",    "BkgColor",  "Box",          "ExtendBlanks",
    "Font",           "LastPath", "PAL",       "LeftMargin",   "RightMargin",
    "OutlineSpacing", "Outline",  "TextColor", "TextBkgColor", "VerticalOffset",
};

// Whether any pixel lies between the text background and the canvas background colours:
// a blend that only an antialiased outline makes.
bool HasBlueWhiteBlend(const QImage& canvas) {
    for (const QRgb colour : Colours(canvas)) {
        if (qBlue(colour) == 255 && qRed(colour) == qGreen(colour) && qRed(colour) > 0 &&
            qRed(colour) < 255) {
            return true;
        }
    }
    return false;
}

// The image with the pixels around the text frame's dotted lines set to black: the frame is
// drawn over the preview by inverting, and belongs to no bitmap.
QImage WithoutTextFrame(const QImage& image, const RenderSettings& look) {
    QImage masked = image.convertToFormat(QImage::Format_RGB32);
    const int right = masked.width() - look.RightMargin - 1;
    const int bottom = masked.height() - look.VerticalOffset - 1;
    for (int y = 0; y < masked.height(); ++y) {
        for (int x = 0; x < masked.width(); ++x) {
            if (std::abs(x - look.LeftMargin) <= 1 || std::abs(x - right) <= 1 || y <= 1 ||
                std::abs(y - bottom) <= 1) {
                masked.setPixel(x, y, 0xFF000000u);
            }
        }
    }
    return masked;
}

bool InStandardPalette(QRgb colour) {
    return std::find(orvo::kStandardPalette.begin(), orvo::kStandardPalette.end(),
                     colour & 0xFFFFFFu) != orvo::kStandardPalette.end();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // A window over a database that preset filled.
    COrvoDlg& Open(const Preset& preset = {}) {
        m_app = std::make_unique<COrvoApp>(m_folder->File("orvo.cfg"));
        if (preset) {
            preset(m_app->GetPropDb());
        }
        m_window = std::make_unique<COrvoDlg>(*m_app);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get())) {
            qWarning("the window did not become active");
        }
        return *m_window;
    }

    template <class Control>
    Control& Get(const char* name) {
        return Find<Control>(*m_window, name);
    }

    void Click(const char* name) { QTest::mouseClick(&Get<QPushButton>(name), Qt::LeftButton); }

    const RenderSettings& Look() const { return m_window->GetRenderSettings(); }

    // Chooses a colour from the list as the keyboard does: the item above it, then Down.
    void ChooseColour(int index) {
        auto& combo = Get<orvo::CColorCombo>("colorCombo");
        combo.setFocus();
        combo.setCurrentIndex(index - 1);
        QTest::keyClick(&combo, Qt::Key_Down);
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<COrvoApp> m_app;
    std::unique_ptr<COrvoDlg> m_window;

private slots:
    void init() { m_folder = std::make_unique<TestFolder>(); }

    // The window's pixels where the canvas is shown, at their real size.
    QImage Preview() {
        const QImage& canvas = m_window->GetCanvas();
        return m_window->grab(QRect(QPoint(12, 22), canvas.size())).toImage();
    }

    void cleanup() {
        m_window.reset();
        m_app.reset();
        m_folder.reset();
    }

    void emptyDatabaseShowsTheDefaultLook() {
        COrvoDlg& window = Open();
        QCOMPARE(window.windowTitle(), QString("Tessaly"));
        QVERIFY(Get<QPushButton>("palButton").isChecked());
        QVERIFY(!Get<QPushButton>("ntscButton").isChecked());
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("PAL 720 x 576 Preview 100%"));
        QCOMPARE(Get<QComboBox>("alignCombo").currentText(), QString("Center"));
        QVERIFY(Get<QPushButton>("antialiasButton").isChecked());
        for (const char* off :
             {"boxingButton", "outlineButton", "extendBlanksButton", "testModeButton"}) {
            QVERIFY2(!Get<QPushButton>(off).isChecked(), off);
        }
        for (const char* margin : {"leftMarginEdit", "rightMarginEdit", "bottomMarginEdit"}) {
            QCOMPARE(Get<QSpinBox>(margin).value(), 50);
        }
        QCOMPARE(Get<QSpinBox>("outlineSpacingEdit").value(), 2);
        QVERIFY(Get<QPushButton>("textColorButton").isChecked());
        QCOMPARE(Get<orvo::CColorCombo>("colorCombo").currentIndex(), 11);
        QCOMPARE(window.GetCanvas().size(), QSize(720, 576));
        QCOMPARE(Look().Font, orvo::DefaultFont());
        QVERIFY(Get<QPushButton>("processButton").isDefault());
        // Reading created every look key but the font.
        const kestrum::CPropDb& db = m_app->GetPropDb();
        for (const QString& key : kLookKeys) {
            QCOMPARE(db.IsKey("", key.toStdString()), key != "Font");
        }
    }

    void storedLookIsShown_data() {
        QTest::addColumn<Preset>("preset");
        QTest::addColumn<QString>("checkedMode");
        QTest::addColumn<QString>("modeLabel");
        QTest::addColumn<int>("canvasHeight");
        QTest::addColumn<QString>("align");
        QTest::addColumn<bool>("antialias");
        QTest::addColumn<bool>("boxing");
        QTest::addColumn<bool>("outline");

        const QString pal = "palButton";
        const QString palLabel = "PAL 720 x 576 Preview 100%";
        QTest::newRow("NTSC") << Preset([](kestrum::CPropDb& db) {
            db.WritePropBool("", "PAL", 0);
        }) << "ntscButton"
                              << "NTSC 720 x 480 Preview 100%" << 480 << "Center" << true << false
                              << false;
        QTest::newRow("PAL stored as 2 is NTSC")
            << Preset([](kestrum::CPropDb& db) { db.WritePropBool("", "PAL", 2); }) << "ntscButton"
            << "NTSC 720 x 480 Preview 100%" << 480 << "Center" << true << false << false;
        QTest::newRow("left") << Preset(
                                     [](kestrum::CPropDb& db) { db.WritePropInt("", "Align", 0); })
                              << pal << palLabel << 576 << "Left" << true << false << false;
        QTest::newRow("right") << Preset(
                                      [](kestrum::CPropDb& db) { db.WritePropInt("", "Align", 2); })
                               << pal << palLabel << 576 << "Right" << true << false << false;
        // The look is read within the list's range, so that what is drawn is what is shown.
        QTest::newRow("alignment beyond the list is its last item")
            << Preset([](kestrum::CPropDb& db) { db.WritePropInt("", "Align", 7); }) << pal
            << palLabel << 576 << "Right" << true << false << false;
        QTest::newRow("antialias off")
            << Preset([](kestrum::CPropDb& db) { db.WritePropBool("", "AntiAlias", 0); }) << pal
            << palLabel << 576 << "Center" << false << false << false;
        QTest::newRow("box and outline load as outline") << Preset([](kestrum::CPropDb& db) {
            db.WritePropBool("", "Box", 1);
            db.WritePropInt("", "Outline", 1);
        }) << pal << palLabel << 576 << "Center" << true << false
                                                         << true;
        QTest::newRow("box") << Preset([](kestrum::CPropDb& db) { db.WritePropBool("", "Box", 1); })
                             << pal << palLabel << 576 << "Center" << true << true << false;
        QTest::newRow("720p") << Preset([](kestrum::CPropDb& db) {
            db.WritePropInt("", "Resolution", 720);
        }) << "hd720Button"
                              << "1280 x 720 Preview 56%" << 720 << "Center" << true << false
                              << false;
        QTest::newRow("1080p") << Preset([](kestrum::CPropDb& db) {
            db.WritePropInt("", "Resolution", 1080);
        }) << "hd1080Button"
                               << "1920 x 1080 Preview 37%" << 1080 << "Center" << true << false
                               << false;
    }

    void storedLookIsShown() {
        QFETCH(Preset, preset);
        QFETCH(QString, checkedMode);
        QFETCH(QString, modeLabel);
        QFETCH(int, canvasHeight);
        QFETCH(QString, align);
        QFETCH(bool, antialias);
        QFETCH(bool, boxing);
        QFETCH(bool, outline);

        COrvoDlg& window = Open(preset);
        QVERIFY(Get<QPushButton>(checkedMode.toLatin1().constData()).isChecked());
        QCOMPARE(Look().PAL, checkedMode != "ntscButton");
        QCOMPARE(Get<QLabel>("modeLabel").text(), modeLabel);
        QCOMPARE(window.GetCanvas().height(), canvasHeight);
        QCOMPARE(Get<QComboBox>("alignCombo").currentText(), align);
        QCOMPARE(Get<QPushButton>("antialiasButton").isChecked(), antialias);
        QCOMPARE(Look().Font.quality, antialias ? 4 : 3);
        QCOMPARE(Get<QPushButton>("boxingButton").isChecked(), boxing);
        QCOMPARE(Look().Box, boxing);
        QCOMPARE(Get<QPushButton>("outlineButton").isChecked(), outline);
        QCOMPARE(Look().Outline, outline ? 1 : 0);
    }

    // The window draws only what it shows: stored values beyond a control are brought into
    // its range.
    void storedValuesBeyondTheControlsAreBroughtIntoRange() {
        Open([](kestrum::CPropDb& db) {
            db.WritePropInt("", "Align", 7);
            db.WritePropInt("", "LeftMargin", 400);
            db.WritePropInt("", "VerticalOffset", -3);
            db.WritePropInt("", "OutlineSpacing", 9);
        });
        QCOMPARE(Look().Align, 2);
        QCOMPARE(Get<QComboBox>("alignCombo").currentText(), QString("Right"));
        QCOMPARE(Look().LeftMargin, 150);
        QCOMPARE(Get<QSpinBox>("leftMarginEdit").value(), 150);
        QCOMPARE(Look().VerticalOffset, 0);
        QCOMPARE(Look().OutlineSpacing, 5);
    }

    void boxingAndOutlineExcludeEachOther_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("box");
        QTest::addColumn<bool>("outline");

        QTest::newRow("boxing") << QStringList{"boxingButton"} << true << false;
        QTest::newRow("outline") << QStringList{"outlineButton"} << false << true;
        QTest::newRow("outline after boxing")
            << QStringList{"boxingButton", "outlineButton"} << false << true;
        QTest::newRow("boxing after outline")
            << QStringList{"outlineButton", "boxingButton"} << true << false;
        QTest::newRow("boxing on and off")
            << QStringList{"boxingButton", "boxingButton"} << false << false;
        QTest::newRow("outline on and off")
            << QStringList{"outlineButton", "outlineButton"} << false << false;
    }

    void boxingAndOutlineExcludeEachOther() {
        QFETCH(QStringList, clicks);
        QFETCH(bool, box);
        QFETCH(bool, outline);

        COrvoDlg& window = Open();
        for (const QString& name : clicks) {
            Click(name.toLatin1().constData());
        }
        QCOMPARE(Get<QPushButton>("boxingButton").isChecked(), box);
        QCOMPARE(Get<QPushButton>("outlineButton").isChecked(), outline);
        QCOMPARE(Look().Box, box);
        QCOMPARE(Look().Outline, outline ? 1 : 0);
        // The box fills the block's full width, margins included; nothing else reaches x = 5.
        const QImage& canvas = window.GetCanvas();
        const QRgb band = canvas.pixel(5, canvas.height() - Look().VerticalOffset - 5);
        QCOMPARE(band, box ? ToRgb(Look().TextBkgColor) : ToRgb(Look().BkgColor));
    }

    void marginTakesEffectWhenItsEditLosesTheFocus_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("committed");

        QTest::newRow("typed") << "leftMarginEdit" << 50 << "75" << 0 << 75;
        QTest::newRow("typed beyond 150 is refused") << "rightMarginEdit" << 50 << "200" << 0 << 20;
        QTest::newRow("a minus sign is refused") << "bottomMarginEdit" << 50 << "-7" << 0 << 7;
        QTest::newRow("up") << "leftMarginEdit" << 50 << "" << int(Qt::Key_Up) << 51;
        QTest::newRow("up from 150 wraps to 0")
            << "rightMarginEdit" << 150 << "" << int(Qt::Key_Up) << 0;
        QTest::newRow("down from 0 wraps to 150")
            << "bottomMarginEdit" << 0 << "" << int(Qt::Key_Down) << 150;
    }

    void marginTakesEffectWhenItsEditLosesTheFocus() {
        QFETCH(QString, edit);
        QFETCH(int, start);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, committed);

        COrvoDlg& window = Open([&](kestrum::CPropDb& db) {
            for (const char* margin : {"LeftMargin", "RightMargin", "VerticalOffset"}) {
                db.WritePropInt("", margin, start);
            }
        });
        auto& spin = Get<QSpinBox>(edit.toLatin1().constData());
        spin.setFocus();
        QVERIFY(spin.hasFocus());
        const RenderSettings before = Look();
        const QImage canvasBefore = window.GetCanvas();
        if (!typed.isEmpty()) {
            QTest::keyClick(&spin, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(&spin, typed);
        } else {
            QTest::keyClick(&spin, static_cast<Qt::Key>(key));
        }
        QCOMPARE(spin.value(), committed);
        QCOMPARE(Look().LeftMargin, before.LeftMargin);
        QCOMPARE(Look().RightMargin, before.RightMargin);
        QCOMPARE(Look().VerticalOffset, before.VerticalOffset);
        QCOMPARE(window.GetCanvas(), canvasBefore);

        Get<QPushButton>("fontButton").setFocus();
        const int* margin = edit == "leftMarginEdit"    ? &Look().LeftMargin
                            : edit == "rightMarginEdit" ? &Look().RightMargin
                                                        : &Look().VerticalOffset;
        QCOMPARE(*margin, committed);
        QVERIFY(window.GetCanvas() != canvasBefore);
    }

    // Enter presses the default button even from an edit, and Alt+P presses the button
    // without taking the focus: either way the margin goes into the settings file that is
    // written before the Process dialog opens.
    void processDialogFromAMarginAppliesIt_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");

        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("Alt+P") << int(Qt::Key_P) << int(Qt::AltModifier);
    }

    void processDialogFromAMarginAppliesIt() {
        QFETCH(int, key);
        QFETCH(int, modifiers);

        Open();
        auto& spin = Get<QSpinBox>("leftMarginEdit");
        spin.setFocus();
        QTest::keyClick(&spin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&spin, "20");
        QString opened;
        DialogScript script({[&](QDialog& dialog) {
            opened = dialog.windowTitle();
            dialog.reject();
        }});
        QTest::keyClick(&spin, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        // A mnemonic presses its button after the button has shown itself pressed.
        QTRY_COMPARE(opened, QString("Process Subtitle File"));
        QVERIFY(m_window->isVisible());
        QVERIFY(!orvo::test::Exists(m_folder->File("test.bmp")));
        kestrum::CPropDb saved;
        QVERIFY(saved.Load(m_folder->File("orvo.cfg")));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", -1, false), 20);
        QCOMPARE(Look().LeftMargin, 20);
    }

    void colourTargetsAndTheColourList_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("shownBefore");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<COLORREF>("text");
        QTest::addColumn<COLORREF>("textBackground");
        QTest::addColumn<COLORREF>("background");

        QTest::newRow("text") << "textColorButton" << 11 << 9 << COLORREF{0x0000FF}
                              << COLORREF{0xFF0000} << COLORREF{0xFFFFFF};
        QTest::newRow("text background") << "textBkgColorButton" << 12 << 2 << COLORREF{0x00FFFF}
                                         << COLORREF{0x008000} << COLORREF{0xFFFFFF};
        QTest::newRow("background") << "bkgColorButton" << 15 << 8 << COLORREF{0x00FFFF}
                                    << COLORREF{0xFF0000} << COLORREF{0x808080};
    }

    void colourTargetsAndTheColourList() {
        QFETCH(QString, target);
        QFETCH(int, shownBefore);
        QFETCH(int, chosen);
        QFETCH(COLORREF, text);
        QFETCH(COLORREF, textBackground);
        QFETCH(COLORREF, background);

        COrvoDlg& window = Open();
        Click(target.toLatin1().constData());
        QCOMPARE(Get<orvo::CColorCombo>("colorCombo").currentIndex(), shownBefore);
        ChooseColour(chosen);
        QCOMPARE(Look().TextColor, text);
        QCOMPARE(Look().TextBkgColor, textBackground);
        QCOMPARE(Look().BkgColor, background);
        QCOMPARE(window.GetCanvas().pixel(2, 2), ToRgb(background));
        QVERIFY(Colours(window.GetCanvas()).contains(ToRgb(text)));
        // Back to the text target: the list shows the text colour again.
        Click("textColorButton");
        QCOMPARE(Get<orvo::CColorCombo>("colorCombo").currentIndex(),
                 Get<orvo::CColorCombo>("colorCombo").SelectColor(text));
    }

    void targetColourOutsideThePaletteLeavesTheList() {
        Open([](kestrum::CPropDb& db) { db.WritePropInt("", "TextBkgColor", 0x123456); });
        ChooseColour(4);
        Click("textBkgColorButton");
        QCOMPARE(Get<orvo::CColorCombo>("colorCombo").currentIndex(), 4);
        QCOMPARE(Look().TextBkgColor, COLORREF{0x123456});
        QCOMPARE(Look().TextColor, COLORREF{0x800000});
    }

    void alignment_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("align");

        QTest::newRow("Center") << 0 << 1;
        QTest::newRow("Left") << 1 << 0;
        QTest::newRow("Right") << 2 << 2;
    }

    void alignment() {
        QFETCH(int, item);
        QFETCH(int, align);

        Open([](kestrum::CPropDb& db) { db.WritePropInt("", "Align", 5); });
        auto& combo = Get<QComboBox>("alignCombo");
        combo.setFocus();
        combo.setCurrentIndex(item == 0 ? 1 : item - 1);
        QTest::keyClick(&combo, item == 0 ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(combo.currentIndex(), item);
        QCOMPARE(Look().Align, align);
    }

    void palAndNtsc() {
        COrvoDlg& window = Open();
        Click("ntscButton");
        QCOMPARE(window.GetCanvas().size(), QSize(720, 480));
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("NTSC 720 x 480 Preview 100%"));
        QVERIFY(!Get<QPushButton>("palButton").isChecked());
        QVERIFY(!Look().PAL);
        // The text block keeps its distance from the new bottom.
        QCOMPARE(window.GetCanvas().pixel(360, 480 - 50 - 3), ToRgb(Look().TextBkgColor));
        window.reject();
        QCOMPARE(m_app->GetPropDb().GetType("", "PAL"), 3);
        QCOMPARE(m_app->GetPropDb().ReadPropBool("", "PAL", -1, false), 0);

        Open([](kestrum::CPropDb& db) { db.WritePropBool("", "PAL", 0); });
        Click("palButton");
        QCOMPARE(m_window->GetCanvas().size(), QSize(720, 576));
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("PAL 720 x 576 Preview 100%"));
        m_window->reject();
        QCOMPARE(m_app->GetPropDb().ReadPropBool("", "PAL", -1, false), 1);
    }

    // An HD canvas takes the look scaled by its lines once, so that the picture stays the same;
    // back on PAL the look is the one it was.
    void hdCanvasScalesTheLookOnce() {
        COrvoDlg& window = Open();
        Click("outlineButton");
        const RenderSettings pal = Look();
        const auto shown = [this] {
            return QList<int>{Get<QSpinBox>("leftMarginEdit").value(),
                              Get<QSpinBox>("rightMarginEdit").value(),
                              Get<QSpinBox>("bottomMarginEdit").value(),
                              Get<QSpinBox>("outlineSpacingEdit").value(),
                              Get<QSpinBox>("outlineWidthEdit").value(),
                              Look().Font.height};
        };
        // The four share the column's width, each wider than its text.
        for (const char* name : {"ntscButton", "palButton", "hd720Button", "hd1080Button"}) {
            const auto& button = Get<QPushButton>(name);
            QVERIFY2(button.width() > button.fontMetrics().horizontalAdvance(button.text()), name);
        }
        QCOMPARE(Get<QPushButton>("hd1080Button").toolTip(), QString("HD resolution 1920x1080."));
        const QList<int> at1080 = {94, 94, 94, 4, 2, -45};
        for (int click = 0; click < 2; ++click) {
            Click("hd1080Button");
            QCOMPARE(shown(), at1080);
        }
        QVERIFY(!Get<QPushButton>("palButton").isChecked());
        QCOMPARE(window.GetCanvas().size(), QSize(1920, 1080));
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("1920 x 1080 Preview 37%"));
        QCOMPARE(Get<QGroupBox>("marginsGroup").title(), QString("Margins: (0 - 281)"));
        QCOMPARE(Get<QSpinBox>("leftMarginEdit").maximum(), 281);
        const auto& label = Get<QLabel>("modeLabel");
        QVERIFY(label.fontMetrics().horizontalAdvance(label.text()) < label.contentsRect().width());
        Click("hd720Button");
        QCOMPARE(shown(), QList<int>({63, 63, 63, 3, 1, -30}));
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("1280 x 720 Preview 56%"));
        Click("palButton");
        QCOMPARE(Look(), pal);
        QCOMPARE(Get<QSpinBox>("leftMarginEdit").maximum(), 150);
        QCOMPARE(Get<QLabel>("modeLabel").text(), QString("PAL 720 x 576 Preview 100%"));

        Click("hd1080Button");
        window.reject();
        QCOMPARE(m_app->GetPropDb().ReadPropInt("", "Resolution", -1, false), 1080);
        QCOMPARE(m_app->GetPropDb().ReadPropInt("", "LeftMargin", -1, false), 94);
        QVERIFY(m_app->SaveSettings());
        m_window.reset();
        const std::string file = m_app->GetSettingsFile();
        Open([&](kestrum::CPropDb& db) { QVERIFY(db.Load(file)); });
        QVERIFY(Get<QPushButton>("hd1080Button").isChecked());
        QCOMPARE(shown(), at1080);
    }

    // The HD canvas as drawn, smoothly scaled into the standard-definition room, and the
    // dotted rectangle where the scaled margins lie.
    void hdPreviewFitsTheRoom() {
        COrvoDlg& window = Open([](kestrum::CPropDb& db) {
            db.WritePropInt("", "Resolution", 1080);
            db.WritePropInt("", "LeftMargin", 200);
            db.WritePropInt("", "RightMargin", 120);
            db.WritePropInt("", "VerticalOffset", 120);
        });
        const QImage shown = window.grab().toImage();
        const QImage canvas =
            window.GetCanvas().scaled(720, 405, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(shown.pixel(10, 20 + 405 + 2), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(10 + 723, 20 + 405 + 3), qRgb(255, 255, 255));
        QVERIFY(shown.pixel(10 + 723, 20 + 405 + 4) != qRgb(255, 255, 255));
        // 200, 1800 and 960 canvas pixels at 37.5 %.
        const QRect textFrame(12 + 75, 22, 675 - 75, 360);
        const auto inverted = [&](QPoint at) {
            return shown.pixel(at) != canvas.pixel(at - QPoint(12, 22));
        };
        for (int y = 0; y < 405; y += 2) {
            for (int x = 0; x < 720; x += 2) {
                const QPoint at(12 + x, 22 + y);
                if (!textFrame.contains(at) || textFrame.adjusted(1, 1, -1, -1).contains(at)) {
                    QVERIFY(!inverted(at));
                }
            }
        }
        int dotted = 0;
        for (int y = 0; y < 20; ++y) {
            dotted += inverted(textFrame.topLeft() + QPoint(0, y)) ? 1 : 0;
        }
        QCOMPARE(dotted, 10);
        const std::set<QRgb> colours = Colours(canvas);
        QVERIFY(!std::all_of(colours.begin(), colours.end(), InStandardPalette));
    }

    void outlineSpacingAndExtendBlanksApplyAtOnce() {
        COrvoDlg& window = Open();
        Click("outlineButton");
        const QImage spaced2 = window.GetCanvas();
        auto& spacing = Get<QSpinBox>("outlineSpacingEdit");
        spacing.setFocus();
        QTest::keyClick(&spacing, Qt::Key_Up);
        QCOMPARE(Look().OutlineSpacing, 3);
        QVERIFY(window.GetCanvas() != spaced2);
        QTest::keyClick(&spacing, Qt::Key_Up);
        QTest::keyClick(&spacing, Qt::Key_Up);
        QTest::keyClick(&spacing, Qt::Key_Up);
        QCOMPARE(Look().OutlineSpacing, 0);

        const QImage single = window.GetCanvas();
        Click("extendBlanksButton");
        QVERIFY(Look().ExtendBlanks);
        QVERIFY(window.GetCanvas() != single);
        Click("extendBlanksButton");
        QVERIFY(!Look().ExtendBlanks);
        QCOMPARE(window.GetCanvas(), single);
    }

    // The legibility controls reach the preview at once and travel with the look, which
    // stores them only once they are set.
    void legibilityControlsApplyAtOnceAndAreStored() {
        COrvoDlg& window = Open();
        window.reject();
        for (const char* key : {"OutlineWidth", "ShadowOffset", "BalancedBreaks", "Anamorphic"}) {
            QVERIFY2(!m_app->GetPropDb().IsKey("", key), key);
        }
        Open();
        Click("outlineButton");
        QImage before = m_window->GetCanvas();
        Get<QSpinBox>("outlineWidthEdit").setValue(3);
        QCOMPARE(Look().OutlineWidth, 3);
        QVERIFY(m_window->GetCanvas() != before);
        before = m_window->GetCanvas();
        Get<QSpinBox>("shadowEdit").setValue(2);
        QCOMPARE(Look().ShadowOffset, 2);
        QVERIFY(m_window->GetCanvas() != before);
        before = m_window->GetCanvas();
        Click("anamorphicButton");
        QVERIFY(Look().Anamorphic);
        QVERIFY(m_window->GetCanvas() != before);
        Click("balancedBreaksButton");
        QVERIFY(Look().BalancedBreaks);
        m_window->reject();
        kestrum::CPropDb& db = m_app->GetPropDb();
        QCOMPARE(db.ReadPropInt("", "OutlineWidth", -1, false), 3);
        QCOMPARE(db.ReadPropInt("", "ShadowOffset", -1, false), 2);
        QCOMPARE(db.ReadPropBool("", "BalancedBreaks", -1, false), 1);
        QCOMPARE(db.ReadPropBool("", "Anamorphic", -1, false), 1);
    }

    // Without antialiasing the canvas holds the three look colours only. The outline font never
    // antialiases, whatever the button says: no blend of its colour with the background.
    void antialiasReachesBothFonts() {
        COrvoDlg& window = Open();
        const std::set<QRgb> plain = {ToRgb(Look().BkgColor), ToRgb(Look().TextBkgColor),
                                      ToRgb(Look().TextColor)};
        QVERIFY(Colours(window.GetCanvas()).size() > 3);
        Click("outlineButton");
        QVERIFY(Colours(window.GetCanvas()).size() > 3);
        QVERIFY(!HasBlueWhiteBlend(window.GetCanvas()));

        Click("antialiasButton");
        QVERIFY(!Look().AntiAlias);
        QCOMPARE(Look().Font.quality, 3);
        QCOMPARE(Colours(window.GetCanvas()), plain);
        Click("outlineButton");
        QCOMPARE(Colours(window.GetCanvas()), plain);

        Click("antialiasButton");
        QCOMPARE(Look().Font.quality, 4);
        QVERIFY(Colours(window.GetCanvas()).size() > 3);
    }

    // The preview draws the four colours at once, the button keeps them with the look, and a
    // stored choice comes back down.
    void dvdColoursDrawFourColoursAndAreStored() {
        COrvoDlg& window = Open();
        QVERIFY(!Get<QPushButton>("dvdColorsButton").isChecked());
        const QImage plain = window.GetCanvas();
        QVERIFY(Colours(plain).size() > 4);

        Click("dvdColorsButton");
        QVERIFY(Look().DvdColors);
        const std::set<QRgb> four = {ToRgb(Look().BkgColor), ToRgb(Look().TextBkgColor),
                                     ToRgb(Look().TextColor), 0xFF808080};
        QCOMPARE(Colours(window.GetCanvas()), four);
        Click("antialiasButton");
        QCOMPARE(Colours(window.GetCanvas()).size(), std::size_t{3});
        Click("antialiasButton");
        m_window->reject();
        QCOMPARE(m_app->GetPropDb().ReadPropBool("", "DvdColors", -1, false), 1);

        m_window.reset();
        Open([](kestrum::CPropDb& db) { db.WritePropBool("", "DvdColors", 1); });
        QVERIFY(Get<QPushButton>("dvdColorsButton").isChecked());
        QCOMPARE(Colours(m_window->GetCanvas()), four);
        Click("dvdColorsButton");
        QVERIFY(!Look().DvdColors);
        QCOMPARE(m_window->GetCanvas(), plain);
    }

    // The preview shows the bitmap that a run would write for the look: the antialiased edges
    // in their nearest standard colours, or the DVD colours. "Save test image" writes the canvas
    // as it always did, and showing it leaves the canvas's own colours alone.
    void previewShowsTheColoursOfTheBitmap() {
        COrvoDlg& window = Open();
        for (const bool dvd : {false, true}) {
            if (dvd) {
                Click("dvdColorsButton");
            }
            const QImage canvas = window.GetCanvas().copy();
            const QImage preview = WithoutTextFrame(Preview(), Look());
            QCOMPARE(window.GetCanvas(), canvas);
            const std::set<QRgb> colours = Colours(preview);
            QVERIFY(std::all_of(colours.begin(), colours.end(), InStandardPalette));
            // Black stands for the text frame; white, blue, yellow and grey remain.
            QCOMPARE(colours.size(), dvd ? std::size_t{5} : std::size_t{7});

            Click("saveTestImageButton");
            const QString saved = QString::fromStdString(m_folder->File("test.bmp"));
            QCOMPARE(WithoutTextFrame(QImage(saved), Look()), preview);
            const std::string expected = m_folder->File("expected.bmp");
            QCOMPARE(orvo::SaveCanvasBitmap(&canvas, expected).code, orvo::kDibWritten);
            QCOMPARE(testsupport::ReadFile(m_folder->File("test.bmp")),
                     testsupport::ReadFile(expected));
        }
        // The canvas itself still holds the blends that the bitmap cannot.
        Click("dvdColorsButton");
        const std::set<QRgb> canvasColours = Colours(window.GetCanvas());
        QVERIFY(!std::all_of(canvasColours.begin(), canvasColours.end(), InStandardPalette));
    }

    // The dialog opens on the family that the stored face (Arial) is drawn in here, which its
    // list holds; left on that family, the stored face stays.
    void fontDialog_data() {
        QTest::addColumn<bool>("antialias");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("family");

        QTest::newRow("OK, antialiased") << true << true << "Liberation Serif";
        QTest::newRow("OK, not antialiased") << false << true << "Liberation Serif";
        QTest::newRow("OK, only the size") << true << true << QString();
        QTest::newRow("Cancel") << true << false << "Liberation Serif";
    }

    void fontDialog() {
        QFETCH(bool, antialias);
        QFETCH(bool, accept);
        QFETCH(QString, family);

        COrvoDlg& window = Open(
            [&](kestrum::CPropDb& db) { db.WritePropBool("", "AntiAlias", antialias ? 1 : 0); });
        const RenderSettings before = Look();
        const QImage canvasBefore = window.GetCanvas();
        QFont shownAtFirst;
        DialogScript script({[&](QDialog& dialog) {
            auto& fonts = static_cast<QFontDialog&>(dialog);
            shownAtFirst = fonts.currentFont();
            fonts.setCurrentFont(QFont(family.isEmpty() ? shownAtFirst.family() : family, 30));
            accept ? fonts.accept() : fonts.reject();
        }});
        Click("fontButton");
        QCOMPARE(script.Count(), 1);
        // 24 pixels at 96 dots per inch.
        QCOMPARE(shownAtFirst.pointSize(), 18);
        QCOMPARE(shownAtFirst.family(), QFontInfo(orvo::DefaultFont().ToQFont()).family());
        if (!accept) {
            QCOMPARE(Look().Font, before.Font);
            QCOMPARE(window.GetCanvas(), canvasBefore);
            return;
        }
        const orvo::LOGFONT& font = Look().Font;
        QCOMPARE(QByteArray(font.faceName.data()),
                 family.isEmpty() ? QByteArray("Arial") : family.toLatin1());
        QCOMPARE(font.height, -40);
        QCOMPARE(font.quality, antialias ? 4 : 3);
        QVERIFY(window.GetCanvas() != canvasBefore);
        QCOMPARE(Colours(window.GetCanvas()).size() > 3, antialias);
    }

    void tabOrder() {
        Open();
        const QStringList expected = {
            "leftMarginEdit",  "rightMarginEdit",      "bottomMarginEdit",   "textColorButton",
            "colorCombo",      "alignCombo",           "fontButton",         "antialiasButton",
            "boxingButton",    "outlineButton",        "outlineSpacingEdit", "outlineWidthEdit",
            "shadowEdit",      "balancedBreaksButton", "anamorphicButton",   "extendBlanksButton",
            "dvdColorsButton", "saveTestImageButton",  "testModeButton",     "processButton",
            "quitButton",      "leftMarginEdit",
        };
        Get<QSpinBox>("leftMarginEdit").setFocus();
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            while (focus != nullptr && !expected.contains(focus->objectName())) {
                focus = focus->parentWidget();
            }
            visited << (focus != nullptr ? focus->objectName() : QString("?"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    // The first tab stop, not the default button, has the focus when the window opens.
    void firstTabStopHasTheFocusAtStart() {
        Open();
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        QVERIFY(focus == &Get<QSpinBox>("leftMarginEdit") ||
                Get<QSpinBox>("leftMarginEdit").isAncestorOf(focus));
    }

    // Enter presses the push button that has the focus; only from any other control does it
    // press "&Process file...".
    void enterPressesTheFocusedPushButton() {
        Open();
        auto& quit = Get<QPushButton>("quitButton");
        quit.setFocus();
        int opened = 0;
        DialogScript script({[&](QDialog&) { ++opened; }});
        QTest::keyClick(&quit, Qt::Key_Return);
        QCOMPARE(opened, 0);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
    }

    void enterOnFontOpensTheFontDialog() {
        Open();
        auto& font = Get<QPushButton>("fontButton");
        font.setFocus();
        QString opened;
        DialogScript script({[&](QDialog& dialog) {
            opened = dialog.metaObject()->className();
            dialog.reject();
        }});
        QTest::keyClick(&font, Qt::Key_Return);
        QCOMPARE(opened, QString("QFontDialog"));
        QVERIFY(m_window->isVisible());
    }

    // The frame at (10, 20), the canvas at (12, 22), at 100 %, and the dotted rectangle along
    // the margins and the text block's bottom.
    void previewSitsAtItsClientPixels_data() {
        QTest::addColumn<bool>("pal");
        QTest::newRow("PAL") << true;
        QTest::newRow("NTSC") << false;
    }

    void previewSitsAtItsClientPixels() {
        QFETCH(bool, pal);

        COrvoDlg& window = Open([&](kestrum::CPropDb& db) {
            db.WritePropBool("", "PAL", pal ? 1 : 0);
            db.WritePropInt("", "LeftMargin", 40);
            db.WritePropInt("", "RightMargin", 60);
            db.WritePropInt("", "BkgColor", 0x008000);
        });
        const QImage shown = window.grab().toImage();
        // The canvas as its bitmap holds it: the preview shows no colour the file lacks.
        const QImage canvas = orvo::InStandardColours(window.GetCanvas());
        const int height = canvas.height();
        QCOMPARE(shown.pixel(10, 20), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(10, 20 + height + 2), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(10 + 723, 20 + height + 3), qRgb(255, 255, 255));
        QCOMPARE(shown.pixel(10 + 723, 20), qRgb(255, 255, 255));
        // Away from the dotted lines the window shows the canvas pixel for pixel.
        const QRect textFrame(12 + 40, 22, 720 - 40 - 60, height - 50);
        int compared = 0;
        for (int y = 0; y < height; y += 3) {
            for (int x = 0; x < 720; x += 3) {
                const QPoint at(12 + x, 22 + y);
                if (textFrame.contains(at) && !textFrame.adjusted(1, 1, -1, -1).contains(at)) {
                    continue;
                }
                QCOMPARE(shown.pixel(at), canvas.pixel(x, y));
                ++compared;
            }
        }
        QVERIFY(compared > 30000);
        // Every other pixel of each dotted line is inverted.
        const auto inverted = [&](QPoint at) {
            return shown.pixel(at) != canvas.pixel(at - QPoint(12, 22));
        };
        for (const auto& [from, step] : {std::pair{textFrame.topLeft(), QPoint(0, 1)},
                                         std::pair{textFrame.topRight(), QPoint(0, 1)},
                                         std::pair{textFrame.topLeft(), QPoint(1, 0)},
                                         std::pair{textFrame.bottomLeft(), QPoint(1, 0)}}) {
            int count = 0;
            for (int i = 0; i < 20; ++i) {
                count += inverted(from + step * i) ? 1 : 0;
            }
            QCOMPARE(count, 10);
        }
        QVERIFY(!inverted(textFrame.bottomLeft() + QPoint(0, 1)));
        QVERIFY(!inverted(textFrame.topLeft() - QPoint(1, 0)));
    }

    void aboutBox() {
        COrvoDlg& window = Open();
        struct About {
            QString title, product, version;
        };
        std::vector<About> seen;
        const auto read = [&](QDialog& dialog) {
            seen.push_back({dialog.windowTitle(), Find<QLabel>(dialog, "productLabel").text(),
                            Find<QLabel>(dialog, "versionLabel").text()});
            QTest::mouseClick(&Find<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        };
        DialogScript script({read, read});
        QTest::keyClick(&window, Qt::Key_F1);
        QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
        QAction* about = nullptr;
        for (QAction* action : window.actions()) {
            if (action->text() == "&About Orvo...") {
                about = action;
            }
        }
        QVERIFY(about != nullptr);
        about->trigger();
        QCOMPARE(seen.size(), std::size_t{2});
        for (const About& box : seen) {
            QCOMPARE(box.title, QString("About Orvo"));
            QCOMPARE(box.product, QString("Tessaly"));
            QCOMPARE(box.version, QString::fromStdString(m_app->GetVersion().GetVersion()));
        }
        QVERIFY(window.isVisible());
    }

    void saveTestImageWritesTheCanvasAndKeepsTheWindow() {
        COrvoDlg& window = Open([](kestrum::CPropDb& db) { db.WritePropBool("", "PAL", 0); });
        Click("saveTestImageButton");
        const std::string first = orvo::test::ReadText(m_folder->File("test.bmp"));
        QVERIFY(first.size() > 118);
        QCOMPARE(first.substr(0, 2), std::string("BM"));
        const QImage written = QImage(QString::fromStdString(m_folder->File("test.bmp")));
        QCOMPARE(written.size(), QSize(720, 480));
        QCOMPARE(written.pixel(360, 480 - 53), window.GetCanvas().pixel(360, 480 - 53));
        Click("boxingButton");
        Click("saveTestImageButton");
        QVERIFY(orvo::test::ReadText(m_folder->File("test.bmp")) != first);
        QVERIFY(window.isVisible());
        QCOMPARE(Get<QLabel>("statusLine").text(), QString());
    }

    // Unlike the original silence, a test image that cannot be written says so.
    void testImageThatCannotBeWrittenIsReported() {
        Open();
        QVERIFY(QDir(m_folder->Path()).mkdir("test.bmp"));
        Click("saveTestImageButton");
        QVERIFY(Get<QLabel>("statusLine").text().startsWith("Cannot write test.bmp: "));
    }
};

ORVO_WINDOW_TEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
