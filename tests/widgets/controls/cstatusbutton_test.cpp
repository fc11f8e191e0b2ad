#include "controlstestsupport.h"

#include <kestrum-widgets/controls/cstatusbutton.h>

#include <QTest>
#include <QTimer>

using kestrum::CStatusButton;
using kestrum::test::CountPixels;
using kestrum::test::Pixel;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kRed(255, 0, 0);

// Counts the paints, to tell a repaint at once from none.
class CountingButton : public CStatusButton {
public:
    using CStatusButton::CStatusButton;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CStatusButton::paintEvent(event);
    }
};

QTimer& FlashTimer(CStatusButton& button) {
    auto* timer = button.findChild<QTimer*>("flashTimer");
    Q_ASSERT(timer != nullptr);
    return *timer;
}

} // namespace

class CStatusButtonTest : public QObject {
    Q_OBJECT

private slots:
    void stateRules_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("isButtonOn");
        QTest::addColumn<int>("getCheck");

        QTest::newRow("SetCheck(5)") << "SetCheck" << 5 << 1 << 1;
        QTest::newRow("SetCheck(-1)") << "SetCheck" << -1 << 1 << 1;
        QTest::newRow("SetCheck(0)") << "SetCheck" << 0 << 0 << 0;
        QTest::newRow("SetButtonOn(5) keeps 5") << "SetButtonOn" << 5 << 5 << 1;
        QTest::newRow("SetButtonOn(-1)") << "SetButtonOn" << -1 << -1 << 1;
        QTest::newRow("SetButtonOn(0)") << "SetButtonOn" << 0 << 0 << 0;
    }

    void stateRules() {
        QFETCH(QString, call);
        QFETCH(int, value);
        QFETCH(int, isButtonOn);
        QFETCH(int, getCheck);

        CStatusButton button;
        button.SetButtonOn(7);
        if (call == "SetCheck") {
            button.SetCheck(value);
        } else {
            button.SetButtonOn(value);
        }
        QCOMPARE(button.IsButtonOn(), isButtonOn);
        QCOMPARE(button.GetCheck(), getCheck);
    }

    void clicksFlipTheState() {
        CStatusButton button("Go");
        button.SetButtonOn(5);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.IsButtonOn(), 0);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.IsButtonOn(), 1);
        button.setEnabled(false);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.IsButtonOn(), 1);
        // A disabled button still takes its state from the program.
        button.SetButtonOn(0);
        QCOMPARE(button.IsButtonOn(), 0);
    }

    void whichCallsRepaintAtOnce() {
        CountingButton button("Text");
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QCoreApplication::processEvents();
        const auto paintsAfter = [&](const std::function<void()>& call) {
            button.paints = 0;
            call();
            return button.paints;
        };
        QCOMPARE(paintsAfter([&] { button.SetCheck(1); }), 0);
        QCOMPARE(paintsAfter([&] { button.SetBkOnColor(kRed); }), 0);
        QCOMPARE(paintsAfter([&] { button.SetButtonOn(0); }), 1);
        QCOMPARE(paintsAfter([&] { button.SetOnText("On"); }), 1);
        QCOMPARE(paintsAfter([&] { button.OnClicked(); }), 1);
        QCOMPARE(paintsAfter([&] { button.SetWindowText("Both"); }), 2);
        QCOMPARE(button.text(), QString("Both"));
        QCoreApplication::processEvents();
        QCOMPARE(paintsAfter([] { QCoreApplication::processEvents(); }), 0);
    }

    void flashingStartsOnceAndStops() {
        CStatusButton button("Off");
        button.SetOnText("On");
        QTimer& timer = FlashTimer(button);
        QVERIFY(!timer.isActive());

        button.Flash(true);
        QVERIFY(timer.isActive());
        QCOMPARE(timer.interval(), 500);
        // A second start would restart the period.
        QTRY_VERIFY(timer.remainingTime() < 450);
        button.Flash(true);
        QVERIFY(timer.remainingTime() < 450);

        button.OnTimer();
        QCOMPARE(button.text(), QString());
        button.OnTimer();
        QCOMPARE(button.text(), QString("Off"));
        button.OnTimer();
        button.SetButtonOn(1);
        button.Flash(false);
        QVERIFY(!timer.isActive());
        QCOMPARE(button.text(), QString("On"));
        // The phase starts again with the text shown.
        button.Flash(true);
        button.OnTimer();
        QCOMPARE(button.text(), QString());
    }

    void flashTimeTakesEffectAtTheNextStart() {
        CStatusButton button("Off");
        QTimer& timer = FlashTimer(button);
        button.Flash(true);
        button.SetFlashTime(20);
        QCOMPARE(timer.interval(), 500);
        button.Flash(false);
        button.Flash(true);
        QCOMPARE(timer.interval(), 20);
        QTRY_COMPARE(button.text(), QString());
        QTRY_COMPARE(button.text(), QString("Off"));
    }

    void plate_data() {
        QTest::addColumn<int>("on");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QColor>("plate");
        QTest::addColumn<QColor>("top");    // outermost row
        QTest::addColumn<QColor>("bottom"); // second row from the bottom

        QTest::newRow("off, raised") << 0 << true << kOlive << kWhite << kBlack;
        QTest::newRow("on, sunken") << 1 << true << kYellow << kBlack << kWhite;
        QTest::newRow("off, disabled: one white outline")
            << 0 << false << kOlive << kWhite << QColor(1, 2, 3);
        QTest::newRow("on, disabled: one black outline")
            << 1 << false << kYellow << kBlack << QColor(1, 2, 3);
    }

    void plate() {
        QFETCH(int, on);
        QFETCH(bool, enabled);
        QFETCH(QColor, plate);
        QFETCH(QColor, top);
        QFETCH(QColor, bottom);

        CStatusButton button;
        button.resize(80, 30);
        button.SetButtonOn(on);
        button.setEnabled(enabled);
        const QImage image = kestrum::test::Render(button);
        QCOMPARE(Pixel(image, 40, 15), plate);
        QCOMPARE(Pixel(image, 40, 0), top);
        QCOMPARE(Pixel(image, 0, 15), top);
        QCOMPARE(Pixel(image, 40, 28), bottom);
        QCOMPARE(Pixel(image, 78, 15), bottom);
        // Rounded: the corners stay as they were.
        QCOMPARE(Pixel(image, 0, 0), QColor(1, 2, 3));
        QCOMPARE(Pixel(image, 79, 29), QColor(1, 2, 3));
    }

    void textIsCentredInTheTextColour() {
        CStatusButton button("IIII");
        button.resize(120, 40);
        button.SetTextColor(kRed);
        const QImage image = kestrum::test::Render(button);
        QVERIFY(CountPixels(image, kRed, image.rect()) > 0);
        int left = image.width();
        int right = 0;
        for (int x = 0; x < image.width(); ++x) {
            if (CountPixels(image, kRed, QRect(x, 0, 1, image.height())) > 0) {
                left = std::min(left, x);
                right = x;
            }
        }
        // Centred on the plate, one pixel to the left, give or take a glyph's side bearing.
        QVERIFY2(std::abs((left + right) / 2 - 59) <= 2,
                 qPrintable(QStringLiteral("ink from %1 to %2").arg(left).arg(right)));
    }

    void flashingHidesTheText() {
        CStatusButton button("IIII");
        button.resize(120, 40);
        button.SetTextColor(kRed);
        button.Flash(true);
        const auto ink = [&] {
            const QImage image = kestrum::test::Render(button);
            return CountPixels(image, kRed, image.rect());
        };
        QVERIFY(ink() > 0);
        button.OnTimer();
        QCOMPARE(ink(), 0);
        button.OnTimer();
        QVERIFY(ink() > 0);
        button.OnTimer();
        button.Flash(false);
        QVERIFY(ink() > 0);
    }

    void sizeDoesNotFollowTheFlashing() {
        CStatusButton button("A long state text");
        const QSize size = button.sizeHint();
        button.Flash(true);
        button.OnTimer();
        QCOMPARE(button.sizeHint(), size);
    }
};

QTEST_MAIN(CStatusButtonTest)
#include "cstatusbutton_test.moc"
