#include "render/looksettings.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace orvo {

namespace {

using kestrum::CPropDb;

// Every look key lives in the default section.
constexpr std::string_view kSection;
constexpr std::string_view kFontKey = "Font";
// Read without being created and written only once it was on: files of a look without the DVD
// colours stay as they were before the mode.
constexpr std::string_view kDvdColorsKey = "DvdColors";

// Reads create the key with its default when it is missing, so that the settings file lists
// every look key after the first run.
constexpr bool kCreate = true;

std::int32_t ReadInt(CPropDb& db, std::string_view key, std::int32_t def) {
    return db.ReadPropInt(kSection, key, def, kCreate);
}

// The window's controls cannot show a value outside these ranges: a hand-edited file is
// clamped here, so that the preview, a run and orvo --batch all draw with the value shown.
constexpr int kMaxDistance = 150; // margins and offset, pixels
constexpr int kMaxOutlineSpacing = 5;
constexpr int kMaxAlign = 2;

std::int32_t ReadClamped(CPropDb& db, std::string_view key, std::int32_t def, int maximum) {
    return std::clamp(ReadInt(db, key, def), 0, maximum);
}

bool ReadBool(CPropDb& db, std::string_view key, bool def) {
    return db.ReadPropBool(kSection, key, def ? 1 : 0, kCreate) != 0;
}

COLORREF ReadColour(CPropDb& db, std::string_view key, COLORREF def) {
    return static_cast<COLORREF>(ReadInt(db, key, static_cast<std::int32_t>(def)));
}

void WriteColour(CPropDb& db, std::string_view key, COLORREF colour) {
    db.WritePropInt(kSection, key, static_cast<std::int32_t>(colour));
}

// A blob of any other size than one record is not a font description: the default stands.
LOGFONT ReadFont(const CPropDb& db) {
    const std::uint8_t* data = db.ReadPropBlob(kSection, kFontKey);
    if (data == nullptr) {
        return DefaultFont();
    }
    return LOGFONT::FromBytes({data, db.GetBlobSize(kSection, kFontKey)}).value_or(DefaultFont());
}

std::uint8_t QualityFor(bool antiAlias) {
    return antiAlias ? LOGFONT::kAntialiasedQuality : LOGFONT::kNonAntialiasedQuality;
}

} // namespace

void LoadLookSettings(CPropDb& db, RenderSettings& settings, std::string& lastPath) {
    const RenderSettings defaults;
    settings.Font = ReadFont(db);
    settings.VerticalOffset =
        ReadClamped(db, "VerticalOffset", defaults.VerticalOffset, kMaxDistance);
    settings.LeftMargin = ReadClamped(db, "LeftMargin", defaults.LeftMargin, kMaxDistance);
    settings.RightMargin = ReadClamped(db, "RightMargin", defaults.RightMargin, kMaxDistance);
    // The stored quality byte is ignored: AntiAlias decides it.
    settings.AntiAlias = ReadBool(db, "AntiAlias", defaults.AntiAlias);
    settings.Font.quality = QualityFor(settings.AntiAlias);
    settings.Box = ReadBool(db, "Box", defaults.Box);
    settings.BkgColor = ReadColour(db, "BkgColor", defaults.BkgColor);
    settings.TextBkgColor = ReadColour(db, "TextBkgColor", defaults.TextBkgColor);
    settings.TextColor = ReadColour(db, "TextColor", defaults.TextColor);
    settings.Align = ReadClamped(db, "Align", defaults.Align, kMaxAlign);
    // Only exactly 1 means PAL; any other stored number means NTSC.
    settings.PAL = db.ReadPropBool(kSection, "PAL", 1, kCreate) == 1;
    lastPath = db.ReadPropString(kSection, "LastPath", std::string(), kCreate);
    // Box and outline exclude each other; a file holding both loads with the outline only.
    const bool outline = ReadInt(db, "Outline", defaults.Outline) != 0;
    settings.Outline = outline ? 1 : 0;
    if (outline) {
        settings.Box = false;
    }
    settings.ExtendBlanks = ReadBool(db, "ExtendBlanks", defaults.ExtendBlanks);
    settings.OutlineSpacing =
        ReadClamped(db, "OutlineSpacing", defaults.OutlineSpacing, kMaxOutlineSpacing);
    settings.DvdColors = db.ReadPropBool(kSection, kDvdColorsKey, 0, !kCreate) != 0;
}

void SaveLookSettings(CPropDb& db, const RenderSettings& settings, const std::string& lastPath) {
    db.WritePropInt(kSection, "VerticalOffset", settings.VerticalOffset);
    db.WritePropInt(kSection, "LeftMargin", settings.LeftMargin);
    db.WritePropInt(kSection, "RightMargin", settings.RightMargin);
    db.WritePropBool(kSection, "AntiAlias", settings.AntiAlias ? 1 : 0);
    db.WritePropBool(kSection, "Box", settings.Box ? 1 : 0);
    WriteColour(db, "BkgColor", settings.BkgColor);
    WriteColour(db, "TextBkgColor", settings.TextBkgColor);
    WriteColour(db, "TextColor", settings.TextColor);
    db.WritePropInt(kSection, "Align", settings.Align);
    db.WritePropBool(kSection, "PAL", settings.PAL ? 1 : 0);
    // The stored description is that of the main font, whose quality follows AntiAlias.
    LOGFONT font = settings.Font;
    font.quality = QualityFor(settings.AntiAlias);
    db.WritePropBlob(kSection, kFontKey, font.ToBytes());
    db.WritePropString(kSection, "LastPath", lastPath);
    db.WritePropInt(kSection, "Outline", settings.Outline);
    db.WritePropBool(kSection, "ExtendBlanks", settings.ExtendBlanks ? 1 : 0);
    db.WritePropInt(kSection, "OutlineSpacing", settings.OutlineSpacing);
    if (settings.DvdColors || db.IsKey(kSection, kDvdColorsKey)) {
        db.WritePropBool(kSection, kDvdColorsKey, settings.DvdColors ? 1 : 0);
    }
}

} // namespace orvo
