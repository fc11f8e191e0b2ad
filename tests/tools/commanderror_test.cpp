#include "commandtest.h"

#include <kestrum/propstore/cpropdb.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum::tool::test {
namespace {

// Property file bytes written by hand, for damage that the library never writes.
class Bytes {
public:
    Bytes& Word(std::uint16_t value) {
        m_bytes.push_back(static_cast<std::uint8_t>(value));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
        return *this;
    }
    Bytes& DWord(std::uint32_t value) {
        return Word(static_cast<std::uint16_t>(value))
            .Word(static_cast<std::uint16_t>(value >> 16));
    }
    Bytes& Text(std::string_view text) {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        return *this;
    }
    // A counted string below 255 bytes: its length in one byte.
    Bytes& String(std::string_view text) {
        m_bytes.push_back(static_cast<std::uint8_t>(text.size()));
        return Text(text);
    }
    Bytes& NewClass(std::string_view name, std::uint16_t schema = 1) {
        return Word(0xFFFF).Word(schema).Word(static_cast<std::uint16_t>(name.size())).Text(name);
    }
    Bytes& Append(const Bytes& other) {
        m_bytes.insert(m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
        return *this;
    }

    std::vector<std::uint8_t> m_bytes;
};

// A database file whose default set holds the key "k" with the given value object.
std::vector<std::uint8_t> DatabaseWith(const Bytes& value) {
    Bytes file;
    file.String("/opt/orvo/bin/orvo").String("").DWord(1).DWord(0); // database header
    file.String("None").String("").Word(1).String("k");             // default set, one pair
    file.Append(value).Word(0);                                     // no sections
    return file.m_bytes;
}

// ---- damaged files ----

struct DamageCase {
    const char* name;
    Bytes value;
    const char* error; // what the library's exception says first
};

using DamageTest = CommandTest;

class DamagedFileTest : public CommandTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_F(DamageTest, HandWrittenDatabaseIsRead) {
    WriteBytes(m_file, DatabaseWith(Bytes().NewClass("CIntProp").DWord(0).DWord(5)));
    EXPECT_EQ(Succeed({"dump", m_file}), "\tk\tint\t5\n");
}

TEST_P(DamagedFileTest, EveryCommandFailsNamingFileAndErrorAndNothingIsRewritten) {
    const auto bytes = DatabaseWith(GetParam().value);
    WriteBytes(m_file, bytes);
    const std::vector<std::vector<std::string>> commands = {
        {"dump", m_file},
        {"get", m_file, "", "k"},
        {"set", m_file, "", "k", "int", "1"},
        {"delete", m_file, "", "k"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        const CommandResult result = Run(args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.out, "");
        const std::string prefix = "kestrum-prop: " + m_file + ": " + GetParam().error;
        EXPECT_EQ(result.err.substr(0, prefix.size()), prefix) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_EQ(ReadBytes(m_file), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedFileTest,
    ::testing::Values(
        DamageCase{"UnknownClass", Bytes().NewClass("CFooProp").DWord(0).DWord(5), "bad class"},
        DamageCase{"ObjectValue", Bytes().NewClass("CObjProp").DWord(5), "bad class"},
        DamageCase{"OtherSchema", Bytes().NewClass("CIntProp", 2).DWord(0).DWord(5), "bad schema"},
        DamageCase{"ReferenceToNoClass", Bytes().Word(0x8005).DWord(0).DWord(5), "bad index"},
        DamageCase{"ValueCutShort", Bytes().NewClass("CIntProp").DWord(0).Word(5), "end of data"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DamageTest, EveryCutOfAFileIsRefusedAndLeftAsItWas) {
    CPropDb db;
    db.WritePropInt("", "int", 1);
    db.WritePropString("", "string", "text");
    db.WritePropBlob("S", "blob", std::vector<std::uint8_t>{1, 2, 3});
    db.WritePropFloat("S", "float", 0.5f);
    ASSERT_TRUE(db.Save(m_file));
    const auto whole = ReadBytes(m_file);

    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
        WriteBytes(m_file, cut);
        for (const char* command : {"set", "delete"}) {
            std::vector<std::string> args = {command, m_file, "", "int"};
            if (args[0] == "set") {
                args.insert(args.end(), {"int", "2"});
            }
            const CommandResult result = Run(args);
            EXPECT_EQ(result.status, kExitFailure);
            EXPECT_EQ(result.err.rfind("kestrum-prop: " + m_file + ": end of data", 0), 0u)
                << result.err;
            EXPECT_EQ(ReadBytes(m_file), cut);
        }
    }
}

// ---- files that cannot be opened or written ----

using FileAccessTest = CommandTest;

TEST_F(FileAccessTest, ReadingAMissingFileFails) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"dump", m_file}, {"get", m_file, "", "k"}}) {
        const CommandResult result = Run(args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, "kestrum-prop: " + m_file + ": No such file or directory\n");
    }
}

// Only a file that does not exist starts an empty database; any other failure to open stops.
TEST_F(FileAccessTest, SetStopsWhenTheFileCannotBeOpenedForAnotherReason) {
    CPropDb db;
    ASSERT_TRUE(db.Save(m_file));
    const std::string below = m_file + "/inner.cfg";

    const CommandResult result = Run({"set", below, "", "k", "int", "1"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "kestrum-prop: " + below + ": Not a directory\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(m_file));
}

TEST_F(FileAccessTest, SetOnAFolderFailsAndLeavesIt) {
    const std::string folder = PathOf("folder");
    std::filesystem::create_directory(folder);

    const CommandResult result = Run({"set", folder, "", "k", "int", "1"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err.rfind("kestrum-prop: " + folder + ": file error", 0), 0u) << result.err;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(FileAccessTest, SetInAMissingFolderFailsToWrite) {
    const std::string file = PathOf("missing/settings.cfg");
    const CommandResult result = Run({"set", file, "", "k", "int", "1"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "kestrum-prop: " + file + ": cannot be written\n");
}

TEST_F(FileAccessTest, AFailingOutputStreamFailsTheCommand) {
    CPropDb db;
    db.WritePropInt("", "k", 1);
    ASSERT_TRUE(db.Save(m_file));
    std::ostream broken(nullptr);
    std::ostringstream err;

    EXPECT_EQ(RunCommand(std::vector<std::string>{"dump", m_file}, broken, err), kExitFailure);
    EXPECT_EQ(err.str(), "kestrum-prop: cannot write the output\n");
}

// ---- the command line ----

using UsageTest = CommandTest;

TEST_F(UsageTest, HelpPrintsTheUsageToTheOutput) {
    const std::string help = Succeed({"--help"});
    EXPECT_EQ(help.rfind("Usage: kestrum-prop dump FILE\n", 0), 0u) << help;
}

TEST_F(UsageTest, BadCommandLinesExitWith2AndTheUsageAndTouchNoFile) {
    const std::string help = Succeed({"--help"});
    const std::string f = m_file;
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "no command"},
        {{"list", f}, "unknown command \"list\""},
        {{"dump"}, "wrong number of arguments for dump"},
        {{"dump", f, "x"}, "wrong number of arguments for dump"},
        {{"get", f, ""}, "wrong number of arguments for get"},
        {{"set", f, "", "k", "int"}, "wrong number of arguments for set"},
        {{"delete", f, "", "k", "x"}, "wrong number of arguments for delete"},
        {{"--help", "x"}, "wrong number of arguments for --help"},
        {{"--version", "x"}, "wrong number of arguments for --version"},
        {{"dump", ""}, "FILE must not be empty"},
        {{"set", f, "", "k", "integer", "1"}, "unknown KIND \"integer\""},
        {{"set", f, "", "k", "obj", "-"}, "obj values cannot be set"},
        {{"set", f, "", "k", "int", "1.5"}, "VALUE is no int"},
        {{"set", f, "", "k", "int", "2147483648"}, "VALUE is no int"},
        {{"set", f, "", "k", "float", "1.5x"}, "VALUE is no float"},
        {{"set", f, "", "k", "bool", "true"}, "VALUE is no bool"},
        {{"set", f, "", "k", "blob", "abc"}, "VALUE is no blob"},
        {{"set", f, "", "k", "string", "bad\\q"}, "VALUE is no string"},
        {{"set", f, "bad\\", "k", "int", "1"}, "bad escape in SECTION"},
        {{"get", f, "", "\\x0"}, "bad escape in KEY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CommandResult result = Run(c.args);
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "kestrum-prop: " + c.message + "\n" + help);
        EXPECT_FALSE(std::filesystem::exists(m_file));
    }
}

} // namespace
} // namespace kestrum::tool::test
