#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrum {

// The integer at the start of text, as the C library's atoi reads it (blanks, a sign, digits;
// 0 when there are none), but never overflowing: far too long numbers saturate, so that they
// are refused by a range instead of wrapping into it.
std::int64_t ReadLeadingInt(const QString& text);

// The number at the start of text, as atof reads it in the C locale whatever the user's
// locale is; 0 when there is none.
double ReadLeadingFloat(const QString& text);

// A stored text as an edit field shows it: decoded, with CR LF as a line break.
QString FieldText(std::string_view stored);

// The bytes to store for a field's text: line breaks as the previous value wrote them (CR LF
// unless it used bare LF), encoded as the previous value was (kestrum-gui/displaytext.h).
std::string StoredText(const QString& field, std::string_view previous);

} // namespace kestrum
