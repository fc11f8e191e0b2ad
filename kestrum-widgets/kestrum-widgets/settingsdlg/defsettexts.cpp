#include "kestrum-widgets/settingsdlg/defsettexts.h"

namespace kestrum {

namespace {

constexpr int kGerman = 1;

// "*" rather than "*.*": here a file name need not contain a point.
constexpr DefSetTexts kEnglish{
    "Yes",
    "No",
    "Cha&nge...",
    "Expand all",
    "Collaps all",
    "Cancel",
    "All files (*)",
    "Select File",
    "Input error!!",
    "Value out of range (%d - %d)",
    "Value out of range (%4.4f - %4.4f)",
};

constexpr DefSetTexts kGermanTexts{
    "Ja",
    "Nein",
    "\xC3\x84&ndern...",
    "Alle auf",
    "Alle zu",
    "Abbrechen",
    "Alle Dateien (*)",
    "Selektiere Datei",
    "Eingabe Fehler!!",
    "Wert \xC3\xBC"
    "berschreitet Bereich (%d - %d)",
    "Wert \xC3\xBC"
    "berschreitet Bereich (%4.4f - %4.4f)",
};

} // namespace

const DefSetTexts& DefSetTextsFor(int language) {
    return language == kGerman ? kGermanTexts : kEnglish;
}

} // namespace kestrum
