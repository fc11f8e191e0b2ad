#include "testsupport.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/util/modulefilename.h>

#include <unistd.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kestrum::test {
namespace {

const Bytes kIntTag = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Text("CIntProp")});
const Bytes kBoolTag = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Text("CBoolProp")});
const Bytes kForty = {0x28, 0x00, 0x00, 0x00};
const Bytes kHeader = Concat({Counted("C:\\Apps\\Orvo.exe"),
                              Counted(""),
                              {1, 0, 0, 0, 0, 0, 0, 0},
                              Counted("None"),
                              Counted(""),
                              {0x03, 0x00}});

// The published example file, its pairs in the order LeftMargin, AntiAlias, RightMargin.
const Bytes kExampleBody = Concat({kHeader,
                                   Counted("LeftMargin"),
                                   kIntTag,
                                   {0, 0, 0, 0},
                                   kForty,
                                   Counted("AntiAlias"),
                                   kBoolTag,
                                   {3, 0, 0, 0, 1, 0, 0, 0},
                                   Counted("RightMargin"),
                                   {0x01, 0x80, 0, 0, 0, 0},
                                   kForty});
// The same database as our sorted map writes it: AntiAlias first, so CBoolProp takes index 1
// and CIntProp index 3.
const Bytes kSortedBody = Concat({kHeader,
                                  Counted("AntiAlias"),
                                  kBoolTag,
                                  {3, 0, 0, 0, 1, 0, 0, 0},
                                  Counted("LeftMargin"),
                                  kIntTag,
                                  {0, 0, 0, 0},
                                  kForty,
                                  Counted("RightMargin"),
                                  {0x03, 0x80, 0, 0, 0, 0},
                                  kForty});
const Bytes kNoSections = {0x00, 0x00};
const Bytes kLookSection = Concat({{0x01, 0x00},
                                   Counted("Look"),
                                   {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00},
                                   Text("CPropSet"),
                                   Counted("None"),
                                   Counted("Look"),
                                   {0x01, 0x00},
                                   Counted("ImgName"),
                                   {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00},
                                   Text("CStringProp"),
                                   {2, 0, 0, 0},
                                   Counted("sub")});

void ExpectExampleValues(CPropDb& db) {
    EXPECT_EQ(db.GetModuleName(), "C:\\Apps\\Orvo.exe");
    EXPECT_EQ(db.ReadPropInt("", "LeftMargin", 0, false), 40);
    EXPECT_EQ(db.ReadPropBool("", "AntiAlias", 0, false), 1);
    EXPECT_EQ(db.GetType("", "AntiAlias"), kPropBool);
    EXPECT_EQ(db.ReadPropInt("", "RightMargin", 0, false), 40);
    EXPECT_EQ(db.GetDefaultSet().GetValues().size(), 3u);
}

TEST(PropDbExample, ArchiveWritesThePublishedBytesInThePublishedOrder) {
    CIntProp left;
    left.m_nType = kPropInt;
    left.SetInt(40);
    CBoolProp anti;
    anti.m_nType = kPropBool;
    anti.SetInt(1);
    CIntProp right = left;
    Bytes bytes;
    CArchive ar(bytes);
    ar.WriteString("C:\\Apps\\Orvo.exe");
    ar.WriteString("");
    ar.WriteDWord(1);
    ar.WriteDWord(0);
    ar.WriteString("None");
    ar.WriteString("");
    ar.WriteCount(3);
    ar.WriteString("LeftMargin");
    ar.WriteObject(left);
    ar.WriteString("AntiAlias");
    ar.WriteObject(anti);
    ar.WriteString("RightMargin");
    ar.WriteObject(right);
    ar.WriteCount(0);
    const Bytes expected = Concat({kExampleBody, kNoSections});
    EXPECT_EQ(expected.size(), 124u);
    EXPECT_TRUE(SameBytes(bytes, expected));
}

TEST(PropDbExample, LoadsThePublishedFileAndWritesItInMapOrder) {
    CPropDb db;
    LoadInto(db, Concat({kExampleBody, kNoSections}));
    ExpectExampleValues(db);
    EXPECT_FALSE(db.IsSet("Look"));
    EXPECT_TRUE(SameBytes(Stored(db), Concat({kSortedBody, kNoSections})));
}

