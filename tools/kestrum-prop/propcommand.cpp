#include "propcommand.h"

#include "valuetext.h"

#include <kestrum/util/textnotation.h>

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>
#include <kestrum/propstore/propfileresult.h>
#include <kestrum/util/cversion.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrum::tool {
namespace {

constexpr std::string_view kProgram = "kestrum-prop";

constexpr std::string_view kUsage =
    R"(Usage: kestrum-prop dump FILE
  or:  kestrum-prop get FILE SECTION KEY
  or:  kestrum-prop set FILE SECTION KEY KIND VALUE
  or:  kestrum-prop delete FILE SECTION KEY
  or:  kestrum-prop --help | --version

Reads and changes property database files.
  dump    prints every value on a line of its own: SECTION, KEY, KIND and VALUE,
          separated by tabs; a section without keys prints its name alone
  get     prints the VALUE field of one key
  set     writes one value; a FILE that does not exist is created
  delete  removes one key; its section stays, even when it is left empty

The empty SECTION is the default section. KIND is int, float, string, bool or
blob (dump also shows obj, and shows the type code as KIND and - as VALUE for a
value whose class cannot carry its type code). SECTION, KEY and string values
use the escapes \\ \t \r \n and \xHH; blob values are hex digits; int and bool
values are 32-bit decimals.

Exit status: 0 done, 1 unreadable or unwritable file or missing key, 2 usage.
)";

// A command line the tool cannot act on: exit status 2 and the usage text.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be read or written, or a missing key: exit status 1.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& file, const std::string& error)
        : std::runtime_error(file + ": " + error) {}
};

struct Address {
    std::string section;
    std::string key;
};

// An empty file name would make the library pick the program's own default settings file.
const std::string& FileArgument(const std::string& file) {
    if (file.empty()) {
        throw UsageError("FILE must not be empty");
    }
    return file;
}

std::string UnescapedArgument(std::string_view text, std::string_view role) {
    auto unescaped = Unescape(text);
    if (!unescaped) {
        throw UsageError("bad escape in " + std::string(role));
    }
    return std::move(*unescaped);
}

Address AddressArguments(std::string_view section, std::string_view key) {
    return {UnescapedArgument(section, "SECTION"), UnescapedArgument(key, "KEY")};
}

TypedValue ValueArguments(std::string_view kindName, std::string_view text) {
    const auto kind = ParseKind(kindName);
    if (!kind) {
        throw UsageError("unknown KIND \"" + Escape(kindName) + "\"");
    }
    if (*kind == kPropObj) {
        throw UsageError("obj values cannot be set");
    }
    auto value = ParseValue(*kind, text);
    if (!value) {
        throw UsageError("VALUE is no " + std::string(kindName));
    }
    return std::move(*value);
}

// The library's file errors come without the file name; the tool's messages lead with it.
template <class Action>
PropFileResult OnFile(const std::string& file, Action action) {
    try {
        return action();
    } catch (const CArchiveException& error) {
        throw FileError(file, error.what());
    }
}

enum class Missing { IsError, IsEmpty };

void LoadDb(CPropDb& db, const std::string& file, Missing missing) {
    const PropFileResult result = OnFile(file, [&] { return db.LoadWithReason(file); });
    if (result || (result.IsMissing() && missing == Missing::IsEmpty)) {
        return; // a missing file has left the database empty
    }
    throw FileError(file, result.message);
}

void SaveDb(CPropDb& db, const std::string& file) {
    const PropFileResult result = OnFile(file, [&] { return db.SaveWithReason(file); });
    if (!result) {
        throw FileError(file, result.message);
    }
}

const CPropSet* FindSet(const CPropDb& db, std::string_view section) {
    if (section.empty()) {
        return &db.GetDefaultSet();
    }
    const auto it = db.GetSections().find(section);
    return it == db.GetSections().end() ? nullptr : it->second.get();
}

const CProp& RequireValue(const CPropDb& db, const std::string& file, const Address& address) {
    if (const CPropSet* set = FindSet(db, address.section)) {
        const auto it = set->GetValues().find(address.key);
        if (it != set->GetValues().end()) {
            return *it->second;
        }
    }
    const std::string where = address.section.empty()
                                  ? "the default section"
                                  : "section \"" + Escape(address.section) + "\"";
    throw FileError(file, "no key \"" + Escape(address.key) + "\" in " + where);
}

