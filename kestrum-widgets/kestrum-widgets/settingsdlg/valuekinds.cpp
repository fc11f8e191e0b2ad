#include "kestrum-widgets/settingsdlg/valuekinds.h"

#include "kestrum-widgets/pathtree/cpathtree.h"
#include "kestrum-widgets/settingsdlg/cdefsetdlg.h"
#include "kestrum-widgets/settingsdlg/climitedtextedit.h"
#include "kestrum-widgets/settingsdlg/defsettexts.h"
#include "kestrum-widgets/settingsdlg/fieldtext.h"
#include <kestrum-gui/colorref.h>
#include <kestrum-gui/displaytext.h>

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrum {

namespace {

constexpr int kChangeOffset = 42;
constexpr int kColorImage = 8;
constexpr int kFontImage = 9;

std::int32_t ClampToInt(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool IsSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

// Filling ---------------------------------------------------------------------------------

std::int32_t FillInt(ValuePage& page, const CPropInfo& info) {
    page.range.setText(QString::asprintf("(%d - %d)", info.m_nMin, info.m_nMax));
    return page.db.ReadPropInt(page.section, page.key, 0, true);
}

void FillIntRange(ValuePage& page, const CPropInfo& info) {
    page.intValue.setText(QString::number(FillInt(page, info)));
}

void FillIntCombo(ValuePage& page, const CPropInfo& info) {
    const std::int32_t value = FillInt(page, info);
    for (const std::string& text : info.m_ComboList) {
        page.intCombo.addItem(DecodeText(text));
    }
    page.intCombo.setCurrentIndex(value);
}

void FillIntColor(ValuePage& page, const CPropInfo& info) {
    const std::int32_t value = FillInt(page, info);
    page.color = static_cast<std::uint32_t>(value);
    page.showColor();
    page.intValue.setText(QString::number(value));
}

void FillFloat(ValuePage& page, const CPropInfo& info) {
    page.range.setText(QString::asprintf("(%4.4f - %4.4f)", static_cast<double>(info.m_fMin),
                                         static_cast<double>(info.m_fMax)));
    const float value = page.db.ReadPropFloat(page.section, page.key, 0.0F, true);
    page.floatValue.setText(QString::asprintf("%4.4f", static_cast<double>(value)));
}

const std::string& FillString(ValuePage& page, const CPropInfo& info) {
    page.range.setText(QString::asprintf("(Max.%d ch.)", info.m_nMaxChars));
    // A limit of 0 lifts the limit, as it does for the edit fields of the system the format
    // comes from, so such a value can still be typed.
    page.textValue.SetMaxChars(info.m_nMaxChars != 0 ? info.m_nMaxChars : -1);
    const std::string& text = page.db.ReadPropString(page.section, page.key, {}, true);
    page.textValue.SetText(FieldText(text));
    return text;
}

void FillText(ValuePage& page, const CPropInfo& info) {
    FillString(page, info);
}

void FillPath(ValuePage& page, const CPropInfo& info) {
    page.pathTree.ExpandPath(FillString(page, info), true);
}

void FillBool(ValuePage& page, const CPropInfo&) {
    QPushButton& button =
        page.db.ReadPropBool(page.section, page.key, 0, true) != 0 ? page.yes : page.no;
    button.setChecked(true);
}

void ShowFont(ValuePage& page) {
    page.example.setFont(page.font.ToQFont());
}

void FillFont(ValuePage& page, const CPropInfo&) {
    const std::uint8_t* blob = page.db.ReadPropBlob(page.section, page.key);
    const std::uint32_t size = page.db.GetBlobSize(page.section, page.key);
    page.font = blob != nullptr ? LOGFONT::FromBytes({blob, size}).value_or(LOGFONT{}) : LOGFONT{};
    ShowFont(page);
    page.example.setText(QStringLiteral("Test Text"));
}

void FillNothing(ValuePage&, const CPropInfo&) {}

// Showing ---------------------------------------------------------------------------------

void ShowIntRange(ValuePage& page) {
    page.place(page.intValue, 0);
    page.range.show();
}

void ShowIntCombo(ValuePage& page) {
    page.place(page.intCombo, 0);
}

void ShowSample(ValuePage& page) {
    page.place(page.example, 0);
    page.place(page.change, kChangeOffset);
}

void ShowFloat(ValuePage& page) {
    page.place(page.floatValue, 0);
    page.range.show();
}

void ShowText(ValuePage& page) {
    page.place(page.textValue, 0);
    page.range.show();
}

void ShowFile(ValuePage& page) {
    page.place(page.textValue, 0);
    page.textValue.setReadOnly(true);
    page.place(page.change, kChangeOffset);
}

void ShowPath(ValuePage& page) {
    page.place(page.pathTree, 5);
}

void ShowBool(ValuePage& page) {
    page.place(page.yes, -25);
    page.place(page.no, 25);
}

void ShowChangeOnly(ValuePage& page) {
    page.place(page.change, kChangeOffset);
}

// Saving ----------------------------------------------------------------------------------

bool SaveIntRange(ValuePage& page, const CPropInfo* info) {
    const std::int64_t value = ReadLeadingInt(page.intValue.text());
    if (info != nullptr && (value < info->m_nMin || value > info->m_nMax)) {
        return false;
    }
    page.db.WritePropInt(page.section, page.key, ClampToInt(value));
    return true;
}

bool SaveIntCombo(ValuePage& page, const CPropInfo*) {
    page.db.WritePropInt(page.section, page.key, page.intCombo.currentIndex());
    return true;
}

bool SaveIntColor(ValuePage& page, const CPropInfo*) {
    page.db.WritePropInt(page.section, page.key, ClampToInt(ReadLeadingInt(page.intValue.text())));
    return true;
}

bool SaveFloat(ValuePage& page, const CPropInfo* info) {
    const auto value = static_cast<float>(ReadLeadingFloat(page.floatValue.text()));
    // "nan" reads as a number but lies in no range.
    if (info != nullptr && (std::isnan(value) || value < info->m_fMin || value > info->m_fMax)) {
        return false;
    }
    page.db.WritePropFloat(page.section, page.key, value);
    return true;
}

bool SaveText(ValuePage& page, const CPropInfo*) {
    const std::string previous = page.db.GetType(page.section, page.key) == kPropString
                                     ? page.db.ReadPropString(page.section, page.key, {}, false)
                                     : std::string();
    page.db.WritePropString(page.section, page.key,
                            StoredText(page.textValue.toPlainText(), previous));
    return true;
}

bool SavePath(ValuePage& page, const CPropInfo* info) {
    if (const std::string path = page.pathTree.GetCurrentPath(); !path.empty()) {
        page.textValue.SetText(DecodeText(path));
    }
    return SaveText(page, info);
}

bool SaveBool(ValuePage& page, const CPropInfo*) {
    page.db.WritePropBool(page.section, page.key, page.yes.isChecked() ? 1 : 0);
    return true;
}

bool SaveFont(ValuePage& page, const CPropInfo*) {
    page.db.WritePropBlob(page.section, page.key, page.font.ToBytes());
    return true;
}

// The window of a raw value does its own storing.
bool SaveNothing(ValuePage&, const CPropInfo*) {
    return true;
}

QString IntError(const DefSetTexts& texts, const CPropInfo& info) {
    return QString::asprintf(texts.intError, info.m_nMin, info.m_nMax);
}

QString FloatError(const DefSetTexts& texts, const CPropInfo& info) {
    return QString::asprintf(texts.floatError, static_cast<double>(info.m_fMin),
                             static_cast<double>(info.m_fMax));
}

// Choosing --------------------------------------------------------------------------------

void ChooseColor(ValuePage& page, const CPropInfo&) {
    QColorDialog dialog(ToQColor(page.color), &page.dialog);
    dialog.setObjectName(QStringLiteral("colorDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    page.color = ToColorRef(dialog.selectedColor());
    page.intValue.setText(QString::number(static_cast<std::int32_t>(page.color)));
    page.showColor();
}

void ChooseFont(ValuePage& page, const CPropInfo&) {
    QFontDialog dialog(page.font.ToQFont(), &page.dialog);
    dialog.setObjectName(QStringLiteral("fontDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    page.font = page.font.WithFont(dialog.selectedFont());
    ShowFont(page);
    page.modified = true;
}

void ChooseFile(ValuePage& page, const CPropInfo&) {
    const DefSetTexts& texts = DefSetTextsFor(page.language);
    QFileDialog dialog(&page.dialog);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(texts.fileFilter));
    const QString current = page.textValue.toPlainText();
    const auto separator = std::find_if(current.rbegin(), current.rend(), IsSeparator);
    if (separator != current.rend()) {
        const qsizetype folderLength = current.rend() - separator;
        dialog.setDirectory(current.left(folderLength));
        dialog.selectFile(current.mid(folderLength));
        dialog.setWindowTitle(QString::fromUtf8(texts.fileTitle));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    page.textValue.SetText(dialog.selectedFiles().front());
    page.modified = true;
}

void SendEditData(ValuePage& page, const CPropInfo& info) {
    // A window deleted since its registration has left a null pointer behind: nothing to tell.
    if (info.m_pWnd.isNull()) {
        return;
    }
    CDefSetEditDataEvent event(page.section, page.key);
    QCoreApplication::sendEvent(info.m_pWnd.data(), &event);
}

constexpr int kByType = ValueKind::kImageOfStoredType;

constexpr ValueKind kKinds[] = {
    {kPropInt, kInfoRange, "Integer", kByType, FillIntRange, ShowIntRange, SaveIntRange, IntError,
     nullptr},
    {kPropInt, kInfoCombo, "Integer", kByType, FillIntCombo, ShowIntCombo, SaveIntCombo, nullptr,
     nullptr},
    {kPropInt, kInfoColor, "Color", kColorImage, FillIntColor, ShowSample, SaveIntColor, nullptr,
     ChooseColor},
    {kPropFloat, kInfoRange, "Float", kByType, FillFloat, ShowFloat, SaveFloat, FloatError,
     nullptr},
    {kPropString, kInfoRange, "Text", kByType, FillText, ShowText, SaveText, nullptr, nullptr},
    {kPropString, kInfoFile, "Text", kByType, FillText, ShowFile, SaveText, nullptr, ChooseFile},
    {kPropString, kInfoPath, "Text", kByType, FillPath, ShowPath, SavePath, nullptr, nullptr},
    {kPropBool, kInfoRange, "Boolean", kByType, FillBool, ShowBool, SaveBool, nullptr, nullptr},
    {kPropBlob, kInfoFont, "Font", kFontImage, FillFont, ShowSample, SaveFont, nullptr, ChooseFont},
    {kPropBlob, kInfoRaw, "Data", kByType, FillNothing, ShowChangeOnly, SaveNothing, nullptr,
     SendEditData},
};

} // namespace

std::span<const ValueKind> ValueKinds() {
    return kKinds;
}

const ValueKind* FindValueKind(std::int32_t type, std::int32_t subType) {
    const auto* found =
        std::find_if(std::begin(kKinds), std::end(kKinds), [&](const ValueKind& kind) {
            return kind.type == type && kind.subType == subType;
        });
    return found != std::end(kKinds) ? found : nullptr;
}

const ValueKind* FindValueKind(const CPropInfo& info) {
    return FindValueKind(info.m_nType, info.m_nSubType);
}

} // namespace kestrum
