#pragma once

#include <kestrum-gui/logfont.h>
#include <kestrum-widgets/settingsdlg/cpropinfo.h>
#include <kestrum/kestrum_widgets_export.h>
#include <kestrum/propstore/cpropdb.h>

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kestrum {

class CLimitedTextEdit;
class CPathTree;
struct DefSetTexts;

// What a kind of value works on: the settings dialog's page controls, the value being edited
// and the state the page shares with the dialog. References into the dialog, valid for one call.
struct ValuePage {
    QWidget& dialog; // parent of the choosers
    int language;
    CPropDb& db;
    const std::string& section;
    const std::string& key;
    QComboBox& intCombo;
    QLineEdit& intValue;
    QLineEdit& floatValue;
    CLimitedTextEdit& textValue;
    CPathTree& pathTree;
    QPushButton& yes;
    QPushButton& no;
    QPushButton& change;
    QLabel& range;
    QLabel& example;
    std::uint32_t& color; // the sample's colour, 0x00BBGGRR
    LOGFONT& font;        // the sample's font
    bool& modified;
    std::function<void(QWidget&, int)> place; // enables, shows and centres, offset down
    std::function<void()> showColor;          // paints the sample in color
};

// How the dialog edits one kind of described value: one entry per registration kind, so that
// a new kind is one new entry rather than an edit in every step of the page.
struct ValueKind {
    // Where a key's picture follows the type of its stored value.
    static constexpr int kImageOfStoredType = -1;

    std::int32_t type;    // the described value type
    std::int32_t subType; // how it is edited
    const char* caption;  // title of the page's group box
    int image;            // picture of the key in the tree, or kImageOfStoredType
    // Puts the stored value into the page's controls.
    void (*fill)(ValuePage& page, const CPropInfo& info);
    // Shows the controls of the page.
    void (*show)(ValuePage& page);
    // Writes the edited value unless it is out of range; false when it is. Without a
    // description (it went away meanwhile) nothing is checked.
    bool (*save)(ValuePage& page, const CPropInfo* info);
    // The message for a value out of range; null where no value is ever refused.
    QString (*rangeError)(const DefSetTexts& texts, const CPropInfo& info);
    // What the change button does; null where the page has none.
    void (*change)(ValuePage& page, const CPropInfo& info);
};

// Every kind the dialog can edit.
KESTRUM_WIDGETS_EXPORT std::span<const ValueKind> ValueKinds();
// The entry of type and subType; null when no registration creates such a description.
const ValueKind* FindValueKind(std::int32_t type, std::int32_t subType);
KESTRUM_WIDGETS_EXPORT const ValueKind* FindValueKind(const CPropInfo& info);

} // namespace kestrum