TEST(PropDbExample, WithALookSectionItIs188Bytes) {
    const Bytes published = Concat({kExampleBody, kLookSection});
    EXPECT_EQ(published.size(), 188u);
    CPropDb db;
    LoadInto(db, published);
    ExpectExampleValues(db);
    ASSERT_TRUE(db.IsSet("Look"));
    EXPECT_EQ(db.GetSections().at("Look")->GetName(), "Look");
    EXPECT_EQ(db.ReadPropString("Look", "ImgName", "", false), "sub");
    EXPECT_TRUE(SameBytes(Stored(db), Concat({kSortedBody, kLookSection})));
}

TEST(PropDbExample, BuiltThroughTheInterfaceGivesTheSameBytes) {
    CPropDb db;
    LoadInto(db, Concat({kExampleBody, kNoSections})); // only for its module name
    db.DeleteAll();
    db.WritePropInt("", "LeftMargin", 40);
    db.WritePropBool("", "AntiAlias", 1);
    db.WritePropInt("", "RightMargin", 40);
    db.WritePropString("Look", "ImgName", "sub");
    EXPECT_TRUE(SameBytes(Stored(db), Concat({kSortedBody, kLookSection})));
}

TEST(PropDbSections, ReadsCreateANamedSectionOnlyWithCreate) {
    CPropDb db;
    EXPECT_TRUE(db.IsSet(""));
    EXPECT_EQ(db.ReadPropInt("", "LeftMargin", 50, true), 50);
    EXPECT_EQ(db.GetType("", "LeftMargin"), kPropInt);

    EXPECT_EQ(db.ReadPropInt("Look", "LeftMargin", 50, false), 50);
    EXPECT_EQ(db.GetType("Look", "LeftMargin"), kPropNone);
    EXPECT_FALSE(db.IsKey("Look", "LeftMargin"));
    EXPECT_EQ(db.ReadPropBlob("Look", "Font"), nullptr);
    EXPECT_EQ(db.ReadPropObj("Look", "Info"), nullptr);
    EXPECT_FALSE(db.IsSet("Look"));

    const std::string def = "x";
    EXPECT_EQ(&db.ReadPropString("Look", "Name", def, true), &def);
    ASSERT_TRUE(db.IsSet("Look"));
    EXPECT_EQ(db.GetSections().at("Look")->GetName(), "Look");
    EXPECT_EQ(db.ReadPropString("Look", "Name", "", false), "x");
    EXPECT_FALSE(db.IsSet("look"));
}

TEST(PropDbSections, AnEmptiedSectionStaysAndIsSavedWithNoKeys) {
    CPropDb db;
    db.WritePropInt("S", "k", 1);
    db.DeleteKey("S", "k");
    db.DeleteKey("Missing", "k");
    EXPECT_TRUE(db.IsSet("S"));
    EXPECT_FALSE(db.IsSet("Missing"));
    const Bytes bytes = Stored(db);
    const Bytes tail = Concat({{0x01, 0x00},
                               Counted("S"),
                               NewClass("CPropSet"),
                               Counted("None"),
                               Counted("S"),
                               {0x00, 0x00}});
    EXPECT_TRUE(SameBytes(Bytes(bytes.end() - static_cast<long>(tail.size()), bytes.end()), tail));
    CPropDb loaded;
    LoadInto(loaded, bytes);
    EXPECT_TRUE(loaded.IsSet("S"));
    EXPECT_TRUE(loaded.GetSections().at("S")->GetValues().empty());
}

