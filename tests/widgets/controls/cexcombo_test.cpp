#include "controlstestsupport.h"

#include <kestrum-widgets/controls/cexcombo.h>

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QTest>

using kestrum::CExCombo;
using kestrum::EXCOMBO_BOLD;
using kestrum::EXCOMBO_DISABLED;
using kestrum::test::CountPixels;
using kestrum::test::Pixel;

namespace {

// Text drawn without antialiasing has pixels of exactly the text colour.
QFont TestFont(int pixelSize = 16) {
    QFont font("Liberation Sans");
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void Fill(CExCombo& combo, int count) {
    for (int i = 0; i < count; ++i) {
        combo.addItem(QStringLiteral("Item %1").arg(i));
    }
}

QList<int> Positions(const CExCombo& combo, std::uint8_t mask, int upTo) {
    QList<int> positions;
    for (int i = -2; i < upTo; ++i) {
        if (combo.GetStatus(i, mask) != 0) {
            positions << i;
        }
    }
    return positions;
}

QList<int> Range(int first, int last) {
    QList<int> values;
    for (int i = first; i <= last; ++i) {
        values << i;
    }
    return values;
}

// The item drawn alone into an image of 120 x 24 pixels.
QImage DrawItem(const CExCombo& combo, int index, QStyle::State state) {
    QImage image(120, 24, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    QPainter painter(&image);
    combo.DrawItem(painter, image.rect(), index, state);
    return image;
}

// A combo box on screen, its selection on start and accepted, as after the user gave it the
// focus there.
struct ShownCombo {
    explicit ShownCombo(int count, const QList<int>& disabled, int start) {
        combo.setFont(TestFont());
        Fill(combo, count);
        for (const int position : disabled) {
            combo.EnableItem(position, false);
        }
        combo.setCurrentIndex(start);
        combo.show();
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&combo, &focus);
    }

    void Open() {
        combo.showPopup();
        QTRY_VERIFY(combo.view()->isVisible());
    }

    void ClickItem(int row) {
        const QRect item = combo.view()->visualRect(combo.model()->index(row, 0));
        QTest::mouseClick(combo.view()->viewport(), Qt::LeftButton, {}, item.center());
    }

    CExCombo combo;
};

} // namespace

class CExComboTest : public QObject {
    Q_OBJECT

private slots:
    void statusBitsCombine() {
        CExCombo combo;
        combo.SetStatus(3, EXCOMBO_BOLD, true);
        QCOMPARE(combo.GetStatus(3, EXCOMBO_BOLD), 1);
        QCOMPARE(combo.GetStatus(3, EXCOMBO_DISABLED | EXCOMBO_BOLD), 0);
        combo.SetStatus(3, EXCOMBO_DISABLED, true);
        QCOMPARE(combo.GetStatus(3, EXCOMBO_DISABLED | EXCOMBO_BOLD), 1);
        combo.SetStatus(3, EXCOMBO_BOLD, false);
        QCOMPARE(combo.GetStatus(3, EXCOMBO_DISABLED), 1);
        QCOMPARE(combo.GetStatus(3, EXCOMBO_BOLD), 0);
        QCOMPARE(combo.GetStatus(2, EXCOMBO_DISABLED), 0);

        combo.SetStatus(-1, EXCOMBO_BOLD, true);
        combo.SetStatus(1024, EXCOMBO_BOLD, true);
        QCOMPARE(combo.GetStatus(-1, EXCOMBO_BOLD), 0);
        QCOMPARE(combo.GetStatus(1024, EXCOMBO_BOLD), 0);
        combo.SetStatus(1023, EXCOMBO_BOLD, true);
        QCOMPARE(combo.GetStatus(1023, EXCOMBO_BOLD), 1);
        // An empty mask is held by every item in the table and by none outside it.
        QCOMPARE(combo.GetStatus(0, 0), 1);
        QCOMPARE(combo.GetStatus(1024, 0), 0);
    }

