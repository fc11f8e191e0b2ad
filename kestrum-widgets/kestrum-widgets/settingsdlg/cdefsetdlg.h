#pragma once

#include <kestrum-gui/logfont.h>
#include <kestrum-widgets/common/cimagelist.h>
#include <kestrum-widgets/settingsdlg/cpropinfo.h>
#include <kestrum/kestrum_widgets_export.h>
#include <kestrum/propstore/cpropdb.h>

#include <QDialog>
#include <QEvent>
#include <QRect>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrum {

class CLimitedTextEdit;
class CPathTree;
struct ValuePage;

// The event the settings dialog sends (QCoreApplication::sendEvent, so it is handled before
// the dialog goes on) to the window of a raw-data description when the user presses the
// change button. The window does its own storing, for instance into the dialog's m_PropDb.
inline constexpr QEvent::Type WM_DEFSET_EDITDATA = static_cast<QEvent::Type>(QEvent::User + 0x21E6);
// The event the dialog posts to itself after a rejected value, so that the selection moves
// back only once the current selection change has been handled completely.
inline constexpr QEvent::Type WM_DEFSET_ERROR = static_cast<QEvent::Type>(QEvent::User + 0x1196);

class KESTRUM_WIDGETS_EXPORT CDefSetEditDataEvent : public QEvent {
public:
    // Section "" is the default section. Both refer to the dialog's strings: valid only
    // while the event is being handled.
    CDefSetEditDataEvent(std::string_view section, std::string_view key);
    ~CDefSetEditDataEvent() override;

    std::string_view GetSection() const { return m_section; }
    std::string_view GetKey() const { return m_key; }

private:
    std::string_view m_section;
    std::string_view m_key;
};

// A generic modal editor for the values of a property database. The caller fills m_PropDb,
// describes every value the user may edit (the Set... registrations), shows the dialog, and
// finds the edited values in m_PropDb afterwards. The left side is a tree of the described
// keys (the default section's keys under the top item, then one item per section); the right
// side is a page of controls for the selected key, chosen by its description. An edited value
// is written back when the user leaves it for another key or presses OK, after its range is
// checked; a value out of range is reported and thrown away.
//
// Descriptions live for one showing: they are deleted when the dialog closes. Values saved
// while moving from key to key stay in m_PropDb even when the dialog ends with Cancel.
class KESTRUM_WIDGETS_EXPORT CDefSetDlg : public QDialog {
    Q_OBJECT

public:
    explicit CDefSetDlg(QWidget* parent = nullptr);
    ~CDefSetDlg() override;

    // 0 English, 1 German; the texts change the next time the dialog opens.
    void SetLanguage(int nLanguage) { m_nLanguage = nLanguage; }
    // The text of the tree's top item, which stands for the default section.
    void SetRootText(std::string_view text) { m_strRootText = text; }
    void SetDlgTitle(std::string_view text) { m_strDlgTitle = text; }

    // Each registration replaces (and deletes) an earlier description of the same section and
    // key; "" is the default section. Nothing is checked: a range whose minimum exceeds its
    // maximum refuses every entry.
    void SetIntRange(std::string_view section, std::string_view key, int nMin, int nMax,
                     std::string_view info);
    void SetFloatRange(std::string_view section, std::string_view key, float fMin, float fMax,
                       std::string_view info);
    void SetStringRange(std::string_view section, std::string_view key, int nMaxChars,
                        std::string_view info);
    void SetStringFile(std::string_view section, std::string_view key, std::string_view info);
    void SetStringPath(std::string_view section, std::string_view key, std::string_view info);
    void SetIntColor(std::string_view section, std::string_view key, std::string_view info);
    // The stored integer is the position of the chosen text in texts.
    void SetIntCombo(std::string_view section, std::string_view key,
                     const std::vector<std::string>& texts, std::string_view info);
    void SetBool(std::string_view section, std::string_view key, std::string_view info);
    void SetBlobFont(std::string_view section, std::string_view key, std::string_view info);
    // Registers nothing when pWnd is null (a QPointer to a deleted window converts to null).
    // The window must stay alive while the dialog is shown; it receives
    // CDefSetEditDataEvent.
    void SetBlobRaw(std::string_view section, std::string_view key, std::string_view info,
                    QWidget* pWnd);

    // Selects the key ("" for the default section) while the dialog is shown, as a click on
    // its item would; false when the tree does not list it.
    bool SelectKey(std::string_view section, std::string_view key);

    // The descriptions registered for the next showing.
    const CPropDb& GetInfoDb() const { return m_InfoDb; }

    // OK: writes the pending value; a value out of range keeps the dialog open.
    void accept() override;
    void done(int result) override;

    CPropDb m_PropDb; // the values being edited

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    template <class Fill>
    void Register(std::string_view section, std::string_view key, std::int32_t type,
                  std::int32_t subType, std::string_view info, Fill fill);
    void CreateControls();
    void PlaceControls();
    void ConnectControls();
    void ApplyLanguage();

    void OnInitDialog();
    void OnSelchangedTree();
    void OnItemexpandedTree(QTreeWidgetItem* item);
    void OnExpandAll();
    void OnCollapsAll();
    void OnChange();
    void OnChangeValue(); // the six notifications that only mark the page as edited
    void OnError();

    void FillTree();
    void AppendKeys(QTreeWidgetItem* parent, std::string_view section, const CPropSet& set);
    int KeyImage(std::string_view section, std::string_view key, int type) const;
    void ShowPage(const CPropInfo& info);
    ValuePage Page();
    void DisableAll();
    bool SaveValue();
    void DoInvalid(const QString& text);
    void CenterControl(QWidget& wnd, int nOffset);
    void ShowColor();
    const CPropInfo* CurrentInfo() const;
    const CPropInfo* FindInfo(std::string_view section, std::string_view key) const;

    int m_nLanguage = 0;
    std::string m_strRootText = "Root";
    std::string m_strDlgTitle = "Settings";

    // Controls, owned by the dialog as their parent.
    CPathTree* m_PathTree = nullptr;
    QLabel* m_Info = nullptr;
    QComboBox* m_IntCombo = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
    QPushButton* m_ExpandAll = nullptr;
    QPushButton* m_CollapsAll = nullptr;
    QLabel* m_Example = nullptr;
    QTreeWidget* m_Tree = nullptr;
    CLimitedTextEdit* m_TextValue = nullptr;
    QGroupBox* m_Parameter = nullptr;
    QLineEdit* m_IntValue = nullptr;
    QLabel* m_Range = nullptr;
    QLineEdit* m_FloatValue = nullptr;
    QPushButton* m_Change = nullptr;
    QPushButton* m_True = nullptr;
    QPushButton* m_False = nullptr;
    QButtonGroup* m_YesNo = nullptr;

    CPropDb m_InfoDb; // the descriptions, as object values
    std::string m_strSection;
    std::string m_strKey;
    std::uint32_t m_Color; // painted behind the sample field, 0x00BBGGRR
    QRect m_rcPage;        // where page controls are centred, in dialog coordinates
    CImageList m_ImageList;
    LOGFONT m_Font;                        // the sample field's font
    QTreeWidgetItem* m_hCurItem = nullptr; // item of the current page; the tree owns it
    bool m_bModified = false;
    // Whether the current page shows a description; it is looked up by section and key
    // each time, so that a description replaced meanwhile is never used after its deletion.
    bool m_hasCurInfo = false;
};

} // namespace kestrum
