#include "testsupport.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>

#include <bit>
#include <limits>

namespace kestrum::test {
namespace {

using Cause = CArchiveException::Cause;

Bytes StoredString(const std::string& text) {
    Bytes bytes;
    CArchive ar(bytes);
    ar.WriteString(text);
    return bytes;
}

std::string LoadedString(const Bytes& bytes) {
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    return ar.ReadString();
}

TEST(ArchiveString, ChoosesTheShortestLengthFormAtEachBoundary) {
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        const Bytes bytes = StoredString(text);
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_TRUE(SameBytes(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix));
        EXPECT_EQ(LoadedString(bytes), text);
    }
}

TEST(ArchiveString, ReadsLongerFormsThanNeededAndKeepsEveryByte) {
    EXPECT_EQ(LoadedString(Concat({{0xFF, 0x03, 0x00}, Text("abc")})), "abc");
    EXPECT_EQ(LoadedString(Concat({{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00}, Text("ab")})), "ab");
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    EXPECT_EQ(LoadedString(StoredString(everyByte)), everyByte);
}

TEST(ArchiveString, ConvertsSixteenBitCharactersToUtf8) {
    // "hé" followed by U+1F600 as a surrogate pair, then a lone high surrogate.
    const Bytes wide = {0xFF, 0xFE, 0xFF, 0x05, 'h',  0x00, 0xE9,
                        0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8};
    EXPECT_EQ(LoadedString(wide), "h\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD");
    // The character count may take the longer forms too.
    EXPECT_EQ(LoadedString({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'A', 0x00}), "A");
    EXPECT_TRUE(RaisesCause(
        [] {
            LoadedString({0xFF, 0xFE, 0xFF, 0x03, 'A', 0x00});
        },
        Cause::EndOfData));
}

TEST(ArchiveString, LengthBeyondTheDataIsEndOfDataBeforeAnyAllocation) {
    EXPECT_TRUE(RaisesCause([] { LoadedString({0x05, 'a', 'b'}); }, Cause::EndOfData));
    EXPECT_TRUE(RaisesCause(
        [] {
            LoadedString({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
        },
        Cause::EndOfData));
    EXPECT_TRUE(RaisesCause([] { LoadedString({0xFF, 0x10}); }, Cause::EndOfData));
}

TEST(ArchiveCount, UsesTheLongFormFrom65535) {
    auto stored = [](std::size_t count) {
        Bytes bytes;
        CArchive ar(bytes);
        ar.WriteCount(count);
        return bytes;
    };
    EXPECT_TRUE(SameBytes(stored(65534), {0xFE, 0xFF}));
    EXPECT_TRUE(SameBytes(stored(65535), {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_TRUE(SameBytes(stored(0), {0x00, 0x00}));

    for (std::size_t count : {std::size_t{65534}, std::size_t{65535}}) {
        Bytes bytes = stored(count);
        bytes.resize(bytes.size() + count); // every element takes at least one byte
        CArchive ar{std::span<const std::uint8_t>(bytes)};
        EXPECT_EQ(ar.ReadCount(), count);
    }
}

TEST(ArchiveCount, CountBeyondTheDataIsEndOfData) {
    const Bytes bytes = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40, 1, 2, 3};
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    EXPECT_TRUE(RaisesCause([&] { ar.ReadCount(); }, Cause::EndOfData));
}

TEST(ArchiveWords, AreLittleEndianAndFloatsKeepEveryBit) {
    Bytes bytes;
    CArchive out(bytes);
    out.WriteWord(0x0102);
    out.WriteDWord(0x03040506);
    out.WriteInt(-2);
    const std::uint32_t floats[] = {0x80000000, 0x7F800000, 0xFF800000, 0x7FC00001, 0x00000001};
    for (std::uint32_t bits : floats) {
        out.WriteFloat(std::bit_cast<float>(bits));
    }
    EXPECT_TRUE(SameBytes(Bytes(bytes.begin(), bytes.begin() + 10),
                          {0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 0xFE, 0xFF, 0xFF, 0xFF}));

    CArchive in{std::span<const std::uint8_t>(bytes)};
    EXPECT_EQ(in.ReadWord(), 0x0102);
    EXPECT_EQ(in.ReadDWord(), 0x03040506u);
    EXPECT_EQ(in.ReadInt(), -2);
    for (std::uint32_t bits : floats) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(in.ReadFloat()), bits);
    }
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_TRUE(RaisesCause([&] { in.ReadByte(); }, Cause::EndOfData));
}

TEST(ArchiveRead, TakesWhatIsAvailable) {
    const Bytes bytes = {1, 2, 3};
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    std::uint8_t buffer[5] = {};
    EXPECT_EQ(ar.Read(buffer), 3u);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(ar.Read(buffer), 0u);
}

// A set of one CIntProp, one CStringProp and another of each: classes and objects share one
// index sequence, so the second ones refer to classes 1 and 3.
TEST(ArchiveTags, SecondObjectOfAClassRefersToItsIndex) {
    CPropSet set;
    set.WritePropInt("a", 1);
    set.WritePropString("b", "x");
    set.WritePropInt("c", 2);
    set.WritePropString("d", "y");
    const Bytes expected = Concat({
        Counted("None"),
        Counted(""),
        {0x04, 0x00},
        Counted("a"),
        {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00},
        Text("CIntProp"),
        {0, 0, 0, 0, 1, 0, 0, 0},
        Counted("b"),
        {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00},
        Text("CStringProp"),
        {2, 0, 0, 0},
        Counted("x"),
        Counted("c"),
        {0x01, 0x80, 0, 0, 0, 0, 2, 0, 0, 0},
        Counted("d"),
        {0x03, 0x80, 2, 0, 0, 0},
        Counted("y"),
    });
    EXPECT_TRUE(SameBytes(Stored(set), expected));
}

// Once a class's index reaches 0x7FFF, references to it take the long form.
TEST(ArchiveTags, LongFormForClassIndexesFrom0x7FFF) {
    CPropSet set;
    constexpr int kInts = 40000;
    for (int i = 0; i < kInts; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "a%05d", i);
        set.WritePropInt(key, i);
    }
    set.WritePropString("b1", "one");
    set.WritePropString("b2", "two");
    const Bytes bytes = Stored(set);
    // CIntProp is index 1, the ints take 2 to 40001, CStringProp 40002, "b1" 40003.
    const std::uint32_t classIndex = 40002;
    const Bytes tail = Concat({Counted("b2"),
                               {0xFF, 0x7F},
                               {static_cast<std::uint8_t>(classIndex),
                                static_cast<std::uint8_t>(classIndex >> 8), 0x00, 0x80},
                               {2, 0, 0, 0},
                               Counted("two")});
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_TRUE(SameBytes(Bytes(bytes.end() - static_cast<long>(tail.size()), bytes.end()), tail));

    CPropSet loaded;
    LoadInto(loaded, bytes);
    EXPECT_EQ(loaded.ReadPropString("b2", "", false), "two");
    EXPECT_EQ(loaded.ReadPropInt("a39999", 0, false), 39999);
    EXPECT_EQ(loaded.GetValues().size(), std::size_t{kInts + 2});
}

// A set body whose only value is the given object bytes.
Bytes SetWithValue(const Bytes& object) {
    return Concat({Counted("None"), Counted(""), {0x01, 0x00}, Counted("k"), object});
}

::testing::AssertionResult SetLoadRaises(const Bytes& bytes, Cause cause) {
    return RaisesCause(
        [&] {
            CPropSet set;
            LoadInto(set, bytes);
        },
        cause);
}

TEST(ArchiveObjects, RefusesClassesTheRegistryDoesNotHold) {
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass("CFooProp")), Cause::BadClass));
    // Case matters: persisted names are compared byte for byte.
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass("cintprop")), Cause::BadClass));
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass(std::string(64, 'C'))), Cause::BadClass));
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass(std::string(63, 'C'))), Cause::BadClass));
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass("CIntProp", 2)), Cause::BadSchema));
}