    // EnableItem and SetItemBold: one item, or every item now in the list for -1.
    void itemRange_data() {
        QTest::addColumn<int>("bit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("before"); // positions holding bit before the call
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("set");
        QTest::addColumn<QList<int>>("expected");

        const int disabled = EXCOMBO_DISABLED;
        const int bold = EXCOMBO_BOLD;
        QTest::newRow("disable one item")
            << disabled << 5 << QList<int>{} << 2 << true << QList<int>{2};
        QTest::newRow("disable every item in the list, the rest untouched")
            << disabled << 5 << QList<int>{6} << -1 << true << QList<int>{0, 1, 2, 3, 4, 6};
        QTest::newRow("enable every item in the list")
            << disabled << 5 << QList<int>{1, 4, 5, 9} << -1 << false << QList<int>{5, 9};
        QTest::newRow("an item beyond the list")
            << disabled << 5 << QList<int>{} << 9 << true << QList<int>{9};
        QTest::newRow("below -1") << disabled << 5 << QList<int>{} << -2 << true << QList<int>{};
        QTest::newRow("beyond the table")
            << disabled << 5 << QList<int>{} << 1024 << true << QList<int>{};
        QTest::newRow("last of the table")
            << disabled << 5 << QList<int>{} << 1023 << true << QList<int>{1023};
        QTest::newRow("every item of a list longer than the table")
            << disabled << 1100 << QList<int>{} << -1 << true << Range(0, 1023);
        QTest::newRow("bold every item")
            << bold << 3 << QList<int>{} << -1 << true << QList<int>{0, 1, 2};
        QTest::newRow("bold off for one item")
            << bold << 3 << QList<int>{0, 1, 2} << 1 << false << QList<int>{0, 2};
    }

    void itemRange() {
        QFETCH(int, bit);
        QFETCH(int, count);
        QFETCH(QList<int>, before);
        QFETCH(int, index);
        QFETCH(bool, set);
        QFETCH(QList<int>, expected);

        const auto mask = static_cast<std::uint8_t>(bit);
        const auto other = static_cast<std::uint8_t>(mask ^ (EXCOMBO_DISABLED | EXCOMBO_BOLD));
        CExCombo combo;
        Fill(combo, count);
        for (const int position : before) {
            combo.SetStatus(position, mask, true);
        }
        combo.SetStatus(7, other, true);
        if (mask == EXCOMBO_DISABLED) {
            combo.EnableItem(index, !set);
        } else {
            combo.SetItemBold(index, set);
        }
        QCOMPARE(Positions(combo, mask, 1200), expected);
        QCOMPARE(Positions(combo, other, 1200), QList<int>{7});
    }

    void refusal_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("disabled");
        QTest::addColumn<int>("start");
        // "Down", "Up": keys in the open list; "click N": a click on item N of the open list;
        // "closed Up": the key on the closed control.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("listOpen");

        QTest::newRow("down arrow over disabled items")
            << 6 << QList<int>{1, 2} << 0 << QStringList{"Down"} << 3 << true;
        QTest::newRow("down arrow onto an enabled item")
            << 6 << QList<int>{2} << 0 << QStringList{"Down"} << 1 << true;
        QTest::newRow("up arrow with none free goes back to the accepted item")
            << 6 << QList<int>{0, 1, 2} << 3 << QStringList{"Up"} << 3 << true;
        QTest::newRow("up arrow over disabled items")
            << 6 << QList<int>{2, 3} << 4 << QStringList{"Up"} << 1 << true;
        QTest::newRow("up arrow down to the first item")
            << 6 << QList<int>{1, 2} << 3 << QStringList{"Up"} << 0 << true;
        QTest::newRow("down arrow with none free")
            << 6 << QList<int>{4, 5} << 3 << QStringList{"Down"} << 3 << true;
        QTest::newRow("up arrow after a refusal searches upwards")
            << 6 << QList<int>{1, 2, 3} << 0 << QStringList{"Down", "Up"} << 0 << true;
        QTest::newRow("a click with no arrow key returns to the accepted item")
            << 6 << QList<int>{2} << 4 << QStringList{"click 2"} << 4 << true;
        QTest::newRow("a click after an arrow key searches in its direction")
            << 6 << QList<int>{2, 3} << 0 << QStringList{"Down", "click 3"} << 4 << true;
        QTest::newRow("a refusal forgets the arrow key")
            << 6 << QList<int>{1, 3} << 0 << QStringList{"Down", "click 3"} << 0 << true;
        QTest::newRow("a click on an enabled item chooses it and closes the list")
            << 6 << QList<int>{2} << 0 << QStringList{"click 4"} << 4 << false;
        QTest::newRow("the item chosen by a click becomes the accepted one")
            << 6 << QList<int>{2} << 0 << QStringList{"click 4", "open", "click 2"} << 4 << true;
        QTest::newRow("up arrow on the closed control opens the list on a free item")
            << 6 << QList<int>{2, 3} << 4 << QStringList{"closed Up"} << 1 << true;
        QTest::newRow("lists longer than 256 items keep whole positions")
            << 300 << QList<int>{261} << 260 << QStringList{"Down"} << 262 << true;
    }