// A file may carry set names that differ from their sections (written by another program, or
// edited); a write to the section gives the set its section's name back, a read does not.
TEST(PropDbSections, EveryWriteNamesTheSetAfterItsSection) {
    const Bytes strayNames = Concat({Counted("M"),
                                     Counted(""),
                                     {1, 0, 0, 0, 0, 0, 0, 0},
                                     Counted("None"),
                                     Counted("Stray"),
                                     {0x00, 0x00},
                                     {0x01, 0x00},
                                     Counted("Look"),
                                     NewClass("CPropSet"),
                                     Counted("None"),
                                     Counted("Other"),
                                     {0x00, 0x00}});
    const std::vector<std::pair<const char*, std::function<void(CPropDb&)>>> writes = {
        {"int", [](CPropDb& db) { db.WritePropInt("Look", "k", 1); }},
        {"float", [](CPropDb& db) { db.WritePropFloat("Look", "k", 1.0f); }},
        {"string", [](CPropDb& db) { db.WritePropString("Look", "k", "v"); }},
        {"bool", [](CPropDb& db) { db.WritePropBool("Look", "k", 1); }},
        {"blob", [](CPropDb& db) { db.WritePropBlob("Look", "k", Bytes{1}); }},
        {"object", [](CPropDb& db) { db.WritePropObj("Look", "k", std::make_unique<CPropSet>()); }},
    };
    for (const auto& [kind, write] : writes) {
        SCOPED_TRACE(kind);
        CPropDb db;
        LoadInto(db, strayNames);
        const CPropSet& look = *db.GetSections().at("Look");
        EXPECT_EQ(db.ReadPropInt("Look", "r", 0, true), 0);
        EXPECT_EQ(look.GetName(), "Other") << "a read with create writes through the set";
        write(db);
        EXPECT_EQ(look.GetName(), "Look");
        EXPECT_EQ(db.GetDefaultSet().GetName(), "Stray");
    }
    CPropDb db;
    LoadInto(db, strayNames);
    db.WritePropInt("", "k", 1);
    EXPECT_EQ(db.GetDefaultSet().GetName(), "");
}

TEST(PropDbLoad, ACutFileKeepsWhatWasReadBeforeTheError) {
    const Bytes whole = Concat({kSortedBody, kLookSection});
    // Cut inside RightMargin's value: the first two pairs are complete.
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(kSortedBody.size()) - 2);
    CPropDb db;
    EXPECT_TRUE(RaisesCause([&] { LoadInto(db, cut); }, CArchiveException::Cause::EndOfData));
    EXPECT_EQ(db.ReadPropBool("", "AntiAlias", 0, false), 1);
    EXPECT_EQ(db.ReadPropInt("", "LeftMargin", 0, false), 40);
    EXPECT_FALSE(db.IsKey("", "RightMargin"));
}

TEST(PropDbLoad, BytesAfterTheBodyAreIgnored) {
    CPropDb db;
    LoadInto(db, Concat({kExampleBody, kNoSections, Text("trailing")}));
    ExpectExampleValues(db);
}

TEST(PropDbLoad, DeleteAllKeepsTheModuleName) {
    CPropDb db;
    EXPECT_EQ(db.GetModuleName(), "None");
    LoadInto(db, Concat({kExampleBody, kLookSection}));
    db.DeleteAll();
    EXPECT_FALSE(db.IsSet("Look"));
    EXPECT_TRUE(db.GetDefaultSet().GetValues().empty());
    EXPECT_EQ(db.GetModuleName(), "C:\\Apps\\Orvo.exe");
}

// Two databases that differ in every part a move or swap must carry: values, sections, module
// name (from the file) and extension.
CPropDb Example() {
    CPropDb db;
    LoadInto(db, Concat({kExampleBody, kLookSection}));
    return db;
}

CPropDb Other() {
    CPropDb db;
    db.SetExtension("other");
    db.WritePropString("Paths", "Last", "film.txt");
    return db;
}

TEST(PropDbMove, ConstructionTakesEverything) {
    CPropDb source = Example();
    const Bytes before = Stored(source);
    const std::string defaultFile = source.GetDefaultFileName();
    CPropDb moved(std::move(source));
    ExpectExampleValues(moved);
    EXPECT_TRUE(moved.IsSet("Look"));
    EXPECT_EQ(moved.GetModuleName(), "C:\\Apps\\Orvo.exe");
    EXPECT_EQ(moved.GetDefaultFileName(), defaultFile);
    EXPECT_TRUE(SameBytes(Stored(moved), before));
}

