// kestrum-propedit's steps on a copy of Orvo's example settings file: the command line, the
// descriptions by kind, editing and saving through the dialog, Cancel, damaged files.
#include "defsettestsupport.h"

#include "common/filecontent.h"

#include "propedit.h"

#include <kestrum/propstore/cpropdb.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using kestrum::CDefSetDlg;
using kestrum::CPropDb;
using kestrum::CPropInfo;
namespace propedit = kestrum::propedit;
using testsupport::DialogAnswerer;
using testsupport::Find;
using testsupport::KeyTree;
using testsupport::MessageCatcher;
using testsupport::ReadText;

namespace {

const CPropInfo* Info(const CDefSetDlg& dialog, std::string_view section, std::string_view key) {
    return dynamic_cast<const CPropInfo*>(dialog.GetInfoDb().ReadPropObj(section, key));
}

// Every value of db as "section/key kind value" lines, blobs and floats by their bytes.
QStringList Dump(const CPropDb& db) {
    QStringList lines;
    auto dumpSet = [&lines](const std::string& section, const kestrum::CPropSet& set) {
        for (const auto& [key, value] : set.GetValues()) {
            QString line = QString::fromStdString(section + "/" + key) + " " +
                           QString::number(value->m_nType) + " ";
            if (const auto* word = dynamic_cast<const kestrum::CWordProp*>(value.get())) {
                line += QString::number(word->m_word);
            } else if (const auto* text = dynamic_cast<const kestrum::CStringProp*>(value.get())) {
                line += QByteArray::fromStdString(text->m_value).toHex();
            } else if (const auto* blob = dynamic_cast<const kestrum::CBlobProp*>(value.get())) {
                line += QByteArray(reinterpret_cast<const char*>(blob->m_data.get()),
                                   static_cast<qsizetype>(blob->m_size))
                            .toHex();
            }
            lines << line;
        }
    };
    dumpSet("", db.GetDefaultSet());
    for (const auto& [name, set] : db.GetSections()) {
        dumpSet(name, *set);
    }
    return lines;
}

QStringList DumpFile(const QString& path) {
    CPropDb db;
    return db.Load(path.toStdString()) ? Dump(db) : QStringList();
}

void TypeInto(QWidget& field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(&field)) {
        line->selectAll();
    }
    QTest::keyClicks(&field, text);
}

} // namespace

class PropEditTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_file = m_dir->filePath("orvo.cfg");
        QVERIFY(QFile::copy(QStringLiteral(ORVO_EXAMPLE_SETTINGS), m_file));
        QVERIFY(QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner));
    }

    void cleanup() { m_dir.reset(); }

    void arguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file"); // empty: a usage error
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("key");

        QTest::newRow("file") << QStringList{"a.cfg"} << "a.cfg" << 0 << "";
        QTest::newRow("German") << QStringList{"a.cfg", "--lang", "de"} << "a.cfg" << 1 << "";
        QTest::newRow("English first")
            << QStringList{"--lang", "en", "a.cfg"} << "a.cfg" << 0 << "";
        QTest::newRow("key") << QStringList{"a.cfg", "--key", "PAL"} << "a.cfg" << 0 << "PAL";
        QTest::newRow("no file") << QStringList{"--lang", "de"} << "" << 0 << "";
        QTest::newRow("two files") << QStringList{"a.cfg", "b.cfg"} << "" << 0 << "";
        QTest::newRow("unknown language") << QStringList{"a.cfg", "--lang", "fr"} << "" << 0 << "";
        QTest::newRow("missing value") << QStringList{"a.cfg", "--lang"} << "" << 0 << "";
        QTest::newRow("unknown option") << QStringList{"a.cfg", "--force"} << "" << 0 << "";
    }

    void arguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(int, language);
        QFETCH(QString, key);

        const auto parsed = propedit::ParseArguments(arguments);
        const auto* options = std::get_if<propedit::Options>(&parsed);
        QCOMPARE(options != nullptr, !file.isEmpty());
        if (options != nullptr) {
            QCOMPARE(QString::fromStdString(options->file), file);
            QCOMPARE(options->language, language);
            QCOMPARE(QString::fromStdString(options->key), key);
        }
    }

    void everyKeyDescribedByItsKind() {
        CDefSetDlg dialog;
        QCOMPARE(propedit::Load(dialog, m_file.toStdString(), 0), std::nullopt);
        const std::uint8_t small[] = {1, 2, 3};
        dialog.m_PropDb.WritePropBlob("Extra", "small", small);
        dialog.m_PropDb.WritePropFloat("Extra", "ratio", 0.5F);
        propedit::Describe(dialog, m_file.toStdString(), 0);

        const CPropInfo* margin = Info(dialog, "", "LeftMargin");
        QCOMPARE(margin->m_nType, 0);
        QCOMPARE(margin->m_nSubType, 0);
        QCOMPARE(margin->m_nMin, std::numeric_limits<int>::min());
        QCOMPARE(margin->m_nMax, std::numeric_limits<int>::max());
        const CPropInfo* ratio = Info(dialog, "Extra", "ratio");
        QCOMPARE(ratio->m_fMin, std::numeric_limits<float>::lowest());
        QCOMPARE(ratio->m_fMax, std::numeric_limits<float>::max());
        QCOMPARE(Info(dialog, "", "Header1")->m_nMaxChars, 65535);
        QCOMPARE(Info(dialog, "", "PAL")->m_nType, 3);
        QCOMPARE(Info(dialog, "", "Font")->m_nSubType, 3);
        QCOMPARE(Info(dialog, "Extra", "small"), nullptr);
        QCOMPARE(Info(dialog, "", "TextColor")->m_strInfo, std::string("A whole number (int)."));

        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Settings - orvo.cfg"));
        QCOMPARE(KeyTree(dialog).topLevelItem(0)->text(0), QString("orvo.cfg"));
        QCOMPARE(KeyTree(dialog).topLevelItem(0)->childCount(), 19); // 18 keys and Extra
    }

    void germanTexts() {
        CDefSetDlg dialog;
        QCOMPARE(propedit::Load(dialog, m_file.toStdString(), 1), std::nullopt);
        propedit::Describe(dialog, m_file.toStdString(), 1);
        QCOMPARE(QString::fromStdString(Info(dialog, "", "PAL")->m_strInfo),
                 QString("Ja oder Nein (bool)."));
        dialog.show();
        QCOMPARE(Find<QPushButton>(dialog, "cancelButton").text(), QString("Abbrechen"));
    }

    void editedFileLoadsAsOrvoWroteIt() {
        const QStringList before = DumpFile(m_file);
        DialogAnswerer answerer([](QDialog& shown) {
            auto& dialog = static_cast<CDefSetDlg&>(shown);
            QVERIFY(dialog.SelectKey("", "LeftMargin"));
            TypeInto(Find<QLineEdit>(dialog, "intValue"), "60");
            QVERIFY(dialog.SelectKey("", "PAL"));
            Find<QPushButton>(dialog, "noButton").click();
            QVERIFY(dialog.SelectKey("", "ImgName"));
            auto& name = Find<QPlainTextEdit>(dialog, "textValue");
            name.moveCursor(QTextCursor::End);
            QTest::keyClicks(&name, "2");
            Find<QPushButton>(dialog, "okButton").click();
        });
        CDefSetDlg dialog;
        QCOMPARE(propedit::Edit(dialog, {m_file.toStdString(), 0, {}, {}}), 0);
        QCOMPARE(answerer.GetCount(), 1);

        CPropDb saved;
        QVERIFY(saved.Load(m_file.toStdString()));
        QCOMPARE(saved.GetType("", "LeftMargin"), int(kestrum::kPropInt));
        QCOMPARE(saved.ReadPropInt("", "LeftMargin", 0, false), 60);
        QCOMPARE(saved.GetType("", "PAL"), int(kestrum::kPropBool));
        QCOMPARE(saved.ReadPropBool("", "PAL", 9, false), 0);
        QCOMPARE(saved.ReadPropString("", "ImgName", "", false), std::string("OutputImg2"));
        // Everything else as it was, kinds and bytes: the CR LF of Header1 and the font too.
        QStringList expected = before;
        QStringList after = Dump(saved);
        for (const char* edited : {"/ImgName ", "/LeftMargin ", "/PAL "}) {
            expected.removeIf([edited](const QString& line) { return line.startsWith(edited); });
            after.removeIf([edited](const QString& line) { return line.startsWith(edited); });
        }
        QCOMPARE(after, expected);
        QCOMPARE(after.size(), 15);
    }

    void startsAtTheChosenKey() {
        QString shownValue;
        DialogAnswerer answerer([&shownValue](QDialog& shown) {
            shownValue = Find<QLineEdit>(shown, "intValue").text();
            shown.reject();
        });
        CDefSetDlg dialog;
        QCOMPARE(propedit::Edit(dialog, {m_file.toStdString(), 0, {}, "OutlineSpacing"}), 0);
        QCOMPARE(shownValue, QString("2"));
    }

    void cancelWritesNothing() {
        const std::string before = ReadText(m_file.toStdString());
        DialogAnswerer answerer([](QDialog& shown) {
            auto& dialog = static_cast<CDefSetDlg&>(shown);
            QVERIFY(dialog.SelectKey("", "LeftMargin"));
            TypeInto(Find<QLineEdit>(dialog, "intValue"), "61");
            QVERIFY(dialog.SelectKey("", "RightMargin")); // LeftMargin saved in memory
            Find<QPushButton>(dialog, "cancelButton").click();
        });
        CDefSetDlg dialog;
        QCOMPARE(propedit::Edit(dialog, {m_file.toStdString(), 0, {}, {}}), 0);
        QCOMPARE(answerer.GetCount(), 1);
        QCOMPARE(ReadText(m_file.toStdString()), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"orvo.cfg"});
    }

    void unreadableFilesAreRefused_data() {
        QTest::addColumn<int>("keep"); // bytes of the example kept; -1 for no file at all
        QTest::addColumn<QString>("error");
        QTest::newRow("cut short") << 300 << "end of data";
        QTest::newRow("empty") << 0 << "end of data";
        QTest::newRow("missing") << -1 << "No such file or directory";
    }

    void unreadableFilesAreRefused() {
        QFETCH(int, keep);
        QFETCH(QString, error);
        QFile file(m_file);
        if (keep < 0) {
            QVERIFY(file.remove());
        } else {
            QVERIFY(file.resize(keep));
        }
        const std::string before = ReadText(m_file.toStdString());

        MessageCatcher catcher;
        CDefSetDlg dialog;
        QCOMPARE(propedit::Edit(dialog, {m_file.toStdString(), 0, {}, {}}), 1);
        QCOMPARE(catcher.messages.size(), std::size_t{1}); // the message, and no dialog
        QVERIFY2(catcher.messages[0].text.startsWith("Cannot read " + m_file + ": " + error),
                 qPrintable(catcher.messages[0].text));
        QCOMPARE(ReadText(m_file.toStdString()), before);
        QCOMPARE(QFile::exists(m_file), keep >= 0);
    }

    void failedSaveIsReported() {
        DialogAnswerer answerer([](QDialog& shown) {
            if (auto* dialog = qobject_cast<CDefSetDlg*>(&shown)) {
                Find<QPushButton>(*dialog, "okButton").click();
            } else {
                shown.accept(); // the error message
            }
        });
        CDefSetDlg dialog;
        QCOMPARE(propedit::Load(dialog, m_file.toStdString(), 0), std::nullopt);
        const std::string target = m_dir->filePath("no-such-folder/orvo.cfg").toStdString();
        propedit::Describe(dialog, target, 0);
        QCOMPARE(propedit::Run(dialog, {target, 0, {}, {}}), 1);
        QCOMPARE(answerer.GetCount(), 2);
    }
};

QTEST_MAIN(PropEditTest)
#include "propedit_test.moc"