TEST(ArchiveObjects, RefusesTagsThatNameNoClass) {
    const Bytes intValue = {0, 0, 0, 0, 7, 0, 0, 0};
    // No object, and references to objects: nothing we write, no place to put them.
    EXPECT_TRUE(SetLoadRaises(SetWithValue({0x00, 0x00}), Cause::BadIndex));
    EXPECT_TRUE(SetLoadRaises(SetWithValue({0x01, 0x00}), Cause::BadIndex));
    EXPECT_TRUE(SetLoadRaises(SetWithValue({0xFF, 0x7F, 0x02, 0x00, 0x00, 0x00}), Cause::BadIndex));
    // A class reference before any class, and one to the index of an object.
    EXPECT_TRUE(SetLoadRaises(SetWithValue({0x01, 0x80}), Cause::BadIndex));
    const Bytes twoValues = Concat({Counted("None"),
                                    Counted(""),
                                    {0x02, 0x00},
                                    Counted("a"),
                                    NewClass("CIntProp"),
                                    intValue,
                                    Counted("b"),
                                    {0x02, 0x80},
                                    intValue});
    EXPECT_TRUE(SetLoadRaises(twoValues, Cause::BadIndex));
}

TEST(ArchiveObjects, ReadsTheLongFormOfAClassReference) {
    const Bytes intValue = {0, 0, 0, 0, 7, 0, 0, 0};
    const Bytes bytes = Concat({Counted("None"),
                                Counted(""),
                                {0x02, 0x00},
                                Counted("a"),
                                NewClass("CIntProp"),
                                intValue,
                                Counted("b"),
                                {0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80},
                                intValue});
    CPropSet set;
    LoadInto(set, bytes);
    EXPECT_EQ(set.ReadPropInt("b", 0, false), 7);
}

