#pragma once

#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

// The program's fixed texts, shared by the window and the command line.
namespace orvo::texts {

// The script header offered when none is stored.
constexpr const char* kDefaultHeader =
    "st_format 2\r\n\r\ndirectory\r\n\r\nSP_NUMBER\tSTART\tEND\tFILENAME";
// What the preview shows when no run is drawing.
constexpr const char* kTestText = "This is a test subtitle\r\ncovering two lines.";

constexpr const char* kErrorReadingLine = "Error reading line %d !\r\nLoading aborted!";
constexpr const char* kErrorReadingFile = "Error reading file";
constexpr const char* kSubtitlesLoaded = "%d Subtitles loaded !";
constexpr const char* kNoFileLoaded = "No file loaded !";
constexpr const char* kEscapeHint = "         Press Escape to cancel!";
constexpr const char* kContinueQuestion = "Not all images are generated !\r\n\r\nContinue ?";
constexpr const char* kTerminatedByUser = "Generation terminated by user !";
constexpr const char* kFinishedNoErrors = "Finished! No errors found.";
// %s is what the output type writes of a subtitle: "bitmaps", "images" or "subtitles".
constexpr const char* kLineBreaksFound = "Additional line breaks in %d %s found:";
constexpr const char* kDefaultImageName = "OutputImg";
// Why a file of the run was not written over the list.
constexpr const char* kIsTheList = "it is the subtitle list";
constexpr const char* kDvdColoursClash =
    "The DVD colours need different colours for text, text background and background.";

// What a run found or could not do; each a count.
constexpr const char* kTextCutOff = "Text cut off in %d %s:";
constexpr const char* kFinishedLineBreaks = "Finished! Additional line breaks in %d %s found.";
constexpr const char* kFinishedTextCutOff = "Finished! Text cut off in %d %s.";
constexpr const char* kFinishedNotWritten = "Finished! %d files could not be written.";
constexpr const char* kImagesGenerated = "%d of %d images generated; the script file lists them.";
constexpr const char* kSubtitlesCoded = "%d of %d subtitles coded; the index lists them.";
constexpr const char* kSubtitlesInStream = "%d of %d subtitles coded; the stream holds them.";
constexpr const char* kPicturesListed = "%d of %d images generated; the control file lists them.";
constexpr const char* kMoreNotWritten = "... and %d more files could not be written";
constexpr const char* kTimecodeWarnings = "Timecode warnings in %d subtitles:";
constexpr const char* kFinishedTimecodeWarnings = "Finished! Timecode warnings in %d subtitles.";
constexpr const char* kOtherListings = "Images that %d other lists name were replaced:";
constexpr const char* kFinishedOtherListings =
    "Finished! Images that %d other lists name were replaced.";
constexpr const char* kFinishedReaderWarnings = "Finished! Reading the file gave %d warnings.";

// One of the texts above with its numbers (and nouns) filled in.
template <typename... Numbers>
std::string Format(const char* format, Numbers... numbers) {
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), format, numbers...);
    return text.data();
}

// "a, b or c": the words with commas between them and last before the last one.
inline std::string Listed(std::span<const std::string_view> words, std::string_view last) {
    std::string text;
    for (std::size_t at = 0; at < words.size(); ++at) {
        if (at > 0) {
            text += at + 1 == words.size() ? last : ", ";
        }
        text += words[at];
    }
    return text;
}

} // namespace orvo::texts
