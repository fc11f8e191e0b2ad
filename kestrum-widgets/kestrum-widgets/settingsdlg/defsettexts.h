#pragma once

namespace kestrum {

// The settings dialog's texts in one language, UTF-8. Format texts take two %d or two %4.4f.
struct DefSetTexts {
    const char* yes;
    const char* no;
    const char* change;
    const char* expandAll;
    const char* collapsAll;
    const char* cancel;
    const char* fileFilter;
    const char* fileTitle;
    const char* errorCaption;
    const char* intError;
    const char* floatError;
};

// Language 1 is German; every other code gets the English texts.
const DefSetTexts& DefSetTextsFor(int language);

} // namespace kestrum