TEST(ArchiveObjects, RefusesAClassWhereItDoesNotBelong) {
    const Bytes emptySet = Concat({Counted("None"), Counted(""), {0x00, 0x00}});
    EXPECT_TRUE(
        SetLoadRaises(SetWithValue(Concat({NewClass("CPropSet"), emptySet})), Cause::BadClass));
    EXPECT_TRUE(SetLoadRaises(SetWithValue(NewClass("CPropDb")), Cause::BadClass));
    // An object value cannot be rebuilt: its saved form does not name the object's class.
    EXPECT_TRUE(
        SetLoadRaises(SetWithValue(Concat({NewClass("CObjProp"), {5, 0, 0, 0}})), Cause::BadClass));

    const Bytes dbWithIntSection = Concat({Counted("x"),
                                           Counted(""),
                                           {1, 0, 0, 0, 0, 0, 0, 0},
                                           emptySet,
                                           {0x01, 0x00},
                                           Counted("S"),
                                           NewClass("CIntProp"),
                                           {0, 0, 0, 0, 1, 0, 0, 0}});
    EXPECT_TRUE(RaisesCause(
        [&] {
            CPropDb db;
            LoadInto(db, dbWithIntSection);
        },
        Cause::BadClass));
}

TEST(ArchiveObjects, BlobSizeBeyondTheDataIsEndOfData) {
    EXPECT_TRUE(SetLoadRaises(
        SetWithValue(Concat({NewClass("CBlobProp"), {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2}})),
        Cause::EndOfData));
    // Cut short at the very end of the data: refused as well, never half-filled.
    EXPECT_TRUE(
        SetLoadRaises(SetWithValue(Concat({NewClass("CBlobProp"), {4, 0, 0, 0, 3, 0, 0, 0, 1, 2}})),
                      Cause::EndOfData));
}

TEST(ArchiveObjects, AHugeCountInATinyFileIsEndOfData) {
    const Bytes bytes =
        Concat({Counted("None"), Counted(""), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Text("ab")});
    EXPECT_TRUE(SetLoadRaises(bytes, Cause::EndOfData));
}

} // namespace
} // namespace kestrum::test
