#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// The plain text lines of a subtitle event in dialogue markup, the form in which the subtitle
// decoders hand back every kind of file: override blocks "{...}" dropped, "\N" and "\n" break
// the line, "\h" is a blank, "\{", "\}" and "\\" are the characters themselves. A tab becomes
// a blank, since a tab would split the stored line. Blank lines before the first and after the
// last line with text are dropped: an event without text gives no line at all.
std::vector<std::string> PlainLines(std::string_view dialogue);

// The text of a dialogue event as the decoders give it, "ReadOrder,Layer,Style,Name,MarginL,
// MarginR,MarginV,Effect,Text": everything after the eighth comma; the whole when it has fewer.
std::string_view DialogueText(std::string_view event);

} // namespace orvo
