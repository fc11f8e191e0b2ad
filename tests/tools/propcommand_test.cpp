#include "commandtest.h"
#include "kestrum-prop/valuetext.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/modulefilename.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrum::tool::test {
namespace {

std::string AllBytes() {
    std::string text;
    for (int byte = 0; byte < 256; ++byte) {
        text += static_cast<char>(byte);
    }
    return text;
}

std::unique_ptr<CPropDb> Loaded(const std::string& file) {
    auto db = std::make_unique<CPropDb>();
    EXPECT_TRUE(db->Load(file));
    return db;
}

// ---- dump ----

using DumpTest = CommandTest;

TEST_F(DumpTest, ListsTheDefaultSetThenEverySectionInMapOrder) {
    CPropDb db;
    db.WritePropString("", "b", "two words");
    db.WritePropInt("", "a", -5);
    db.WritePropFloat("Z", "f", 1.5f);
    db.WritePropInt("Empty", "gone", 0);
    db.DeleteKey("Empty", "gone");
    db.WritePropBlob("A", "bytes", std::vector<std::uint8_t>{0x00, 0xFF});
    db.WritePropBool("A", "on", 1);
    ASSERT_TRUE(db.Save(m_file));

    EXPECT_EQ(Succeed({"dump", m_file}), "\ta\tint\t-5\n"
                                         "\tb\tstring\ttwo words\n"
                                         "A\tbytes\tblob\t00ff\n"
                                         "A\ton\tbool\t1\n"
                                         "Empty\n"
                                         "Z\tf\tfloat\t1.5\n");
}

TEST_F(DumpTest, EscapesSectionNamesAndKeysSoThatEachLineIsOneRecord) {
    CPropDb db;
    db.WritePropInt("tab\there", "line\nbreak", 1);
    db.WritePropInt("back\\slash", "", 2);
    db.WritePropInt("bell\a", "x", 0);
    db.DeleteKey("bell\a", "x");
    ASSERT_TRUE(db.Save(m_file));

    EXPECT_EQ(Succeed({"dump", m_file}), "back\\\\slash\t\tint\t2\n"
                                         "bell\\x07\n"
                                         "tab\\there\tline\\nbreak\tint\t1\n");
}

// A boolean written over an integer key keeps the integer's class; the type code decides.
TEST_F(DumpTest, ShowsTheKindOfTheTypeCodeNotOfTheClass) {
    CPropDb db;
    db.WritePropInt("", "flag", 1);
    db.WritePropBool("", "flag", 2);
    ASSERT_EQ(&db.GetDefaultSet().GetValues().at("flag")->GetRuntimeClass(),
              &CIntProp::classCIntProp);
    ASSERT_TRUE(db.Save(m_file));

    EXPECT_EQ(Succeed({"dump", m_file}), "\tflag\tbool\t2\n");
}

TEST_F(DumpTest, PrintsNothingForAnEmptyDatabase) {
    CPropDb db;
    ASSERT_TRUE(db.Save(m_file));
    EXPECT_EQ(Succeed({"dump", m_file}), "");
}

// ---- get ----

using GetTest = CommandTest;

TEST_F(GetTest, PrintsTheValueFieldAlone) {
    CPropDb db;
    db.WritePropString("", "name", "a\tb");
    db.WritePropString("tab\there", "name", "in section");
    ASSERT_TRUE(db.Save(m_file));

    EXPECT_EQ(Succeed({"get", m_file, "", "name"}), "a\\tb\n");
    EXPECT_EQ(Succeed({"get", m_file, "tab\\there", "name"}), "in section\n");
}

TEST_F(GetTest, MissingKeyOrSectionFailsWithAMessage) {
    CPropDb db;
    db.WritePropInt("Look", "size", 1);
    ASSERT_TRUE(db.Save(m_file));

    const struct {
        const char* section;
        const char* key;
        std::string message;
    } cases[] = {
        {"Look", "colour", "no key \"colour\" in section \"Look\""},
        {"Feel", "size", "no key \"size\" in section \"Feel\""},
        {"", "size", "no key \"size\" in the default section"},
        {"Look", "a\\nb", "no key \"a\\nb\" in section \"Look\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CommandResult result = Run({"get", m_file, c.section, c.key});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "kestrum-prop: " + m_file + ": " + c.message + "\n");
    }
}

// ---- set ----

using SetTest = CommandTest;

TEST_F(SetTest, EveryKindReadsBackThroughDumpAndTheLibrary) {
    const std::string allBytes = AllBytes();
    const std::string hex =
        ToHex(std::span(reinterpret_cast<const std::uint8_t*>(allBytes.data()), allBytes.size()));
    Succeed({"set", m_file, "", "int", "int", "-2147483648"});
    Succeed({"set", m_file, "", "float", "float", "-0"});
    Succeed({"set", m_file, "", "string", "string", Escape(allBytes)});
    Succeed({"set", m_file, "S", "bool", "bool", "2"});
    Succeed({"set", m_file, "S", "blob", "blob", hex});
    Succeed({"set", m_file, "S", "empty", "blob", ""});

    EXPECT_EQ(Succeed({"dump", m_file}), "\tfloat\tfloat\t-0\n"
                                         "\tint\tint\t-2147483648\n"
                                         "\tstring\tstring\t" +
                                             Escape(allBytes) +
                                             "\n"
                                             "S\tblob\tblob\t" +
                                             hex +
                                             "\n"
                                             "S\tbool\tbool\t2\n"
                                             "S\tempty\tblob\t\n");

    const auto db = Loaded(m_file);
    EXPECT_EQ(db->ReadPropInt("", "int", 0, false), INT32_MIN);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(db->ReadPropFloat("", "float", 1, false)), 0x80000000u);
    EXPECT_EQ(db->ReadPropString("", "string", {}, false), allBytes);
    EXPECT_EQ(db->ReadPropBool("S", "bool", 0, false), 2);
    ASSERT_EQ(db->GetBlobSize("S", "blob"), 256u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(db->ReadPropBlob("S", "blob")), 256),
              allBytes);
    ASSERT_NE(db->ReadPropBlob("S", "empty"), nullptr);
    EXPECT_EQ(db->GetBlobSize("S", "empty"), 0u);
}

