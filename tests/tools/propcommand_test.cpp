#include "propcommand.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>

#include "common/filecontent.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace kestrum::tool {
namespace {

using namespace std::string_literals;

using testsupport::ReadText;
using testsupport::TempDir;
using testsupport::WriteText;

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Each test owns a fresh folder under the system's temporary folder.
class PropCommandTest : public ::testing::Test {
protected:
    static Result Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    static std::string Succeed(const std::vector<std::string>& args) {
        const Result result = Run(args);
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        return result.out;
    }

    // One line on stderr, naming the file, that starts with message (the library's errors
    // go on with details of their own).
    static void ExpectFailure(const std::vector<std::string>& args, const std::string& message) {
        const Result result = Run(args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("kestrum-prop: " + args[1] + ": " + message, 0), 0u)
            << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }

    TempDir m_folder;
    const std::filesystem::path& m_dir = m_folder.Path();
    std::string m_file = m_folder.File("settings.cfg");
};

TEST_F(PropCommandTest, DumpListsTheDefaultSetThenSectionsInMapOrder) {
    CPropDb db;
    db.WritePropString("", "b", "two words");
    db.WritePropInt("", "a", -5);
    db.WritePropInt("", "flag", 1);
    db.WritePropBool("", "flag", 2); // the value object stays a CIntProp, now with type code 3
    ASSERT_EQ(&db.GetDefaultSet().GetValues().at("flag")->GetRuntimeClass(),
              &CIntProp::classCIntProp);
    db.WritePropFloat("Z", "f", 1.5f);
    db.WritePropInt("Empty\a", "gone", 0);
    db.DeleteKey("Empty\a", "gone");
    db.WritePropBlob("A\tB", "line\nbreak", std::vector<std::uint8_t>{0x00, 0xFF});
    ASSERT_TRUE(db.Save(m_file));

    EXPECT_EQ(Succeed({"dump", m_file}), "\ta\tint\t-5\n"
                                         "\tb\tstring\ttwo words\n"
                                         "\tflag\tbool\t2\n"
                                         "A\\tB\tline\\nbreak\tblob\t00ff\n"
                                         "Empty\\x07\n"
                                         "Z\tf\tfloat\t1.5\n");
    EXPECT_EQ(Succeed({"get", m_file, "A\\tB", "line\\nbreak"}), "00ff\n");
    ExpectFailure({"get", m_file, "Z", "g"}, "no key \"g\" in section \"Z\"");
    ExpectFailure({"get", m_file, "", "f"}, "no key \"f\" in the default section");
    ExpectFailure({"dump", m_file + ".missing"}, "No such file or directory");
}

TEST_F(PropCommandTest, SetWritesEveryKindThatDumpAndTheLibraryReadBack) {
    Succeed({"set", m_file, "", "int", "int", "-2147483648"});
    Succeed({"set", m_file, "", "float", "float", "-0"});
    Succeed({"set", m_file, "", "string", "string", "a\\tb\\\\\\x00\xc3\xa9"});
    Succeed({"set", m_file, "S", "bool", "bool", "2"});
    Succeed({"set", m_file, "S", "blob", "blob", "00FFa0"});
    Succeed({"set", m_file, "S", "empty", "blob", ""});
    EXPECT_EQ(Succeed({"dump", m_file}), "\tfloat\tfloat\t-0\n"
                                         "\tint\tint\t-2147483648\n"
                                         "\tstring\tstring\ta\\tb\\\\\\x00\xc3\xa9\n"
                                         "S\tblob\tblob\t00ffa0\n"
                                         "S\tbool\tbool\t2\n"
                                         "S\tempty\tblob\t\n");

    CPropDb db;
    ASSERT_TRUE(db.Load(m_file));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(db.ReadPropFloat("", "float", 0, false)), 0x80000000u);
    EXPECT_EQ(db.ReadPropString("", "string", "", false), "a\tb\\\0\xc3\xa9"s);
    EXPECT_EQ(db.GetBlobSize("S", "blob"), 3u);
}

