// The table of value kinds the settings dialog edits: every description a registration
// creates finds one complete entry, so that no page is left without filling, showing or saving.
#include <kestrum-widgets/settingsdlg/cdefsetdlg.h>
#include <kestrum-widgets/settingsdlg/valuekinds.h>

#include <QTest>

#include <set>
#include <utility>

using kestrum::CDefSetDlg;
using kestrum::CPropInfo;
using kestrum::FindValueKind;
using kestrum::ValueKind;
using kestrum::ValueKinds;

class ValueKindsTest : public QObject {
    Q_OBJECT

private slots:
    void everyEntryIsCompleteAndUnique() {
        std::set<std::pair<int, int>> seen;
        for (const ValueKind& kind : ValueKinds()) {
            QVERIFY2(seen.emplace(kind.type, kind.subType).second,
                     "two entries for one kind: the second is never used");
            QVERIFY(kind.caption != nullptr && *kind.caption != '\0');
            QVERIFY(kind.fill != nullptr);
            QVERIFY(kind.show != nullptr);
            QVERIFY(kind.save != nullptr);
        }
    }

    void everyRegistrationFindsItsKind() {
        QWidget window;
        CDefSetDlg dialog;
        dialog.SetIntRange("", "intRange", 0, 1, "");
        dialog.SetIntCombo("", "intCombo", {"a"}, "");
        dialog.SetIntColor("", "intColor", "");
        dialog.SetFloatRange("", "floatRange", 0.0F, 1.0F, "");
        dialog.SetStringRange("", "stringRange", 4, "");
        dialog.SetStringFile("", "stringFile", "");
        dialog.SetStringPath("", "stringPath", "");
        dialog.SetBool("", "bool", "");
        dialog.SetBlobFont("", "blobFont", "");
        dialog.SetBlobRaw("", "blobRaw", "", &window);
        const auto& values = dialog.GetInfoDb().GetDefaultSet().GetValues();
        QCOMPARE(values.size(), ValueKinds().size());
        for (const auto& [key, value] : values) {
            const auto* info =
                dynamic_cast<const CPropInfo*>(dialog.GetInfoDb().ReadPropObj("", key));
            QVERIFY(info != nullptr);
            QVERIFY2(FindValueKind(*info) != nullptr, key.c_str());
        }
    }
};

QTEST_MAIN(ValueKindsTest)
#include "valuekinds_test.moc"