    void refusal() {
        QFETCH(int, count);
        QFETCH(QList<int>, disabled);
        QFETCH(int, start);
        QFETCH(QStringList, steps);
        QFETCH(int, expected);
        QFETCH(bool, listOpen);

        ShownCombo shown(count, disabled, start);
        if (!steps.first().startsWith("closed")) {
            shown.Open();
        }
        for (const QString& step : steps) {
            if (step == "Down" || step == "Up") {
                QTest::keyClick(shown.combo.view(), step == "Up" ? Qt::Key_Up : Qt::Key_Down);
            } else if (step == "closed Up") {
                QTest::keyClick(&shown.combo, Qt::Key_Up);
            } else if (step == "open") {
                shown.Open();
            } else {
                shown.ClickItem(step.section(' ', 1).toInt());
            }
        }
        QCOMPARE(shown.combo.currentIndex(), expected);
        QCOMPARE(shown.combo.view()->isVisible(), listOpen);
        if (listOpen) {
            QCOMPARE(shown.combo.view()->currentIndex().row(), expected);
        }
    }

    void downArrowOpensTheClosedList() {
        ShownCombo shown(4, {}, 1);
        QTest::keyClick(&shown.combo, Qt::Key_Down);
        QTRY_VERIFY(shown.combo.view()->isVisible());
        QCOMPARE(shown.combo.currentIndex(), 1);
    }

    // A program may still select a disabled item: only the user's choices are refused.
    void programmaticSelectionIsNotRefused() {
        ShownCombo shown(4, {2}, 0);
        shown.combo.setCurrentIndex(2);
        QCOMPARE(shown.combo.currentIndex(), 2);
        QVERIFY(!shown.combo.view()->isVisible());
    }

    void itemColors_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ownColors");
        QTest::addColumn<bool>("disabledItem");
        QTest::addColumn<QString>("background"); // a palette role or a colour name
        QTest::addColumn<QString>("text");

        const int enabled = QStyle::State_Enabled;
        const int selected = QStyle::State_Enabled | QStyle::State_Selected;
        QTest::newRow("plain") << 1 << enabled << false << false << "Base"
                               << "Text";
        QTest::newRow("plain selected") << 1 << selected << false << false << "Highlight"
                                        << "HighlightedText";
        QTest::newRow("own colours") << 1 << enabled << true << false << "#ffff00"
                                     << "#0000ff";
        QTest::newRow("own colours exchanged when selected")
            << 1 << selected << true << false << "#0000ff"
            << "#ffff00";
        QTest::newRow("disabled item") << 1 << enabled << true << true << "Base"
                                       << "grey";
        QTest::newRow("disabled item selected") << 1 << selected << true << true << "Base"
                                                << "grey";
        QTest::newRow("whole control disabled") << 1 << 0 << true << false << "Button"
                                                << "grey";
        QTest::newRow("whole control disabled, selected")
            << 1 << int{QStyle::State_Selected} << true << false << "#0000ff"
            << "#ffff00";
        QTest::newRow("beyond the table, own colours ignored")
            << 1024 << enabled << true << false << "Base"
            << "Text";
        QTest::newRow("empty selection field") << -1 << selected << true << false << "Highlight"
                                               << "HighlightedText";
    }

    void itemColors() {
        QFETCH(int, index);
        QFETCH(int, state);
        QFETCH(bool, ownColors);
        QFETCH(bool, disabledItem);
        QFETCH(QString, background);
        QFETCH(QString, text);

        CExCombo combo;
        combo.setFont(TestFont());
        Fill(combo, 1030);
        combo.SetItemBkColor(-1, QColor(255, 255, 0));
        combo.SetItemTextColor(-1, QColor(0, 0, 255));
        combo.SetItemBkColor(2, QColor(255, 0, 0)); // another item's colours stay its own
        combo.EnableOwnColors(ownColors);
        combo.EnableItem(index, !disabledItem);

        const QPalette& palette = combo.palette();
        const auto color = [&](const QString& name) {
            static const QMap<QString, QPalette::ColorRole> roles = {
                {"Base", QPalette::Base},
                {"Text", QPalette::Text},
                {"Highlight", QPalette::Highlight},
                {"HighlightedText", QPalette::HighlightedText},
                {"Button", QPalette::Button}};
            if (name == "grey") {
                return palette.color(QPalette::Disabled, QPalette::Text);
            }
            return roles.contains(name) ? palette.color(QPalette::Active, roles[name])
                                        : QColor(name);
        };
        const QImage image = DrawItem(combo, index, QStyle::State(state));
        QCOMPARE(Pixel(image, 119, 23), color(background));
        QCOMPARE(Pixel(image, 0, 23), color(background));
        const int textPixels = CountPixels(image, color(text), image.rect());
        QCOMPARE(textPixels > 0, index >= 0 && index < combo.count());
    }