template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
// Aggregates deduce their arguments by themselves in C++20, but clang 14 needs the guide.
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void WriteValue(CPropDb& db, const Address& address, const TypedValue& value) {
    // Named references rather than a structured binding: lambdas may not capture those before
    // C++20 compilers caught up (clang 14, which builds the fuzzers).
    const std::string& section = address.section;
    const std::string& key = address.key;
    std::visit(
        Overloaded{
            [&](std::int32_t number) { db.WritePropInt(section, key, number); },
            [&](float number) { db.WritePropFloat(section, key, number); },
            [&](const std::string& text) { db.WritePropString(section, key, text); },
            [&](BoolValue truth) { db.WritePropBool(section, key, truth.word); },
            [&](const std::vector<std::uint8_t>& bytes) { db.WritePropBlob(section, key, bytes); },
        },
        value);
}

void PrintValues(std::ostream& out, std::string_view section, const CPropSet& set) {
    const std::string sectionField = Escape(section);
    for (const auto& [key, prop] : set.GetValues()) {
        const ValueText text = Describe(*prop);
        out << sectionField << '\t' << Escape(key) << '\t' << text.kind << '\t' << text.value
            << '\n';
    }
}

using Args = std::span<const std::string>;

void Dump(Args args, std::ostream& out) {
    const std::string& file = FileArgument(args[0]);
    CPropDb db;
    LoadDb(db, file, Missing::IsError);
    PrintValues(out, {}, db.GetDefaultSet());
    for (const auto& [name, set] : db.GetSections()) {
        if (set->GetValues().empty()) {
            out << Escape(name) << '\n';
        } else {
            PrintValues(out, name, *set);
        }
    }
}

void Get(Args args, std::ostream& out) {
    const std::string& file = FileArgument(args[0]);
    const Address address = AddressArguments(args[1], args[2]);
    CPropDb db;
    LoadDb(db, file, Missing::IsError);
    out << Describe(RequireValue(db, file, address)).value << '\n';
}

void Set(Args args, std::ostream& /*out*/) {
    const std::string& file = FileArgument(args[0]);
    const Address address = AddressArguments(args[1], args[2]);
    const TypedValue value = ValueArguments(args[3], args[4]);
    CPropDb db;
    LoadDb(db, file, Missing::IsEmpty);
    WriteValue(db, address, value);
    SaveDb(db, file);
}

void Delete(Args args, std::ostream& /*out*/) {
    const std::string& file = FileArgument(args[0]);
    const Address address = AddressArguments(args[1], args[2]);
    CPropDb db;
    LoadDb(db, file, Missing::IsEmpty);
    RequireValue(db, file, address);
    db.DeleteKey(address.section, address.key);
    SaveDb(db, file);
}

void Help(Args /*args*/, std::ostream& out) {
    out << kUsage;
}

void Version(Args /*args*/, std::ostream& out) {
    CVersion version;
    version.Init();
    out << kProgram << ' ' << version.GetVersion() << '\n';
}

struct Command {
    std::string_view name;
    std::size_t argCount; // after the command's name
    void (*run)(Args args, std::ostream& out);
};

constexpr Command kCommands[] = {
    {"dump", 1, &Dump},     {"get", 3, &Get},     {"set", 5, &Set},
    {"delete", 3, &Delete}, {"--help", 0, &Help}, {"--version", 0, &Version},
};

const Command& FindCommand(Args args) {
    if (args.empty()) {
        throw UsageError("no command");
    }
    const auto* command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                       [&](const Command& c) { return c.name == args[0]; });
    if (command == std::end(kCommands)) {
        throw UsageError("unknown command \"" + Escape(args[0]) + "\"");
    }
    if (args.size() - 1 != command->argCount) {
        throw UsageError("wrong number of arguments for " + args[0]);
    }
    return *command;
}

} // namespace

int RunCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    try {
        FindCommand(args).run(args.subspan(1), out);
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.what() << '\n' << kUsage;
        return kExitUsage;
    } catch (const FileError& error) {
        err << kProgram << ": " << error.what() << '\n';
        return kExitFailure;
    }
    // A script must not take a cut-off dump for a whole one.
    if (!out.flush()) {
        err << kProgram << ": cannot write the output\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace kestrum::tool