// What get prints, set takes back: no bit of a float is lost on the way.
TEST_F(PropCommandTest, FloatsSurviveGetThenSet) {
    const std::uint32_t patterns[] = {0x80000000, 0xFF800000, 0x00000001, 0x4120000B};
    CPropDb db;
    for (std::uint32_t bits : patterns) {
        db.WritePropFloat("", std::to_string(bits), std::bit_cast<float>(bits));
    }
    ASSERT_TRUE(db.Save(m_file));
    for (std::uint32_t bits : patterns) {
        const std::string key = std::to_string(bits);
        const std::string line = Succeed({"get", m_file, "", key});
        Succeed({"set", m_file, "copy", key, "float", line.substr(0, line.size() - 1)});
    }
    ASSERT_TRUE(db.Load(m_file));
    for (std::uint32_t bits : patterns) {
        const float copy = db.ReadPropFloat("copy", std::to_string(bits), 0, false);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(copy), bits);
    }
}

TEST_F(PropCommandTest, SetCreatesAMissingFileButStopsOnAnyOtherOpenFailure) {
    Succeed({"set", m_file, "", "k", "int", "7"});
    EXPECT_EQ(Succeed({"dump", m_file}), "\tk\tint\t7\n");

    ExpectFailure({"set", m_file + "/inner", "", "k", "int", "1"}, "Not a directory");
    ExpectFailure({"set", m_dir.string(), "", "k", "int", "1"}, "not a regular file");
    EXPECT_TRUE(std::filesystem::is_regular_file(m_file));
}

// The reason comes from the library's own read and write, for every way a file can fail.
TEST_F(PropCommandTest, FilesThatCannotBeReadOrWrittenAreReportedWithTheReason) {
    const std::string huge = (m_dir / "huge.cfg").string();
    WriteText(huge, "");
    std::filesystem::resize_file(huge, (std::uintmax_t{64} << 20) + 1);
    const std::string inMissingFolder = (m_dir / "missing" / "settings.cfg").string();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"dump", huge}, "larger than 64 MB"},
        {{"set", huge, "", "k", "int", "1"}, "larger than 64 MB"},
        {{"dump", "/dev/zero"}, "not a regular file"},
        {{"get", m_dir.string(), "", "k"}, "not a regular file"},
        {{"set", inMissingFolder, "", "k", "int", "1"}, "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        ExpectFailure(c.args, c.message);
    }
    EXPECT_EQ(std::filesystem::file_size(huge), (std::uintmax_t{64} << 20) + 1);
}

TEST_F(PropCommandTest, DeleteRemovesOnlyAnExistingKeyAndKeepsItsSection) {
    CPropDb db;
    db.WritePropInt("", "keep", 1);
    db.WritePropInt("S", "last", 2);
    ASSERT_TRUE(db.Save(m_file));
    Succeed({"delete", m_file, "S", "last"});
    EXPECT_EQ(Succeed({"dump", m_file}), "\tkeep\tint\t1\nS\n");

    const std::string before = ReadText(m_file);
    ExpectFailure({"delete", m_file, "S", "last"}, "no key \"last\" in section \"S\"");
    EXPECT_EQ(ReadText(m_file), before);
    const std::string missing = m_file + ".missing";
    ExpectFailure({"delete", missing, "", "k"}, "no key \"k\" in the default section");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// A database file by hand: module name "M", empty name, the two header words, then a
// default set ("None", empty name) with the one key "k" holding value, and no sections.
std::string DatabaseWith(const std::string& value) {
    return "\x01M\0\x01\0\0\0\0\0\0\0\x04None\0\x01\0\x01k"s + value + "\0\0"s;
}

TEST_F(PropCommandTest, DamagedFilesFailNamingTheErrorAndAreNeverRewritten) {
    const std::string intBody = "\0\0\0\0\x05\0\0\0"s;
    WriteText(m_file, DatabaseWith("\xff\xff\x01\0\x08\0CIntProp"s + intBody));
    EXPECT_EQ(Succeed({"dump", m_file}), "\tk\tint\t5\n");

    const struct {
        std::string value;
        const char* error;
    } damages[] = {
        {"\xff\xff\x01\0\x08\0CFooProp"s + intBody, "bad class"},
        {"\xff\xff\x02\0\x08\0CIntProp"s + intBody, "bad schema"},
        {"\x05\x80"s + intBody, "bad index"},
        {"\xff\xff\x01\0\x08\0CIntProp\0\0\0\0\x05"s, "end of data"},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.error);
        const std::string bytes = DatabaseWith(damage.value);
        WriteText(m_file, bytes);
        ExpectFailure({"dump", m_file}, damage.error);
        ExpectFailure({"get", m_file, "", "k"}, damage.error);
        ExpectFailure({"set", m_file, "", "k", "int", "1"}, damage.error);
        ExpectFailure({"delete", m_file, "", "k"}, damage.error);
        EXPECT_EQ(ReadText(m_file), bytes);
    }
}

