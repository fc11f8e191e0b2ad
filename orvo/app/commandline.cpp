#include "commandline.h"

#include "model/texts.h"
#include "output/imagename.h"
#include "output/outputformat.h"
#include "output/vobsub/vobsubwriter.h"
#include "run/generationrun.h"
#include "run/subtitlepipeline.h"

#include <kestrum/util/textnotation.h>

#include <QStringList>

#include <algorithm>
#include <cctype>

namespace orvo {
namespace {

const char* const kBatch = "batch";
const char* const kSettings = "settings";
const char* const kIgnoreListConfig = "ignore-list-config";
const char* const kStartIndex = "start-index";
const char* const kName = "name";
const char* const kHeader = "header";
const char* const kTestMode = "test-mode";
const char* const kFps = "fps";
const char* const kConvert = "convert";
const char* const kOutput = "output";
const char* const kDvdColors = "dvd-colors";
const char* const kOutputType = "output-type";
const char* const kLang = "lang";
const char* const kJobs = "jobs";
const char* const kNtsc = "ntsc";
const char* const kPal = "pal";
const char* const k720p = "720p";
const char* const k1080p = "1080p";
const char* const kForced = "forced";
const char* const kFont = "font";
const char* const kTextColor = "text-color";
const char* const kTextBkgColor = "text-background-color";
const char* const kBkgColor = "background-color";
const char* const kOutline = "outline";
const char* const kShadow = "shadow";
const char* const kBox = "box";
const char* const kMargins = "margins";
const char* const kAlign = "align";
// The options that change the look of a run.
const char* const kLookOptions[] = {kNtsc,      kPal,          k720p,     k1080p,   kFont,
                                    kTextColor, kTextBkgColor, kBkgColor, kOutline, kShadow,
                                    kBox,       kMargins,      kAlign};
// The pictures a run draws on, each by its option.
const std::pair<const char*, const CanvasSpec*> kCanvasOptions[] = {
    {kNtsc, &kNtscCanvas}, {kPal, &kPalCanvas}, {k720p, &k720Canvas}, {k1080p, &k1080Canvas}};

// Latin-1 maps every byte to one character and back, so file names and texts that are not
// valid UTF-8 pass through the parser unchanged.
QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// A number from low to high in decimal digits only: no sign, no spaces.
std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    const bool digitsOnly = std::all_of(text.begin(), text.end(),
                                        [](unsigned char ch) { return std::isdigit(ch) != 0; });
    // The length is checked first so that the conversion cannot overflow.
    if (text.empty() || text.size() > std::to_string(high).size() || !digitsOnly) {
        return std::nullopt;
    }
    const int number = std::stoi(text);
    return number >= low && number <= high ? std::optional(number) : std::nullopt;
}

std::optional<std::string> OptionalValue(const QCommandLineParser& parser, const char* name) {
    return parser.isSet(name) ? std::optional(ToBytes(parser.value(name))) : std::nullopt;
}

// The value of an option that takes a number from low to high: none when the option is not
// given, and false with the message in error for any other text.
bool TakeNumber(const QCommandLineParser& parser, const char* name, const char* what, int low,
                int high, std::optional<int>& value, std::string& error) {
    const auto text = OptionalValue(parser, name);
    if (!text) {
        return true;
    }
    value = ParseNumber(*text, low, high);
    if (!value) {
        error = std::string("Invalid ") + what + " '" + *text + "': give a number from " +
                std::to_string(low) + " to " + std::to_string(high) + ".";
    }
    return value.has_value();
}

// The value of an option that names one of a few choices, found by find: none when the option
// is not given, and false with the message in error for a name that is none of them.
template <class T>
bool TakeChoice(const QCommandLineParser& parser, const char* name, const char* what,
                std::optional<T> (*find)(std::string_view), const std::string& names,
                std::optional<T>& value, std::string& error) {
    const auto text = OptionalValue(parser, name);
    if (!text) {
        return true;
    }
    value = find(*text);
    if (!value) {
        error = std::string("Invalid ") + what + " '" + *text + "': give one of " + names + ".";
    }
    return value.has_value();
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// text broken into lines of at most 90 characters at its blanks, as the rest of the help is.
QString Wrapped(const QString& text) {
    constexpr qsizetype kWidth = 90;
    QString wrapped;
    qsizetype lineStart = 0;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        if (wrapped.size() > lineStart && wrapped.size() - lineStart + 1 + word.size() > kWidth) {
            wrapped += QLatin1Char('\n');
            lineStart = wrapped.size();
        } else if (wrapped.size() > lineStart) {
            wrapped += QLatin1Char(' ');
        }
        wrapped += word;
    }
    return wrapped;
}

// "one bitmap per subtitle and a script file (dvd-1), ..., or an index and its subpictures
// (vobsub)": what each type writes, from the table of types.
QString WhatTheTypesWrite() {
    QStringList types;
    for (const OutputFormat* format : OutputFormats()) {
        types << Text(format->writes) + QStringLiteral(" (") + Text(format->name) +
                     QStringLiteral(")");
    }
    const QString last = types.takeLast();
    return types.join(QStringLiteral(", ")) + QStringLiteral(", or ") + last;
}

// "dvd-1 is the script file and bitmaps; spumux is ...".
QString EachTypeIs() {
    QStringList types;
    for (const OutputFormat* format : OutputFormats()) {
        types << Text(format->name) + QStringLiteral(" is ") + Text(format->help);
    }
    return types.join(QStringLiteral("; "));
}

// The value of an option that parse reads into value: false with the message in error for one
// it refuses.
template <class Value, class Parse>
bool TakeLookValue(const QCommandLineParser& parser, const char* name, Parse parse,
                   std::optional<Value>& value, std::string& error) {
    const std::optional<std::string> text = OptionalValue(parser, name);
    if (!text) {
        return true;
    }
    std::string why;
    value = parse(*text, why);
    if (!value) {
        error = std::string("Invalid --") + name + " '" + *text + "': " + why + ".";
    }
    return value.has_value();
}

// The look's options into look: false with the message in error for a value refused.
bool TakeLookOptions(const QCommandLineParser& parser, LookOptions& look, std::string& error) {
    for (const auto& [name, canvas] : kCanvasOptions) {
        if (!parser.isSet(name)) {
            continue;
        }
        if (look.canvas) {
            error = std::string("--") + look.canvas->name.data() + " and --" + name +
                    " exclude each other.";
            return false;
        }
        look.canvas = *canvas;
    }
    look.box = parser.isSet(kBox);
    for (const auto& [name, colour] :
         {std::pair{kTextColor, &look.textColor}, std::pair{kTextBkgColor, &look.textBkgColor},
          std::pair{kBkgColor, &look.bkgColor}}) {
        bool standard = true;
        const auto parse = [&standard](const std::string& text, std::string& why) {
            return ParseColourOption(text, standard, why);
        };
        if (!TakeLookValue(parser, name, parse, *colour, error)) {
            return false;
        }
        look.otherColours = look.otherColours || !standard;
    }
    const auto width = [](int high) {
        return [high](const std::string& text, std::string& why) -> std::optional<int> {
            const std::optional<int> value = ParseNumber(text, 0, high);
            if (!value) {
                why = "give 0-" + std::to_string(high);
            }
            return value;
        };
    };
    if (!TakeLookValue(parser, kFont, ParseFontOption, look.font, error) ||
        !TakeLookValue(parser, kOutline, width(4), look.outline, error) ||
        !TakeLookValue(parser, kShadow, width(4), look.shadow, error) ||
        !TakeLookValue(parser, kMargins, ParseMarginsOption, look.margins, error) ||
        !TakeLookValue(parser, kAlign, ParseAlignOption, look.align, error)) {
        return false;
    }
    if (look.box && look.outline.value_or(0) > 0) {
        error = "--box and --outline exclude each other.";
        return false;
    }
    return true;
}

// "; dvd-1 only", "; vobsub and bdn only" for an option that serves some types alone.
QString OnlyFor(std::string_view option) {
    const std::vector<std::string_view> names = TypesThat([option](const OutputFormat& format) {
        return std::find(format.options.begin(), format.options.end(), option) !=
               format.options.end();
    });
    if (names.empty()) {
        return {};
    }
    return QStringLiteral("; ") + Text(texts::Listed(names, " and ")) + QStringLiteral(" only");
}

// "spumux, vobsub, pgs or bdn": the types that carry colours of their own, not the 16 standard.
QString OwnColourTypes() {
    return Text(texts::Listed(TypesThat([](const OutputFormat& format) {
                                  return format.colours != ColourModel::Standard;
                              }),
                              " or "));
}

} // namespace