    void ownColorsReachOnlyItemsInTheList() {
        CExCombo combo;
        combo.setFont(TestFont());
        Fill(combo, 3);
        combo.SetItemBkColor(-1, QColor(0, 255, 0));
        Fill(combo, 2);
        combo.EnableOwnColors(true);
        QCOMPARE(Pixel(DrawItem(combo, 2, QStyle::State_Enabled), 119, 23), QColor(0, 255, 0));
        QCOMPARE(Pixel(DrawItem(combo, 3, QStyle::State_Enabled), 119, 23), QColor(Qt::white));
    }

    void boldItemsAreDrawnBold_data() {
        QTest::addColumn<bool>("disabledItem");
        QTest::newRow("enabled") << false;
        QTest::newRow("disabled stays grey") << true;
    }

    void boldItemsAreDrawnBold() {
        QFETCH(bool, disabledItem);
        CExCombo combo;
        combo.setFont(TestFont());
        combo.addItem("MMMM");
        combo.EnableItem(0, !disabledItem);
        const QColor ink = disabledItem ? combo.palette().color(QPalette::Disabled, QPalette::Text)
                                        : combo.palette().color(QPalette::Active, QPalette::Text);
        const int regular =
            CountPixels(DrawItem(combo, 0, QStyle::State_Enabled), ink, QRect(0, 0, 120, 24));
        combo.SetItemBold(0, true);
        const int bold =
            CountPixels(DrawItem(combo, 0, QStyle::State_Enabled), ink, QRect(0, 0, 120, 24));
        QVERIFY2(bold > regular, qPrintable(QStringLiteral("%1 <= %2").arg(bold).arg(regular)));
    }

    void textStartsAtTheTopLeftCorner() {
        CExCombo combo;
        combo.setFont(TestFont());
        combo.addItem("MMMM");
        const QImage image = DrawItem(combo, 0, QStyle::State_Enabled);
        const QColor ink = combo.palette().color(QPalette::Active, QPalette::Text);
        const QFontMetrics metrics(TestFont());
        // No margin at the left; glyphs sit below the top edge by the font's own spacing only.
        QVERIFY(CountPixels(image, ink, QRect(0, 0, 3, 24)) > 0);
        QCOMPARE(CountPixels(image, ink, QRect(0, metrics.height(), 120, 24 - metrics.height())),
                 0);
    }

    void heightsFollowTheFont() {
        CExCombo combo;
        Fill(combo, 3);
        for (const int size : {12, 30}) {
            combo.setFont(TestFont(size));
            const QFontMetrics metrics(TestFont(size));
            QCOMPARE(combo.ListItemHeight(), metrics.height());
            QVERIFY(combo.SelectionFieldHeight() > combo.ListItemHeight());
            QCOMPARE(combo.view()->sizeHintForRow(0), metrics.height());
            QVERIFY(combo.sizeHint().height() >= combo.SelectionFieldHeight());
        }
        const int large = combo.sizeHint().height();
        combo.setFont(TestFont(12));
        QVERIFY(combo.sizeHint().height() < large);
    }

    void selectionFieldShowsTheCurrentItem() {
        CExCombo combo;
        combo.setFont(TestFont());
        Fill(combo, 3);
        combo.SetItemBkColor(1, QColor(0, 160, 0));
        combo.EnableOwnColors(true);
        combo.resize(combo.sizeHint().width() + 60, combo.sizeHint().height());
        combo.setCurrentIndex(1);
        const QImage image = kestrum::test::Render(combo);
        QVERIFY(CountPixels(image, QColor(0, 160, 0), image.rect()) > 100);
        combo.setCurrentIndex(0);
        QCOMPARE(CountPixels(kestrum::test::Render(combo), QColor(0, 160, 0), image.rect()), 0);
    }
};

QTEST_MAIN(CExComboTest)
#include "cexcombo_test.moc"
