// Writes the seed files of fuzz/corpus/ into the folder named on the command line: database
// and set files that the writer makes, and hand-made ones in the forms that only files from
// elsewhere hold (long length and count forms, strings of 16-bit characters, the long tag).
#include <kestrum/propstore/carchive.h>
#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using kestrum::CArchive;

template <class Prop>
Prop WordProp(int type, std::uint32_t word) {
    Prop prop;
    prop.m_nType = type;
    prop.m_word = word;
    return prop;
}

// The new-class tag, for objects whose tag or body is made by hand.
void WriteNewClassTag(CArchive& ar, std::string_view name) {
    ar.WriteWord(0xFFFF);
    ar.WriteWord(1);
    ar.WriteWord(static_cast<std::uint16_t>(name.size()));
    ar.Write(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
}

template <class Body>
Bytes Saved(Body& body) {
    Bytes bytes;
    CArchive ar(bytes);
    body.Serialize(ar);
    return bytes;
}

// The worked example database up to its sections, keys in the order of its table (not our map
// order), so that the third value is tagged 0x8001.
void WriteWorkedExampleUpToSections(CArchive& ar) {
    ar.WriteString("C:\\Apps\\Orvo.exe");
    ar.WriteString("");
    ar.WriteDWord(1);
    ar.WriteDWord(0);
    ar.WriteString("None");
    ar.WriteString("");
    ar.WriteCount(3);
    auto left = WordProp<kestrum::CIntProp>(kestrum::kPropInt, 40);
    auto antiAlias = WordProp<kestrum::CBoolProp>(kestrum::kPropBool, 1);
    auto right = WordProp<kestrum::CIntProp>(kestrum::kPropInt, 40);
    ar.WriteString("LeftMargin");
    ar.WriteObject(left);
    ar.WriteString("AntiAlias");
    ar.WriteObject(antiAlias);
    ar.WriteString("RightMargin");
    ar.WriteObject(right);
}

Bytes WorkedExample() {
    Bytes bytes;
    CArchive ar(bytes);
    WriteWorkedExampleUpToSections(ar);
    ar.WriteCount(0);
    return bytes;
}

Bytes WorkedExampleWithSection() {
    Bytes bytes;
    CArchive ar(bytes);
    WriteWorkedExampleUpToSections(ar);
    ar.WriteCount(1);
    kestrum::CPropSet look;
    look.SetName("Look");
    look.WritePropString("ImgName", "sub");
    ar.WriteString("Look");
    ar.WriteObject(look);
    return bytes;
}

// Every kind of value; section is empty for a set and names the section for a database.
template <class Store, class... Section>
void WriteEveryKind(Store& store, Section... section) {
    const std::uint8_t blob[] = {0x00, 0xFF, 0x10, 0x80};
    store.WritePropInt(section..., "Int", -7);
    store.WritePropFloat(section..., "Float", 1.5F);
    store.WritePropString(section..., "String", "text");
    store.WritePropString(section..., "Empty", "");
    store.WritePropBool(section..., "Bool", 1);
    store.WritePropBlob(section..., "Blob", blob);
    store.WritePropBlob(section..., "EmptyBlob", {});
    // An integer key written as a boolean keeps its class and carries code 3.
    store.WritePropInt(section..., "IntAsBool", 5);
    store.WritePropBool(section..., "IntAsBool", 2);
}

Bytes SetEveryKind() {
    kestrum::CPropSet set;
    WriteEveryKind(set);
    return Saved(set);
}

// Every kind in the default set and in a section.
Bytes DbEveryKind() {
    kestrum::CPropDb db;
    WriteEveryKind(db, "");
    WriteEveryKind(db, "Kinds");
    return Saved(db);
}

// Several sections whose values share classes across sets, and one emptied section.
Bytes DbSections() {
    kestrum::CPropDb db;
    db.WritePropInt("", "Count", 3);
    db.WritePropString("Look", "ImgName", "sub");
    db.WritePropInt("Look", "Width", 720);
    db.WritePropFloat("Look", "Scale", 0.75F);
    db.WritePropInt("Paths", "Start", 1);
    db.WritePropString("Paths", "Folder", "/home/a/subs");
    db.WritePropBool("Emptied", "Gone", 1);
    db.DeleteKey("Emptied", "Gone");
    return Saved(db);
}

Bytes DbEmpty() {
    kestrum::CPropDb db;
    return Saved(db);
}

Bytes SetEmpty() {
    kestrum::CPropSet set;
    return Saved(set);
}

// Strings around the switch from the 1-byte to the 3-byte length form.
Bytes SetLongStrings() {
    kestrum::CPropSet set;
    set.WritePropString("Len254", std::string(254, 'a'));
    set.WritePropString("Len255", std::string(255, 'b'));
    set.WritePropString("Len300", std::string(300, 'c'));
    set.WritePropString(std::string(255, 'k'), "long key");
    return Saved(set);
}

// The 7-byte length form (0xFF, 0xFFFF, 32-bit length) used for short strings: our writer
// keeps it for 65534 bytes and more, but a reader takes it at any length.
Bytes SetLongLengthForm() {
    Bytes bytes;
    CArchive ar(bytes);
    auto writeLongForm = [&](std::string_view text) {
        ar.WriteByte(0xFF);
        ar.WriteWord(0xFFFF);
        ar.WriteDWord(static_cast<std::uint32_t>(text.size()));
        ar.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    writeLongForm("None");
    writeLongForm("");
    ar.WriteCount(1);
    writeLongForm("Key");
    WriteNewClassTag(ar, "CStringProp");
    ar.WriteInt(kestrum::kPropString);
    writeLongForm("value");
    return bytes;
}

// A count in the long form (0xFFFF, then 32 bits) although it is small.
Bytes SetLongCount() {
    Bytes bytes;
    CArchive ar(bytes);
    ar.WriteString("None");
    ar.WriteString("");
    ar.WriteWord(0xFFFF);
    ar.WriteDWord(2);
    auto first = WordProp<kestrum::CIntProp>(kestrum::kPropInt, 1);
    auto second = WordProp<kestrum::CFloatProp>(kestrum::kPropFloat, 0x40490FDB);
    ar.WriteString("A");
    ar.WriteObject(first);
    ar.WriteString("B");
    ar.WriteObject(second);
    return bytes;
}

void WriteWideString(CArchive& ar, const std::vector<std::uint16_t>& units) {
    ar.WriteByte(0xFF);
    ar.WriteWord(0xFFFE);
    if (units.size() < 0xFF) {
        ar.WriteByte(static_cast<std::uint8_t>(units.size()));
    } else {
        ar.WriteByte(0xFF);
        ar.WriteWord(static_cast<std::uint16_t>(units.size()));
    }
    for (std::uint16_t unit : units) {
        ar.WriteWord(unit);
    }
}

// Strings of 16-bit characters: non-ASCII letters, a surrogate pair, a lone surrogate, and
// one long enough for the 3-byte length form.
Bytes SetWideStrings() {
    Bytes bytes;
    CArchive ar(bytes);
    WriteWideString(ar, {'N', 'o', 'n', 'e'});
    WriteWideString(ar, {});
    ar.WriteCount(2);
    WriteWideString(ar, {'G', 'r', 0x00FC, 0x00DF, 'e', ' ', 0x20AC, 0xD83D, 0xDE00, 0xD800});
    WriteNewClassTag(ar, "CStringProp");
    ar.WriteInt(kestrum::kPropString);
    WriteWideString(ar, {'s', 'u', 'b'});
    ar.WriteString("Long");
    ar.WriteWord(0x8001);
    ar.WriteInt(kestrum::kPropString);
    WriteWideString(ar, std::vector<std::uint16_t>(300, 0x00E9));
    return bytes;
}

// A class reference in the long form (0x7FFF, then 0x80000000 + index), which our writer
// keeps for indexes of 0x7FFF and more.
Bytes SetLongTag() {
    Bytes bytes;
    CArchive ar(bytes);
    ar.WriteString("None");
    ar.WriteString("");
    ar.WriteCount(2);
    auto first = WordProp<kestrum::CIntProp>(kestrum::kPropInt, 10);
    ar.WriteString("A");
    ar.WriteObject(first);
    ar.WriteString("B");
    ar.WriteWord(0x7FFF);
    ar.WriteDWord(0x80000001);
    auto second = WordProp<kestrum::CIntProp>(kestrum::kPropInt, 20);
    second.Serialize(ar);
    return bytes;
}

// Values our writer never pairs this way: a bare CProp, codes that do not match the class, a
// boolean of 2, and a key that occurs twice (the later value wins).
Bytes SetOddClasses() {
    Bytes bytes;
    CArchive ar(bytes);
    ar.WriteString("None");
    ar.WriteString("Odd");
    ar.WriteCount(5);
    kestrum::CProp bare;
    auto floatAsInt = WordProp<kestrum::CFloatProp>(kestrum::kPropInt, 7);
    auto intAsBool = WordProp<kestrum::CIntProp>(kestrum::kPropBool, 2);
    auto boolAsString = WordProp<kestrum::CBoolProp>(kestrum::kPropString, 3);
    kestrum::CStringProp twice;
    twice.m_nType = kestrum::kPropString;
    twice.m_value = "later";
    ar.WriteString("Bare");
    ar.WriteObject(bare);
    ar.WriteString("FloatAsInt");
    ar.WriteObject(floatAsInt);
    ar.WriteString("Twice");
    ar.WriteObject(intAsBool);
    ar.WriteString("BoolAsString");
    ar.WriteObject(boolAsString);
    ar.WriteString("Twice");
    ar.WriteObject(twice);
    return bytes;
}

void WriteFile(const std::filesystem::path& folder, const char* name, const Bytes& bytes) {
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    WriteFile(folder, "db-worked-example", WorkedExample());
    WriteFile(folder, "db-worked-example-section", WorkedExampleWithSection());
    WriteFile(folder, "db-every-kind", DbEveryKind());
    WriteFile(folder, "db-sections", DbSections());
    WriteFile(folder, "db-empty", DbEmpty());
    WriteFile(folder, "set-empty", SetEmpty());
    WriteFile(folder, "set-every-kind", SetEveryKind());
    WriteFile(folder, "set-long-strings", SetLongStrings());
    WriteFile(folder, "set-long-length-form", SetLongLengthForm());
    WriteFile(folder, "set-long-count", SetLongCount());
    WriteFile(folder, "set-wide-strings", SetWideStrings());
    WriteFile(folder, "set-long-tag", SetLongTag());
    WriteFile(folder, "set-odd-classes", SetOddClasses());
    return 0;
}
