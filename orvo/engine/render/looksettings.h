#pragma once

#include "model/rendersettings.h"

#include <kestrum/propstore/cpropdb.h>

#include <string>

namespace orvo {

// Whether the stored picture size is PAL: only exactly 1 is, any other stored number is NTSC.
// create stores the default when the key is missing, as reading the whole look does.
bool ReadStoredPal(kestrum::CPropDb& db, bool create);

// Reads every look key of the default section into settings and lastPath, in the stored
// order, creating missing keys with their defaults ("Font", and the keys that came later:
// "DvdColors", "OutlineWidth", "ShadowOffset", "BalancedBreaks", "Anamorphic", excepted). Outline
// wins over Box; the margins are brought into the range of the canvas read (MaxMargin).
// The fonts are the renderer's: call renderer.RebuildFonts(settings) after loading.
void LoadLookSettings(kestrum::CPropDb& db, RenderSettings& settings, std::string& lastPath);

// Writes every look key (the later ones once they differ from their defaults or are stored);
// the font's quality byte follows AntiAlias.
void SaveLookSettings(kestrum::CPropDb& db, const RenderSettings& settings,
                      const std::string& lastPath);

} // namespace orvo
