// The Process dialog with subtitle files of other kinds: the "Frame rate" box, what the status
// line says of the file loaded, and the timecodes that follow the rate chosen.
#include "cprocessdlg.h"

#include "orvo/storeoflines.h"

#include "common/dialoganswerer.h"
#include "common/findcontrol.h"

#include <kestrum/propstore/cpropdb.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

using orvo::CProcessDlg;
using orvo::ListLines;
using orvo::SubtitleStore;
using orvo::test::Lines;
using testsupport::Find;

namespace {

const QByteArray kSrt = "1\r\n00:00:01,000 --> 00:00:02,500\r\n<b>One</b>\r\n\r\n"
                        "2\r\n00:01:00,000 --> 00:01:02,000\r\n\r\n"
                        "3\r\n00:01:03,000 --> 00:01:04,000\r\nThree\r\n";

// The second block's timing line is damaged: the reader skips it and warns.
const QByteArray kDamagedSrt = "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n"
                               "2\r\n00:00:03,000 -> 00:00:04,000\r\nTwo\r\n\r\n"
                               "3\r\n00:00:05,000 --> 00:00:06,000\r\nThree\r\n";

} // namespace

class ProcessDlgFrameRateTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write %s", qPrintable(path));
        }
        return path;
    }

    // Types the path into the input field and presses Enter, as a user does.
    static void Open(CProcessDlg& dialog, const QString& path) {
        auto& input = Find<QLineEdit>(dialog, "inputFileEdit");
        input.setText(path);
        QTest::keyClick(&input, Qt::Key_Return);
    }

private slots:
    void TheBoxOffersEveryRateAndOpensOnTheStoredOne() {
        kestrum::CPropDb db;
        SubtitleStore store;
        {
            CProcessDlg dialog(db, store);
            auto& rates = Find<QComboBox>(dialog, "frameRateCombo");
            QCOMPARE(rates.count(), 8);
            QCOMPARE(rates.itemText(4), QStringLiteral("29.97ndf"));
            QVERIFY(rates.isEnabled());
            QCOMPARE(rates.currentText(), QStringLiteral("25")); // PAL by default
        }
        db.WritePropBool("", "PAL", 0);
        QCOMPARE(CProcessDlg(db, store).GetFrameRate().name, "29.97");
        db.WritePropString("", "FrameRate", "no rate");
        QCOMPARE(CProcessDlg(db, store).GetFrameRate().name, "29.97");
        db.WritePropString("", "FrameRate", "23.976");
        QCOMPARE(CProcessDlg(db, store).GetFrameRate().name, "23.976");
    }

    void AnSrtFileLoadsWithItsKindAndFollowsTheRate() {
        kestrum::CPropDb db;
        SubtitleStore store;
        CProcessDlg dialog(db, store);
        Open(dialog, Write("film.srt", kSrt));
        QCOMPARE(Find<QLabel>(dialog, "statusLine").text(),
                 QStringLiteral("2 Subtitles loaded ! (SRT, 1 empty left out)"));
        QCOMPARE(ListLines(store),
                 (Lines{"1\t00:00:01:00\t00:00:02:13\tOne", "2\t00:01:03:00\t00:01:04:00\tThree"}));

        Find<QComboBox>(dialog, "frameRateCombo").setCurrentText(QStringLiteral("29.97"));
        QCOMPARE(ListLines(store),
                 (Lines{"1\t00:00:01;00\t00:00:02;15\tOne", "2\t00:01:03;00\t00:01:04;00\tThree"}));
        QCOMPARE(Find<QLabel>(dialog, "statusLine").text(),
                 QStringLiteral("2 Subtitles loaded ! (SRT, 1 empty left out)"));
        QCOMPARE(dialog.GetFrameRate().name, "29.97");
    }

    // Another rate reads the file again, by the box or by a list configuration file during the
    // load: the warnings of one load come once.
    void AReadersWarningsShowOncePerLoad_data() {
        QTest::addColumn<bool>("configuration");
        QTest::newRow("the box") << false;
        QTest::newRow("a configuration file") << true;
    }

    void AReadersWarningsShowOncePerLoad() {
        QFETCH(bool, configuration);

        kestrum::CPropDb db;
        SubtitleStore store;
        CProcessDlg dialog(db, store);
        const QString path = Write("damaged.srt", kDamagedSrt);
        if (configuration) {
            kestrum::CPropDb stored;
            stored.WritePropString("", "FrameRate", "29.97");
            QVERIFY(stored.Save(m_dir.filePath("damaged.cfg").toStdString()));
        }
        int warnings = 0;
        testsupport::DialogAnswerer answerer([&](QDialog& shown) {
            auto& box = static_cast<QMessageBox&>(shown);
            if (box.icon() == QMessageBox::Warning) {
                QVERIFY2(box.text().contains("00:00:03,000 -> 00:00:04,000"),
                         qPrintable(box.text()));
                ++warnings;
            }
            box.button(box.icon() == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok)
                ->click();
        });
        Open(dialog, path);
        if (!configuration) {
            Find<QComboBox>(dialog, "frameRateCombo").setCurrentText(QStringLiteral("29.97"));
        }
        QCOMPARE(dialog.GetFrameRate().name, "29.97");
        QCOMPARE(store.size(), std::size_t{2});
        QCOMPARE(warnings, 1);

        // Loaded anew, the file shows them again.
        Open(dialog, m_dir.path() + "/./damaged.srt");
        QCOMPARE(warnings, 2);
    }

    void AListKeepsItsTimesWhateverTheRate() {
        kestrum::CPropDb db;
        SubtitleStore store;
        CProcessDlg dialog(db, store);
        Open(dialog, Write("film.txt", "1\t00:00:01:00\t00:00:02:00\tOne\r\n"));
        QCOMPARE(Find<QLabel>(dialog, "statusLine").text(), QStringLiteral("1 Subtitles loaded !"));
        Find<QComboBox>(dialog, "frameRateCombo").setCurrentText(QStringLiteral("30"));
        QCOMPARE(ListLines(store), (Lines{"1\t00:00:01:00\t00:00:02:00\tOne"}));
    }
};

QTEST_MAIN(ProcessDlgFrameRateTest)
#include "processdlg_framerate_test.moc"
