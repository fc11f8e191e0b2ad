#include "render/looksettings.h"

#include "model/storedkeys.h"
#include "render/lookscaling.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace orvo {

namespace {

using kestrum::CPropDb;

// Every look key lives in the default section.
constexpr std::string_view kSection;
// DvdColors is read without being created and written only once it was on: files of a look
// without the DVD colours stay as they were before the mode.

// Reads create the key with its default when it is missing, so that the settings file lists
// every look key after the first run.
constexpr bool kCreate = true;

std::int32_t ReadInt(CPropDb& db, std::string_view key, std::int32_t def) {
    return db.ReadPropInt(kSection, key, def, kCreate);
}

// The window's controls cannot show a value outside the look's ranges: a hand-edited file is
// clamped here, so that the preview, a run and orvo --batch all draw with the value shown.
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
    const std::uint8_t* data = db.ReadPropBlob(kSection, keys::kFont);
    if (data == nullptr) {
        return DefaultFont();
    }
    return LOGFONT::FromBytes({data, db.GetBlobSize(kSection, keys::kFont)})
        .value_or(DefaultFont());
}

// The keys that came after the first look: read without being created and written only once
// they differ from their defaults or are stored, so that the files of a look without them
// stay as they were.
int ReadLater(CPropDb& db, std::string_view key, int def, int low, int high) {
    return std::clamp(db.ReadPropInt(kSection, key, def, !kCreate), low, high);
}

bool ReadLaterBool(CPropDb& db, std::string_view key) {
    return db.ReadPropBool(kSection, key, 0, !kCreate) != 0;
}

void WriteLater(CPropDb& db, std::string_view key, int value, int def) {
    if (value != def || db.IsKey(kSection, key)) {
        db.WritePropInt(kSection, key, value);
    }
}

void WriteLaterBool(CPropDb& db, std::string_view key, bool value) {
    if (value || db.IsKey(kSection, key)) {
        db.WritePropBool(kSection, key, value ? 1 : 0);
    }
}

std::uint8_t QualityFor(bool antiAlias) {
    return antiAlias ? LOGFONT::kAntialiasedQuality : LOGFONT::kNonAntialiasedQuality;
}

} // namespace

// Only exactly 1 means PAL; any other stored number means NTSC.
bool ReadStoredPal(CPropDb& db, bool create) {
    return db.ReadPropBool(kSection, keys::kPal, 1, create) == 1;
}

void LoadLookSettings(CPropDb& db, RenderSettings& settings, std::string& lastPath) {
    const RenderSettings defaults;
    settings.Font = ReadFont(db);
    // The margins' range is the canvas's, known once the resolution is read.
    settings.VerticalOffset = ReadInt(db, keys::kVerticalOffset, defaults.VerticalOffset);
    settings.LeftMargin = ReadInt(db, keys::kLeftMargin, defaults.LeftMargin);
    settings.RightMargin = ReadInt(db, keys::kRightMargin, defaults.RightMargin);
    // The stored quality byte is ignored: AntiAlias decides it.
    settings.AntiAlias = ReadBool(db, keys::kAntiAlias, defaults.AntiAlias);
    settings.Font.quality = QualityFor(settings.AntiAlias);
    settings.Box = ReadBool(db, keys::kBox, defaults.Box);
    settings.BkgColor = ReadColour(db, keys::kBkgColor, defaults.BkgColor);
    settings.TextBkgColor = ReadColour(db, keys::kTextBkgColor, defaults.TextBkgColor);
    settings.TextColor = ReadColour(db, keys::kTextColor, defaults.TextColor);
    settings.Align = ReadClamped(db, keys::kAlign, defaults.Align, kMaxAlign);
    settings.PAL = ReadStoredPal(db, kCreate);
    lastPath = db.ReadPropString(kSection, keys::kLastPath, std::string(), kCreate);
    // Box and outline exclude each other; a file holding both loads with the outline only.
    const bool outline = ReadInt(db, keys::kOutline, defaults.Outline) != 0;
    settings.Outline = outline ? 1 : 0;
    if (outline) {
        settings.Box = false;
    }
    settings.ExtendBlanks = ReadBool(db, keys::kExtendBlanks, defaults.ExtendBlanks);
    settings.OutlineSpacing =
        ReadClamped(db, keys::kOutlineSpacing, defaults.OutlineSpacing, kMaxOutlineSpacing);
    settings.DvdColors = ReadLaterBool(db, keys::kDvdColors);
    settings.OutlineWidth = ReadLater(db, keys::kOutlineWidth, defaults.OutlineWidth,
                                      kMinOutlineWidth, kMaxOutlineWidth);
    settings.ShadowOffset =
        ReadLater(db, keys::kShadowOffset, defaults.ShadowOffset, 0, kMaxShadowOffset);
    settings.BalancedBreaks = ReadLaterBool(db, keys::kBalancedBreaks);
    settings.Anamorphic = ReadLaterBool(db, keys::kAnamorphic);
    const int lines = ReadLater(db, keys::kResolution, 0, 0, 1080);
    settings.Resolution = lines == 720 || lines == 1080 ? lines : 0;
    const int maxMargin = MaxMargin(CanvasOf(settings));
    for (int* margin : {&settings.VerticalOffset, &settings.LeftMargin, &settings.RightMargin}) {
        *margin = std::clamp(*margin, 0, maxMargin);
    }
}

void SaveLookSettings(CPropDb& db, const RenderSettings& settings, const std::string& lastPath) {
    db.WritePropInt(kSection, keys::kVerticalOffset, settings.VerticalOffset);
    db.WritePropInt(kSection, keys::kLeftMargin, settings.LeftMargin);
    db.WritePropInt(kSection, keys::kRightMargin, settings.RightMargin);
    db.WritePropBool(kSection, keys::kAntiAlias, settings.AntiAlias ? 1 : 0);
    db.WritePropBool(kSection, keys::kBox, settings.Box ? 1 : 0);
    WriteColour(db, keys::kBkgColor, settings.BkgColor);
    WriteColour(db, keys::kTextBkgColor, settings.TextBkgColor);
    WriteColour(db, keys::kTextColor, settings.TextColor);
    db.WritePropInt(kSection, keys::kAlign, settings.Align);
    db.WritePropBool(kSection, keys::kPal, settings.PAL ? 1 : 0);
    // The stored description is that of the main font, whose quality follows AntiAlias.
    LOGFONT font = settings.Font;
    font.quality = QualityFor(settings.AntiAlias);
    db.WritePropBlob(kSection, keys::kFont, font.ToBytes());
    db.WritePropString(kSection, keys::kLastPath, lastPath);
    db.WritePropInt(kSection, keys::kOutline, settings.Outline);
    db.WritePropBool(kSection, keys::kExtendBlanks, settings.ExtendBlanks ? 1 : 0);
    db.WritePropInt(kSection, keys::kOutlineSpacing, settings.OutlineSpacing);
    WriteLaterBool(db, keys::kDvdColors, settings.DvdColors);
    const RenderSettings defaults;
    WriteLater(db, keys::kOutlineWidth, settings.OutlineWidth, defaults.OutlineWidth);
    WriteLater(db, keys::kShadowOffset, settings.ShadowOffset, defaults.ShadowOffset);
    WriteLaterBool(db, keys::kBalancedBreaks, settings.BalancedBreaks);
    WriteLaterBool(db, keys::kAnamorphic, settings.Anamorphic);
    WriteLater(db, keys::kResolution, settings.Resolution, defaults.Resolution);
}

} // namespace orvo
