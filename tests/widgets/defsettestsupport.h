#pragma once

// Helpers of the settings dialog's tests: finding controls and tree items, and what a page
// shows.
#include "treeoutline.h"

#include "common/dialoganswerer.h"
#include "common/findcontrol.h"
#include "common/messagebox.h"

#include <kestrum-widgets/common/treeitems.h>
#include <kestrum-widgets/settingsdlg/cdefsetdlg.h>

#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <string_view>
#include <vector>

namespace testsupport {

inline QTreeWidget& KeyTree(const kestrum::CDefSetDlg& dialog) {
    return Find<QTreeWidget>(dialog, "keyTree");
}

inline QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, std::string_view name) {
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) {
        if (kestrum::GetItemName(*parent->child(i)) == name) {
            return parent->child(i);
        }
    }
    return nullptr;
}

// The item of a key ("" for the default section), or of a section when key is empty.
inline QTreeWidgetItem* Item(const kestrum::CDefSetDlg& dialog, std::string_view section,
                             std::string_view key) {
    QTreeWidgetItem* parent = KeyTree(dialog).topLevelItem(0);
    if (!section.empty()) {
        parent = ChildNamed(parent, section);
    }
    return key.empty() ? parent : ChildNamed(parent, key);
}

inline void Select(const kestrum::CDefSetDlg& dialog, std::string_view section,
                   std::string_view key) {
    KeyTree(dialog).setCurrentItem(Item(dialog, section, key));
}

// The page controls that are shown, by role.
inline QStringList ShownControls(const kestrum::CDefSetDlg& dialog) {
    QStringList shown;
    for (const char* name : {"yesButton", "noButton", "choiceList", "intValue", "floatValue",
                             "textValue", "pathTree", "changeButton", "rangeText", "sampleField"}) {
        if (Find<QWidget>(dialog, name).isVisible()) {
            shown << QString::fromLatin1(name);
        }
    }
    return shown;
}

inline QString Caption(const kestrum::CDefSetDlg& dialog) {
    return Find<QGroupBox>(dialog, "parameterGroup").title();
}

// Records every message box while it lives and answers it with OK.
class MessageCatcher : public DialogAnswerer {
public:
    MessageCatcher()
        : DialogAnswerer([this](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (box == nullptr) {
                dialog.reject(); // not what this test expects: fails on the count
                return;
            }
            messages.push_back(Read(*box));
            box->button(QMessageBox::Ok)->click();
        }) {}

    std::vector<Message> messages;
};

} // namespace testsupport
