#pragma once

#include <kestrum/kestrum_widgets_export.h>
#include <kestrum/propstore/cobject.h>
#include <kestrum/propstore/cprop.h>

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrum {

// How a described value is edited (CPropInfo::m_nSubType).
enum PropInfoVariant : std::int32_t {
    kInfoRange = 0, // plain entry within a range or length (int, float, string, bool)
    kInfoCombo = 1, // int: position in m_ComboList
    kInfoColor = 2, // int: a colour 0x00BBGGRR, chosen in a colour dialog
    kInfoFont = 3,  // blob: a 60-byte font description, chosen in a font dialog
    kInfoPath = 4,  // string: a folder, chosen in a path tree
    kInfoFile = 5,  // string: a file, chosen in a file dialog
    kInfoRaw = 6,   // blob: edited by a window of the caller
};

// How the settings dialog edits one value, stored as an object value under the value's own
// section and key in the dialog's description database.
class KESTRUM_WIDGETS_EXPORT CPropInfo : public CObject {
public:
    // Not in the class registry: a file can never create a description.
    static const CRuntimeClass classCPropInfo;

    CPropInfo();
    ~CPropInfo() override;

    const CRuntimeClass& GetRuntimeClass() const override;
    // Descriptions live for one showing of the dialog and are never saved: nothing to write.
    void Serialize(CArchive& ar) override;

    std::int32_t m_nType = kPropInt; // the value type code being described
    std::int32_t m_nMin = 0;
    std::int32_t m_nMax = 0;
    float m_fMin = 0.0F;
    float m_fMax = 0.0F;
    std::int32_t m_nMaxChars = 0;
    // Texts of a choice list in display order; the stored integer is a position in it.
    std::vector<std::string> m_ComboList;
    std::int32_t m_nSubType = kInfoRange;
    std::string m_strInfo; // help text, bytes as stored (UTF-8 or Windows-1252)
    // Borrowed, never owned; becomes null by itself when the window is deleted.
    QPointer<QWidget> m_pWnd;
};

} // namespace kestrum
