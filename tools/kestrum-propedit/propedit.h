#pragma once

#include <kestrum-widgets/settingsdlg/cdefsetdlg.h>

#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <variant>

// kestrum-propedit: any property file in the settings dialog, every value described by its
// stored kind. The steps are separate, so that tests and programs with descriptions of their
// own (see example/) can run them around a dialog of their own.
namespace kestrum::propedit {

struct Options {
    std::string file;
    int language = 0;    // as CDefSetDlg::SetLanguage
    std::string section; // the key to select when the dialog opens, if any
    std::string key;
};

// The options of a command line (without the program name), or the text of a usage error.
std::variant<Options, std::string> ParseArguments(const QStringList& arguments);

extern const char* const kUsage;

// Reads file into the dialog's database. On failure, the message that names the file and the
// error; the file is left as it is.
std::optional<std::string> Load(CDefSetDlg& dialog, const std::string& file, int language);

// Title "Settings" and the file name, the file name as root text, the language, and one
// description per value by its stored kind: an int or a float over its whole range, a
// string of up to 65535 characters, a bool, a 60-byte blob as a font. Other blobs are not
// listed: the dialog cannot edit them.
void Describe(CDefSetDlg& dialog, const std::string& file, int language);

// Writes the dialog's database to file through the database's safe save. On failure, the
// message naming the file and the error.
std::optional<std::string> Save(CDefSetDlg& dialog, const std::string& file, int language);

// Shows the described dialog modally, opened at the chosen key; OK saves the file, Cancel
// writes nothing. The exit status: 0, or 1 when the file could not be saved (reported in a
// message box).
int Run(CDefSetDlg& dialog, const Options& options);

// Descriptions a program adds after Describe, replacing some of the generic ones.
using DescribeMore = std::function<void(CDefSetDlg&)>;

// Load, Describe, describeMore and Run, reporting a file that cannot be read in a message box
// (status 1).
int Edit(CDefSetDlg& dialog, const Options& options, const DescribeMore& describeMore = {});

// The whole program for a command line without the program name: --help, --version, usage
// errors (status 2), or Edit.
int Main(const QStringList& arguments, const DescribeMore& describeMore = {});

} // namespace kestrum::propedit
