#pragma once

#include "input/dialoguetext.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace orvo {

// What the header of a script says of its events: the styles by name (their alignments as
// numpad codes, SSA's converted), and the size its positions are given in. The subtitle
// decoders give every kind of file such a header; one of their own for the kinds that have
// none.
struct ScriptHeader {
    std::map<std::string, DialogueStyle, std::less<>> styles;
    ScriptSize size;

    // The style of an event: its own by name, else "Default", else plain at the bottom.
    const DialogueStyle& StyleOf(std::string_view name) const;
};

// Reads "[Script Info]" (PlayResX, PlayResY, ScriptType) and the styles of "[V4+ Styles]" or
// "[V4 Styles]" by their "Format" line (Name, Bold, Italic, Underline, Alignment); anything it
// does not know it leaves.
ScriptHeader ParseScriptHeader(std::string_view header);

} // namespace orvo
