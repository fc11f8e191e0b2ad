#pragma once

#include "lookoptions.h"

#include "output/outputtype.h"
#include "time/framerate.h"

#include <QCommandLineParser>

#include <optional>
#include <string>
#include <vector>

namespace orvo {

// What `orvo --batch LIST` or `orvo --convert FILE` was asked for. Paths and texts hold the
// bytes as typed.
struct BatchOptions {
    std::string listPath; // the subtitle file of either
    std::optional<FrameRate> frameRate;
    std::optional<std::string> outputPath; // the list --convert writes; standard output without
    std::optional<std::string> settingsFile;
    bool ignoreListConfig = false;
    bool testMode = false;
    std::optional<int> startIndex;
    std::optional<std::string> imgName;
    std::optional<std::string> header;
    bool dvdColors = false; // switches the look's DVD colours on for this run and the list
    std::optional<OutputType> outputType;
    std::optional<std::string> language; // of a VobSub index, stored with the list
    bool forced = false;                 // every subtitle of the run marked forced
    std::optional<int> jobs;             // subtitles drawn at once; one per core without
    LookOptions look;                    // replaces the stored look's values for the run
};

enum class CommandLineRequest { Batch, Convert, Window, Help, Version, UsageError };

struct ParsedCommandLine {
    CommandLineRequest request = CommandLineRequest::UsageError;
    BatchOptions options;
    std::string error; // why a usage error is one
};

class CommandLine {
public:
    CommandLine();

    // arguments: the whole argv, the program's name first.
    ParsedCommandLine Parse(const std::vector<std::string>& arguments);

    // Qt's own texts; both end the program.
    [[noreturn]] void ShowHelp() { m_parser.showHelp(0); }
    [[noreturn]] void ShowVersion() { m_parser.showVersion(); }

private:
    QCommandLineParser m_parser;
};

} // namespace orvo
