#pragma once

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
constexpr const char* kLineBreaksFound = "Additional line breaks in %d bitmaps found:";
constexpr const char* kDefaultImageName = "OutputImg";

} // namespace orvo::texts
