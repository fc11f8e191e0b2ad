#include "testsupport.h"

#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/cpropset.h>

#include <bit>
#include <limits>

namespace kestrum::test {
namespace {

TEST(PropValues, FreshValuesHaveNoKindAndWriteTheirTypeCode) {
    CIntProp fresh;
    EXPECT_EQ(fresh.m_nType, kPropNone);
    EXPECT_TRUE(SameBytes(Stored(fresh), {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}));
    CStringProp text;
    EXPECT_TRUE(SameBytes(Stored(text), {0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    CProp bare;
    EXPECT_TRUE(Stored(bare).empty());
}

TEST(PropValues, EmptyBlobIsTypeCodeAndZeroSize) {
    CPropSet set;
    set.WritePropBlob("b", {});
    const auto& blob = *set.GetValues().at("b");
    EXPECT_TRUE(SameBytes(Stored(const_cast<CProp&>(blob)), {4, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PropSetRead, CreateStoresTheDefaultOnlyForMissingKeys) {
    CPropSet set;
    EXPECT_EQ(set.ReadPropInt("LeftMargin", 50, false), 50);
    EXPECT_FALSE(set.IsKey("LeftMargin"));
    EXPECT_EQ(set.ReadPropInt("LeftMargin", 50, true), 50);
    EXPECT_EQ(set.GetType("LeftMargin"), kPropInt);
    EXPECT_EQ(set.ReadPropInt("LeftMargin", 7, true), 50);

    EXPECT_EQ(set.ReadPropFloat("Scale", 1.5f, true), 1.5f);
    EXPECT_EQ(set.GetType("Scale"), kPropFloat);
    EXPECT_EQ(set.ReadPropBool("On", 2, true), 2);
    EXPECT_EQ(set.GetType("On"), kPropBool);
    const std::string def = "sub";
    EXPECT_EQ(set.ReadPropString("ImgName", def, true), "sub");
    EXPECT_EQ(set.GetType("ImgName"), kPropString);

    EXPECT_EQ(set.ReadPropBlob("Font"), nullptr);
    EXPECT_EQ(set.ReadPropObj("Info"), nullptr);
    EXPECT_FALSE(set.IsKey("Font"));
    EXPECT_FALSE(set.IsKey("Info"));
}

TEST(PropSetRead, AnotherKindGivesTheDefaultAndWritesNothing) {
    CPropSet set;
    set.WritePropString("LeftMargin", "wide");
    EXPECT_EQ(set.ReadPropInt("LeftMargin", 7, true), 7);
    EXPECT_EQ(set.ReadPropString("LeftMargin", "", false), "wide");
    EXPECT_EQ(set.ReadPropBlob("LeftMargin"), nullptr);
    EXPECT_EQ(set.GetBlobSize("LeftMargin"), 0u);
    EXPECT_EQ(set.ReadPropFloat("LeftMargin", 0.5f, true), 0.5f);
    EXPECT_EQ(set.GetType("LeftMargin"), kPropString);
}

TEST(PropSetRead, StringDefaultsAreTheCallersOwnObject) {
    CPropSet set;
    const std::string def = "fallback";
    EXPECT_EQ(&set.ReadPropString("missing", def, true), &def);
    EXPECT_NE(&set.ReadPropString("missing", def, true), &def); // now stored
    set.WritePropInt("number", 1);
    EXPECT_EQ(&set.ReadPropString("number", def, false), &def);
}

TEST(PropSetWrite, IntegerFloatAndBooleanShareTheirValueObject) {
    CPropSet set;
    set.WritePropInt("AntiAlias", 1);
    const CProp* object = set.GetValues().at("AntiAlias").get();
    set.WritePropBool("AntiAlias", 1);
    EXPECT_EQ(set.GetType("AntiAlias"), kPropBool);
    EXPECT_EQ(set.ReadPropBool("AntiAlias", 0, false), 1);
    EXPECT_EQ(set.ReadPropInt("AntiAlias", 9, false), 9);
    EXPECT_EQ(set.GetValues().at("AntiAlias").get(), object);
    EXPECT_EQ(object->GetRuntimeClass().m_name, "CIntProp");

    set.WritePropFloat("AntiAlias", -0.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(set.ReadPropFloat("AntiAlias", 1.0f, false)),
              0x80000000u);
    EXPECT_EQ(set.GetValues().at("AntiAlias").get(), object);
}

// A CIntProp carrying a boolean is saved under its own class with type code 3, and is a
// boolean again after loading.
TEST(PropSetWrite, KindTravelsWithTheTypeCodeNotTheClass) {
    CPropSet set;
    set.WritePropInt("AntiAlias", 0);
    set.WritePropBool("AntiAlias", 2);
    const Bytes bytes = Stored(set);
    const Bytes value = Concat({Counted("AntiAlias"),
                                {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00},
                                Text("CIntProp"),
                                {3, 0, 0, 0, 2, 0, 0, 0}});
    EXPECT_TRUE(
        SameBytes(Bytes(bytes.end() - static_cast<long>(value.size()), bytes.end()), value));

    CPropSet loaded;
    LoadInto(loaded, bytes);
    EXPECT_EQ(loaded.GetType("AntiAlias"), kPropBool);
    EXPECT_EQ(loaded.ReadPropBool("AntiAlias", 0, false), 2);
    EXPECT_EQ(loaded.GetValues().at("AntiAlias")->GetRuntimeClass().m_name, "CIntProp");
}

// A file may pair any class with any type code; a read must never take a payload from a
// class that does not hold one of that kind.
TEST(PropSetRead, TypeCodeThatItsClassCannotCarryAnswersNoRead) {
    const Bytes bytes = Concat({Counted("None"),
                                Counted(""),
                                {0x02, 0x00},
                                Counted("s"),
                                {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00},
                                Text("CStringProp"),
                                {0, 0, 0, 0},
                                Counted("abc"),
                                Counted("t"),
                                {0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00},
                                Text("CBlobProp"),
                                {2, 0, 0, 0, 1, 0, 0, 0, 'z'}});
    CPropSet set;
    LoadInto(set, bytes);
    EXPECT_EQ(set.GetType("s"), kPropInt);
    EXPECT_EQ(set.ReadPropInt("s", 5, true), 5);
    EXPECT_EQ(set.GetType("t"), kPropString);
    EXPECT_EQ(set.ReadPropString("t", "def", true), "def");
    // A write of the kind its type code claims replaces the object by one that can hold it.
    set.WritePropInt("s", 8);
    EXPECT_EQ(set.ReadPropInt("s", 5, false), 8);
    EXPECT_EQ(set.GetValues().at("s")->GetRuntimeClass().m_name, "CIntProp");
}

TEST(PropSetWrite, AnotherKindOfPayloadReplacesTheValueObject) {
    CPropSet set;
    set.WritePropInt("k", 3);
    set.WritePropString("k", "text");
    EXPECT_EQ(set.ReadPropString("k", "", false), "text");
    set.WritePropBlob("k", Bytes{1, 2});
    EXPECT_EQ(set.GetBlobSize("k"), 2u);
    set.WritePropBool("k", 1);
    EXPECT_EQ(set.ReadPropBool("k", 0, false), 1);
    EXPECT_EQ(set.GetValues().at("k")->GetRuntimeClass().m_name, "CBoolProp");
}

TEST(PropSetKeys, AreComparedByteForByte) {
    CPropSet set;
    set.WritePropInt("Font", 1);
    set.WritePropInt("FONT", 2);
    set.WritePropInt("", 3);
    EXPECT_EQ(set.ReadPropInt("Font", 0, false), 1);
    EXPECT_EQ(set.ReadPropInt("FONT", 0, false), 2);
    EXPECT_EQ(set.ReadPropInt("", 0, false), 3);
    EXPECT_EQ(set.GetType("font"), kPropNone);
    set.DeleteKey("font");
    EXPECT_EQ(set.GetValues().size(), 3u);
    set.DeleteKey("Font");
    EXPECT_FALSE(set.IsKey("Font"));
    EXPECT_TRUE(set.IsKey("FONT"));
}

TEST(PropSetBlob, IsACopyThatTheSetOwns) {
    CPropSet set;
    Bytes data = {1, 2, 3};
    set.WritePropBlob("b", data);
    data[0] = 9;
    const std::uint8_t* stored = set.ReadPropBlob("b");
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, data.data());
    EXPECT_EQ(stored[0], 1);
    EXPECT_EQ(set.GetBlobSize("b"), 3u);

    const std::uint8_t none[1] = {0};
    set.WritePropBlob("empty", std::span(none, 0));
    EXPECT_NE(set.ReadPropBlob("empty"), nullptr);
    EXPECT_NE(set.ReadPropBlob("empty"), none);
    EXPECT_EQ(set.GetBlobSize("empty"), 0u);

    set.WritePropBlob("b", Bytes{7, 8, 9, 10, 11});
    EXPECT_EQ(set.GetBlobSize("b"), 5u);
    EXPECT_EQ(set.ReadPropBlob("b")[4], 11);
}

// Counts live objects, so that ownership shows.
class LiveObject final : public CObject {
public:
    explicit LiveObject(int& alive, std::uint32_t body = 0)
        : m_alive(alive)
        , m_body(body) {
        ++m_alive;
    }
    ~LiveObject() override { --m_alive; }
    const CRuntimeClass& GetRuntimeClass() const override { return CObject::classCObject; }
    void Serialize(CArchive& ar) override { ar.WriteDWord(m_body); }

private:
    int& m_alive;
    std::uint32_t m_body;
};

TEST(PropSetObject, TheSetOwnsAndDestroysItsObjects) {
    int alive = 0;
    {
        CPropSet set;
        set.WritePropObj("a", std::make_unique<LiveObject>(alive));
        auto second = std::make_unique<LiveObject>(alive);
        CObject* held = second.get();
        set.WritePropObj("b", std::move(second));
        EXPECT_EQ(set.ReadPropObj("b"), held);
        EXPECT_EQ(set.GetType("b"), kPropObj);
        EXPECT_EQ(alive, 2);
        set.WritePropObj("a", std::make_unique<LiveObject>(alive));
        EXPECT_EQ(alive, 2);
        set.DeleteKey("a");
        EXPECT_EQ(alive, 1);
        set.WritePropObj("c", std::make_unique<LiveObject>(alive));
        set.DeleteAll();
        EXPECT_EQ(alive, 0);
        set.WritePropObj("d", std::make_unique<LiveObject>(alive));
    }
    EXPECT_EQ(alive, 0);
}

TEST(PropSetObject, SavedAsTypeCodeAndTheObjectsOwnBody) {
    int alive = 0;
    CObjProp value;
    value.m_nType = kPropObj;
    value.m_object = std::make_unique<LiveObject>(alive, 0xA1B2C3D4);
    EXPECT_TRUE(SameBytes(Stored(value), {5, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1}));
    CObjProp empty;
    empty.m_nType = kPropObj;
    EXPECT_TRUE(SameBytes(Stored(empty), {5, 0, 0, 0}));
}

TEST(PropSetSerialize, RoundTripsEveryKindAndKeepsTheLaterOfTwinKeys) {
    CPropSet set;
    set.SetName("Look");
    set.WritePropInt("i", std::numeric_limits<std::int32_t>::min());
    set.WritePropFloat("f", std::bit_cast<float>(0x7FC00001u));
    set.WritePropString("s", std::string(300, 's'));
    set.WritePropBool("b", 2);
    set.WritePropBlob("x", Bytes{0, 255});
    CPropSet loaded;
    LoadInto(loaded, Stored(set));
    EXPECT_EQ(loaded.GetName(), "Look");
    EXPECT_EQ(loaded.GetModuleName(), "None");
    EXPECT_EQ(loaded.ReadPropInt("i", 0, false), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(loaded.ReadPropFloat("f", 0, false)), 0x7FC00001u);
    EXPECT_EQ(loaded.ReadPropString("s", "", false), std::string(300, 's'));
    EXPECT_EQ(loaded.ReadPropBool("b", 0, false), 2);
    ASSERT_EQ(loaded.GetBlobSize("x"), 2u);
    EXPECT_EQ(loaded.ReadPropBlob("x")[1], 255);

    const Bytes twins = Concat({Counted("None"),
                                Counted(""),
                                {0x02, 0x00},
                                Counted("k"),
                                NewClass("CIntProp"),
                                {0, 0, 0, 0, 1, 0, 0, 0},
                                Counted("k"),
                                {0x01, 0x80, 0, 0, 0, 0, 2, 0, 0, 0}});
    CPropSet twice;
    LoadInto(twice, twins);
    EXPECT_EQ(twice.ReadPropInt("k", 0, false), 2);
    EXPECT_EQ(twice.GetValues().size(), 1u);
}

} // namespace
} // namespace kestrum::test