TEST_F(PropCommandTest, EveryCutOfAFileIsRefusedAndLeftAsItWas) {
    CPropDb db;
    db.WritePropString("", "string", "text");
    db.WritePropBlob("S", "blob", std::vector<std::uint8_t>{1, 2, 3});
    db.WritePropFloat("S", "float", 0.5f);
    ASSERT_TRUE(db.Save(m_file));
    const std::string whole = ReadText(m_file);

    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        const std::string cut = whole.substr(0, size);
        WriteText(m_file, cut);
        ExpectFailure({"set", m_file, "", "string", "int", "2"}, "end of data");
        ExpectFailure({"delete", m_file, "", "string"}, "end of data");
        EXPECT_EQ(ReadText(m_file), cut);
    }
}

TEST_F(PropCommandTest, BadCommandLinesExitWith2AndTheUsageAndTouchNoFile) {
    const std::string help = Succeed({"--help"});
    EXPECT_EQ(help.rfind("Usage: kestrum-prop dump FILE\n", 0), 0u);
    const std::string f = m_file;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no command"},
        {{"list", f}, "unknown command \"list\""},
        {{"dump", f, "x"}, "wrong number of arguments for dump"},
        {{"set", f, "", "k", "int"}, "wrong number of arguments for set"},
        {{"--version", "x"}, "wrong number of arguments for --version"},
        {{"dump", ""}, "FILE must not be empty"},
        {{"set", f, "", "k", "integer", "1"}, "unknown KIND \"integer\""},
        {{"set", f, "", "k", "obj", "-"}, "obj values cannot be set"},
        {{"set", f, "", "k", "int", "2147483648"}, "VALUE is no int"},
        {{"set", f, "", "k", "float", "1.5x"}, "VALUE is no float"},
        {{"set", f, "", "k", "bool", "true"}, "VALUE is no bool"},
        {{"set", f, "", "k", "blob", "abc"}, "VALUE is no blob"},
        {{"set", f, "", "k", "string", "\\q"}, "VALUE is no string"},
        {{"set", f, "a\\", "k", "int", "1"}, "bad escape in SECTION"},
        {{"get", f, "", "\\x0"}, "bad escape in KEY"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.args);
        EXPECT_EQ(result.status, kExitUsage) << c.message;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "kestrum-prop: "s + c.message + "\n" + help);
    }
    EXPECT_FALSE(std::filesystem::exists(m_file));
}

TEST_F(PropCommandTest, AFailingOutputFailsTheCommand) {
    Succeed({"set", m_file, "", "k", "int", "1"});
    std::ostream broken(nullptr);
    std::ostringstream err;
    EXPECT_EQ(RunCommand(std::vector<std::string>{"dump", m_file}, broken, err), kExitFailure);
    EXPECT_EQ(err.str(), "kestrum-prop: cannot write the output\n");
}

} // namespace
} // namespace kestrum::tool
