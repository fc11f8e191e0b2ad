#pragma once

#include "model/subtitle.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// The style an event begins in: what its script's style of that name says.
struct DialogueStyle {
    Emphasis emphasis = Emphasis::None;
    // The numpad code of the script (1-3 bottom, 4-6 middle, 7-9 top; left, centre, right).
    int alignment = 2;

    bool operator==(const DialogueStyle&) const = default;
};

// The size in which a script gives its positions ("PlayResX", "PlayResY").
struct ScriptSize {
    double width = 384;
    double height = 288;
};

// A run of a line of an event, its text in UTF-8.
struct StyledRun {
    std::string text;
    Emphasis emphasis = Emphasis::None;

    bool operator==(const StyledRun&) const = default;
};
using StyledLine = std::vector<StyledRun>;

// An event's text as its markup says: its lines of runs, and where it stands.
struct StyledDialogue {
    std::vector<StyledLine> lines;
    Placement placement;
};

// The text of a subtitle event in dialogue markup, the form in which the subtitle decoders hand
// back every kind of file (they turn <i>, <b> and <u> into the overrides below). Override
// blocks "{...}" are dropped: of their tags, \i, \b and \u set the emphasis of the text after
// them, \r goes back to the style's, \an and \a set the placement, and \pos the position,
// scaled from size. A dropped block between two blanks leaves one. "\N" and "\n" break the
// line, "\h" is a blank, "\{", "\}" and "\\" are the characters themselves. A tab becomes a
// blank, since a tab would split the stored line. Blank lines before the first and after the
// last line with text are dropped: an event without text gives no line at all.
StyledDialogue ParseDialogue(std::string_view dialogue, const DialogueStyle& style = {},
                             const ScriptSize& size = {});

// The lines alone, as a list would hold them.
std::vector<std::string> PlainLines(std::string_view dialogue);

// The placement of an alignment code: the numpad codes of ASS, or with legacy the codes of SSA
// (1-3 bottom, 5-7 top, 9-11 middle). The bottom centre leaves the look's alignment.
Placement PlacementOf(int alignment, bool legacy = false);

// The text of a dialogue event as the decoders give it, "ReadOrder,Layer,Style,Name,MarginL,
// MarginR,MarginV,Effect,Text": everything after the eighth comma; the whole when it has fewer.
std::string_view DialogueText(std::string_view event);

// Its style's name: the third field.
std::string_view DialogueStyleName(std::string_view event);

} // namespace orvo