CommandLine::CommandLine() {
    m_parser.setApplicationDescription(
        Wrapped(QStringLiteral("Turns a subtitle file (a tab-separated list, SRT, WebVTT, ASS/SSA, "
                               "MicroDVD, ...) into the files of an output type: ") +
                WhatTheTypesWrite() + QStringLiteral(".")) +
        QStringLiteral(
            "\n\n"
            "Exit status of --batch: 0 finished, nothing to look at; 3 finished, some subtitles\n"
            "needed more lines than the list gave or have timecode warnings, or the reader got "
            "past\ndamage; 4 finished, but text was cut off; 1 a file could not be read or "
            "written;\n2 usage; 130 stopped by Ctrl+C. When several apply: 130, 1, 4, 3. "
            "--convert: 0, 3, 1\nor 2 alike."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOptions({
        {kBatch,
         "Write the files of the output type for the subtitle file <list> (a tab-separated "
         "list, SRT, WebVTT, ASS/SSA, ...) without a window.",
         "list"},
        {kSettings,
         "Read the settings from <file> instead of the list configuration file or the program's "
         "settings file.",
         "file"},
        {kIgnoreListConfig, "Do not read the list configuration file beside the list."},
        {kStartIndex,
         QStringLiteral("Number of the first image, 0-%1 (default: the stored one, else 1).")
             .arg(kMaxStartIndex),
         "n"},
        {kName,
         "Image base name (default: the stored one, else OutputImg for dvd-1 and the list's own "
         "name for the others).",
         "name"},
        {kHeader,
         QStringLiteral(
             "Script file header; \\\\ \\t \\r \\n \\xHH stand for a backslash, tab, CR, "
             "LF and any byte (default: the stored one, else the standard header") +
             OnlyFor(kHeader) + QStringLiteral(")."),
         "text"},
        {kTestMode, "Write no images: only find the subtitles that need more lines."},
        {kDvdColors,
         "Draw in the four DVD colours: background, text background, text and one shade for "
         "antialiased edges; the list configuration file keeps the choice."},
        {kOutputType,
         QStringLiteral("What the run writes: %1. %2 (default: the stored one, else %3).")
             .arg(QString::fromStdString(OutputTypeNames()), EachTypeIs(),
                  Text(OutputFormats().front()->name)),
         "type"},
        {kLang,
         QStringLiteral("Language code of the subtitles: two or three lowercase letters "
                        "(default: the stored one, else en, and eng for bdn") +
             OnlyFor(kLang) + QStringLiteral(")."),
         "code"},
        {
            kForced,
            QStringLiteral("Mark every subtitle forced: shown even where the player's subtitles "
                           "are off (") +
                OnlyFor(kForced).mid(2) + QStringLiteral(")."),
        },
        {kJobs,
         QStringLiteral("Subtitles drawn at once, 1-%1: 1 draws one after the other (default: "
                        "one per processor core). The files are the same either way.")
             .arg(kMaxJobs),
         "n"},
        {kFps,
         QStringLiteral("Frame rate of the timecodes: %1 (default: the stored one, else 25 for "
                        "PAL and 29.97 drop-frame for NTSC).")
             .arg(QString::fromStdString(FrameRateNames())),
         "rate"},
        {kConvert,
         "Write the tab-separated list that --batch would use for the subtitle file <file>, to "
         "standard output or to --output.",
         "file"},
        {{"o", kOutput}, "The list file --convert writes; never the subtitle file itself.", "list"},
        {kNtsc, "Draw on the NTSC picture, 720 x 480."},
        {kPal, "Draw on the PAL picture, 720 x 576."},
        {k720p, "Draw on the HD picture of 1280 x 720; the look scales from the stored picture."},
        {k1080p, "Draw on the HD picture of 1920 x 1080; the look scales from the stored picture."},
        {kFont,
         "The font: FACE:SIZE[:bold][:italic], SIZE the character height in pixels (Arial:24).",
         "font"},
        {kTextColor,
         QStringLiteral("The text colour: one of %1, or #RRGGBB where the type carries its own "
                        "palette (%2).")
             .arg(QString::fromStdString(StandardColourNames()), OwnColourTypes()),
         "colour"},
        {kTextBkgColor,
         "The text background colour: of the outline, the shadow, the box and the "
         "band behind the text; as --text-color.",
         "colour"},
        {kBkgColor, "The picture's background colour, as --text-color.", "colour"},
        {kOutline, "The outline's width, 1-4 pixels; 0 draws none.", "width"},
        {kShadow, "The shadow's offset down and right, 0-4 pixels; 0 draws none.", "offset"},
        {kBox, "A band the full width of the picture behind the text (not with --outline)."},
        {kMargins, "The left, right and bottom margins in pixels, 0-150 each: L,R,BOTTOM.",
         "margins"},
        {kAlign, "The lines' alignment: left, center or right.", "where"},
    });
}

ParsedCommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << FromBytes(argument);
    }
    ParsedCommandLine parsed;
    if (!m_parser.parse(list)) {
        parsed.error = m_parser.errorText().toStdString();
        return parsed;
    }
    if (m_parser.isSet("help")) {
        parsed.request = CommandLineRequest::Help;
        return parsed;
    }
    if (m_parser.isSet("version")) {
        parsed.request = CommandLineRequest::Version;
        return parsed;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        parsed.error = "Unexpected argument '" + ToBytes(m_parser.positionalArguments().first()) +
                       "'; the list follows --batch.";
        return parsed;
    }
    if (m_parser.isSet(kBatch) && m_parser.isSet(kConvert)) {
        parsed.error = "--batch and --convert exclude each other.";
        return parsed;
    }
    if (m_parser.isSet(kOutput) && !m_parser.isSet(kConvert)) {
        parsed.error = "--output belongs to --convert.";
        return parsed;
    }
    std::vector<const char*> batchOnly = {kDvdColors, kOutputType, kLang, kForced, kJobs};
    batchOnly.insert(batchOnly.end(), std::begin(kLookOptions), std::end(kLookOptions));
    for (const char* option : batchOnly) {
        if (m_parser.isSet(option) && !m_parser.isSet(kBatch)) {
            parsed.error = std::string("--") + option + " belongs to --batch.";
            return parsed;
        }
    }
    if (!m_parser.isSet(kBatch) && !m_parser.isSet(kConvert)) {
        parsed.request = CommandLineRequest::Window;
        return parsed;
    }

    BatchOptions& options = parsed.options;
    const bool convert = m_parser.isSet(kConvert);
    options.listPath = ToBytes(m_parser.value(convert ? kConvert : kBatch));
    options.outputPath = OptionalValue(m_parser, kOutput);
    if (!TakeChoice(m_parser, kFps, "frame rate", FindFrameRate, FrameRateNames(),
                    options.frameRate, parsed.error)) {
        return parsed;
    }
    options.settingsFile = OptionalValue(m_parser, kSettings);
    options.ignoreListConfig = m_parser.isSet(kIgnoreListConfig);
    options.testMode = m_parser.isSet(kTestMode);
    options.dvdColors = m_parser.isSet(kDvdColors);
    if (!TakeLookOptions(m_parser, options.look, parsed.error)) {
        return parsed;
    }
    if (!TakeChoice(m_parser, kOutputType, "output type", FindOutputType, OutputTypeNames(),
                    options.outputType, parsed.error)) {
        return parsed;
    }
    options.forced = m_parser.isSet(kForced);
    options.language = OptionalValue(m_parser, kLang);
    if (options.language && !IsIndexLanguage(*options.language)) {
        parsed.error = "Invalid language '" + *options.language +
                       "': give two or three lowercase letters, as en or deu.";
        return parsed;
    }
    options.imgName = OptionalValue(m_parser, kName);
    if (options.imgName) {
        if (const auto problem = ImageNameProblem(*options.imgName)) {
            parsed.error = ImageNameRefusal(*options.imgName, *problem);
            return parsed;
        }
    }
    if (!TakeNumber(m_parser, kStartIndex, "start index", 0, kMaxStartIndex, options.startIndex,
                    parsed.error) ||
        !TakeNumber(m_parser, kJobs, "number of jobs", 1, kMaxJobs, options.jobs, parsed.error)) {
        return parsed;
    }
    if (const auto text = OptionalValue(m_parser, kHeader)) {
        options.header = kestrum::Unescape(*text);
        if (!options.header) {
            parsed.error = "Invalid escape in the header '" + *text + "'.";
            return parsed;
        }
    }
    parsed.request = convert ? CommandLineRequest::Convert : CommandLineRequest::Batch;
    return parsed;
}

} // namespace orvo