// What get prints, set takes back: the text of a float loses no bit (except a NaN's payload).
TEST_F(SetTest, FloatsSurviveGetAndSetBitForBit) {
    const std::uint32_t patterns[] = {0x80000000, 0x7F800000, 0xFF800000,
                                      0x00000001, 0x7F7FFFFF, 0x3DCCCCCD};
    CPropDb db;
    for (std::uint32_t bits : patterns) {
        db.WritePropFloat("", std::to_string(bits), std::bit_cast<float>(bits));
    }
    ASSERT_TRUE(db.Save(m_file));

    for (std::uint32_t bits : patterns) {
        SCOPED_TRACE(bits);
        const std::string key = std::to_string(bits);
        std::string text = Succeed({"get", m_file, "", key});
        ASSERT_FALSE(text.empty());
        text.pop_back(); // the line's end
        Succeed({"set", m_file, "copy", key, "float", text});
        const float copy = Loaded(m_file)->ReadPropFloat("copy", key, 0, false);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(copy), bits);
    }
}

TEST_F(SetTest, NanIsWrittenAndShownAsNan) {
    Succeed({"set", m_file, "", "nan", "float", "nan"});
    Succeed({"set", m_file, "", "negative", "float", "-nan"});
    EXPECT_EQ(Succeed({"dump", m_file}), "\tnan\tfloat\tnan\n\tnegative\tfloat\t-nan\n");
}

TEST_F(SetTest, AMissingFileIsCreatedWithTheOneValue) {
    ASSERT_FALSE(std::filesystem::exists(m_file));
    Succeed({"set", m_file, "", "k", "int", "7"});

    const auto db = Loaded(m_file);
    EXPECT_EQ(db->ReadPropInt("", "k", 0, false), 7);
    EXPECT_EQ(db->GetDefaultSet().GetValues().size(), 1u);
    EXPECT_TRUE(db->GetSections().empty());
    EXPECT_EQ(db->GetModuleName(), ModuleFileName());
}

TEST_F(SetTest, ReplacesAValueOfAnotherKindAndKeepsTheRest) {
    CPropDb db;
    db.WritePropString("S", "k", "text");
    db.WritePropInt("S", "other", 3);
    db.WritePropInt("T", "x", 4);
    ASSERT_TRUE(db.Save(m_file));

    Succeed({"set", m_file, "S", "k", "float", "0.25"});
    EXPECT_EQ(Succeed({"dump", m_file}), "S\tk\tfloat\t0.25\n"
                                         "S\tother\tint\t3\n"
                                         "T\tx\tint\t4\n");
}

// ---- delete ----

using DeleteTest = CommandTest;

TEST_F(DeleteTest, RemovesTheKeyAndLeavesItsSectionInPlace) {
    CPropDb db;
    db.WritePropInt("", "keep", 1);
    db.WritePropInt("", "drop", 2);
    db.WritePropInt("S", "last", 3);
    ASSERT_TRUE(db.Save(m_file));

    Succeed({"delete", m_file, "", "drop"});
    Succeed({"delete", m_file, "S", "last"});
    EXPECT_EQ(Succeed({"dump", m_file}), "\tkeep\tint\t1\nS\n");
}

TEST_F(DeleteTest, AMissingKeyFailsAndLeavesTheFileAlone) {
    CPropDb db;
    db.WritePropInt("S", "k", 1);
    ASSERT_TRUE(db.Save(m_file));
    const auto before = ReadBytes(m_file);

    const CommandResult result = Run({"delete", m_file, "S", "other"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "kestrum-prop: " + m_file + ": no key \"other\" in section \"S\"\n");
    EXPECT_EQ(ReadBytes(m_file), before);
}

TEST_F(DeleteTest, AMissingFileFailsWithoutCreatingIt) {
    const CommandResult result = Run({"delete", m_file, "", "k"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "kestrum-prop: " + m_file + ": no key \"k\" in the default section\n");
    EXPECT_FALSE(std::filesystem::exists(m_file));
}

} // namespace
} // namespace kestrum::tool::test