TEST(PropDbMove, AssignmentReplacesWhatWasThere) {
    CPropDb target = Other();
    CPropDb source = Example();
    const Bytes expected = Stored(source);
    target = std::move(source);
    EXPECT_FALSE(target.IsSet("Paths"));
    EXPECT_TRUE(SameBytes(Stored(target), expected));
    // A moved-from database can be given new contents.
    source = Other();
    EXPECT_TRUE(source.IsSet("Paths"));
}

TEST(PropDbMove, SwapExchangesEveryPart) {
    CPropDb first = Example();
    CPropDb second = Other();
    const Bytes firstBytes = Stored(first);
    const Bytes secondBytes = Stored(second);
    const std::string firstFile = first.GetDefaultFileName();
    const std::string secondFile = second.GetDefaultFileName();
    first.Swap(second);
    EXPECT_TRUE(SameBytes(Stored(first), secondBytes));
    EXPECT_TRUE(SameBytes(Stored(second), firstBytes));
    EXPECT_EQ(first.GetDefaultFileName(), secondFile);
    EXPECT_EQ(second.GetDefaultFileName(), firstFile);
    EXPECT_EQ(first.ReadPropString("Paths", "Last", "", false), "film.txt");
    ExpectExampleValues(second);
}

// The default file lies beside the program: here, beside the test executable in the build
// tree. An extension of the test's own keeps parallel runs apart.
class PropDbDefaultFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_extension = "test" + std::to_string(getpid());
        m_path = ModuleFileName() + "." + m_extension;
        std::filesystem::remove(m_path);
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::string m_extension;
    std::string m_path;
};

TEST_F(PropDbDefaultFile, IsTheProgramsPathWithTheExtension) {
    CPropDb db;
    db.SetExtension(m_extension);
    EXPECT_EQ(db.GetDefaultFileName(), m_path);
    CPropDb plain;
    EXPECT_EQ(plain.GetDefaultFileName(), ModuleFileName() + ".cfg");
}

TEST_F(PropDbDefaultFile, SaveAndLoadRoundTripEverySectionKeyAndKind) {
    CPropDb db;
    db.SetExtension(m_extension);
    db.WritePropInt("", "i", -5);
    db.WritePropFloat("", "f", 2.5f);
    db.WritePropString("Look", "s", "text");
    db.WritePropBool("Look", "b", 2);
    db.WritePropBlob("Raw", "x", Bytes{1, 2, 3});
    db.WritePropInt("Empty", "gone", 0);
    db.DeleteKey("Empty", "gone");
    ASSERT_TRUE(db.Save(""));
    EXPECT_EQ(db.GetModuleName(), ModuleFileName());
    ASSERT_TRUE(std::filesystem::exists(m_path));

    CPropDb loaded;
    loaded.SetExtension(m_extension);
    ASSERT_TRUE(loaded.Load(""));
    EXPECT_EQ(loaded.GetModuleName(), ModuleFileName());
    EXPECT_EQ(loaded.ReadPropInt("", "i", 0, false), -5);
    EXPECT_EQ(loaded.ReadPropFloat("", "f", 0, false), 2.5f);
    EXPECT_EQ(loaded.ReadPropString("Look", "s", "", false), "text");
    EXPECT_EQ(loaded.ReadPropBool("Look", "b", 0, false), 2);
    ASSERT_EQ(loaded.GetBlobSize("Raw", "x"), 3u);
    EXPECT_TRUE(loaded.IsSet("Empty"));
    EXPECT_TRUE(SameBytes(Stored(loaded), Stored(db)));
}

TEST_F(PropDbDefaultFile, LoadOfAMissingFileEmptiesTheDatabase) {
    CPropDb db;
    db.SetExtension(m_extension);
    db.WritePropInt("", "k", 1);
    db.WritePropInt("S", "k", 1);
    EXPECT_FALSE(db.Load(""));
    EXPECT_FALSE(db.IsKey("", "k"));
    EXPECT_FALSE(db.IsSet("S"));
    EXPECT_EQ(db.ReadPropInt("", "k", 7, true), 7);
}

} // namespace
} // namespace kestrum::test
