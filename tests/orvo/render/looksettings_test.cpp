#include "render/looksettings.h"

#include <kestrum/propstore/cprop.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvo {
namespace {

using kestrum::CPropDb;

struct KeyKind {
    const char* key;
    int kind;
};

const std::vector<KeyKind> kLookKeys = {
    {"VerticalOffset", kestrum::kPropInt}, {"LeftMargin", kestrum::kPropInt},
    {"RightMargin", kestrum::kPropInt},    {"AntiAlias", kestrum::kPropBool},
    {"Box", kestrum::kPropBool},           {"BkgColor", kestrum::kPropInt},
    {"TextBkgColor", kestrum::kPropInt},   {"TextColor", kestrum::kPropInt},
    {"Align", kestrum::kPropInt},          {"PAL", kestrum::kPropBool},
    {"LastPath", kestrum::kPropString},    {"Outline", kestrum::kPropInt},
    {"ExtendBlanks", kestrum::kPropBool},  {"OutlineSpacing", kestrum::kPropInt},
};

class LookSettingsTest : public ::testing::Test {
protected:
    // Loads into settings that differ from the defaults everywhere, so that a field the load
    // forgets shows.
    void Load() {
        settings.Font.height = -99;
        settings.AntiAlias = false;
        settings.LeftMargin = settings.RightMargin = settings.VerticalOffset = -1;
        settings.Align = settings.Outline = settings.OutlineSpacing = -1;
        settings.TextColor = settings.TextBkgColor = settings.BkgColor = 0x123456;
        settings.Box = settings.ExtendBlanks = true;
        settings.PAL = false;
        settings.DvdColors = true;
        lastPath = "stale";
        LoadLookSettings(db, settings, lastPath);
    }

    std::vector<std::uint8_t> StoredFont() const {
        const std::uint8_t* data = db.ReadPropBlob("", "Font");
        return data ? std::vector<std::uint8_t>(data, data + db.GetBlobSize("", "Font"))
                    : std::vector<std::uint8_t>{};
    }

    CPropDb db;
    RenderSettings settings;
    std::string lastPath;
};

TEST_F(LookSettingsTest, EmptyDatabaseGivesTheDefaultsAndGainsEveryKeyButFont) {
    Load();
    EXPECT_EQ(settings, RenderSettings{});
    EXPECT_EQ(lastPath, "");
    for (const KeyKind& key : kLookKeys) {
        EXPECT_EQ(db.GetType("", key.key), key.kind) << key.key;
    }
    EXPECT_FALSE(db.IsKey("", "Font"));
    EXPECT_EQ(db.GetDefaultSet().GetValues().size(), kLookKeys.size());
}

// The example settings file that comes with the program holds the default look.
TEST_F(LookSettingsTest, ExampleSettingsFileHoldsTheDefaultLook) {
    ASSERT_TRUE(db.Load(ORVO_EXAMPLE_SETTINGS));
    Load();
    EXPECT_EQ(settings, RenderSettings{});
    EXPECT_EQ(lastPath, "");
}

// A hand-edited file must not make the run draw what the window cannot show.
TEST_F(LookSettingsTest, DistancesSpacingAndAlignmentAreClampedToTheControlsRanges) {
    const struct {
        const char* key;
        std::int32_t stored;
        int RenderSettings::*field;
        int loaded;
    } cases[] = {
        {"LeftMargin", 300, &RenderSettings::LeftMargin, 150},
        {"RightMargin", -1, &RenderSettings::RightMargin, 0},
        {"VerticalOffset", 151, &RenderSettings::VerticalOffset, 150},
        {"VerticalOffset", 150, &RenderSettings::VerticalOffset, 150},
        {"OutlineSpacing", 6, &RenderSettings::OutlineSpacing, 5},
        {"OutlineSpacing", -3, &RenderSettings::OutlineSpacing, 0},
        {"Align", 7, &RenderSettings::Align, 2},
        {"Align", -2147483647 - 1, &RenderSettings::Align, 0},
    };
    for (const auto& clamped : cases) {
        db.WritePropInt("", clamped.key, clamped.stored);
        Load();
        EXPECT_EQ(settings.*clamped.field, clamped.loaded) << clamped.key << " " << clamped.stored;
    }
    db.WritePropInt("", "TextColor", -1);
    Load();
    EXPECT_EQ(settings.TextColor, 0xFFFFFFFFU);
}

// An HD canvas has more lines for its margins: PAL's largest keeps its match there.
TEST_F(LookSettingsTest, MarginsAreClampedToTheRangeOfTheStoredCanvas) {
    db.WritePropInt("", "LeftMargin", 300);
    db.WritePropInt("", "VerticalOffset", 180);
    for (const auto& [resolution, maximum] : {std::pair{720, 188}, std::pair{1080, 281}}) {
        db.WritePropInt("", "Resolution", resolution);
        Load();
        EXPECT_EQ(settings.LeftMargin, maximum) << resolution;
        EXPECT_EQ(settings.VerticalOffset, 180) << resolution;
    }
}

// A look without the DVD colours leaves the files as they were before the mode: no key
// "DvdColors" until it is switched on, and once stored it follows the look.
TEST_F(LookSettingsTest, DvdColorsIsStoredOnlyOnceSwitchedOn) {
    Load();
    EXPECT_FALSE(db.IsKey("", "DvdColors"));
    SaveLookSettings(db, settings, lastPath);
    EXPECT_FALSE(db.IsKey("", "DvdColors"));

    settings.DvdColors = true;
    SaveLookSettings(db, settings, lastPath);
    EXPECT_EQ(db.GetType("", "DvdColors"), kestrum::kPropBool);
    Load();
    EXPECT_TRUE(settings.DvdColors);

    settings.DvdColors = false;
    SaveLookSettings(db, settings, lastPath);
    EXPECT_EQ(db.ReadPropBool("", "DvdColors", -1, false), 0);
    Load();
    EXPECT_FALSE(settings.DvdColors);
}

struct PalCase {
    int stored;
    bool pal;
};

class PalTest : public LookSettingsTest, public ::testing::WithParamInterface<PalCase> {};

TEST_P(PalTest, OnlyExactlyOneMeansPal) {
    db.WritePropBool("", "PAL", GetParam().stored);
    Load();
    EXPECT_EQ(settings.PAL, GetParam().pal);
}

INSTANTIATE_TEST_SUITE_P(StoredValues, PalTest,
                         ::testing::Values(PalCase{1, true}, PalCase{0, false}, PalCase{2, false},
                                           PalCase{-1, false}));

struct BoxOutlineCase {
    int box;
    int outline;
    bool expectedBox;
    int expectedOutline;
};

class BoxOutlineTest : public LookSettingsTest,
                       public ::testing::WithParamInterface<BoxOutlineCase> {};

TEST_P(BoxOutlineTest, OutlineWinsOverBox) {
    db.WritePropBool("", "Box", GetParam().box);
    db.WritePropInt("", "Outline", GetParam().outline);
    Load();
    EXPECT_EQ(settings.Box, GetParam().expectedBox);
    EXPECT_EQ(settings.Outline, GetParam().expectedOutline);
    SaveLookSettings(db, settings, lastPath);
    EXPECT_EQ(db.ReadPropBool("", "Box", -1, false), GetParam().expectedBox ? 1 : 0);
    EXPECT_EQ(db.ReadPropInt("", "Outline", -1, false), GetParam().expectedOutline);
}

INSTANTIATE_TEST_SUITE_P(Combinations, BoxOutlineTest,
                         ::testing::Values(BoxOutlineCase{1, 1, false, 1},
                                           BoxOutlineCase{1, 0, true, 0},
                                           BoxOutlineCase{0, 1, false, 1},
                                           BoxOutlineCase{0, 0, false, 0},
                                           BoxOutlineCase{1, 5, false, 1}));

enum class StoredAs { Int, Bool, String };

struct WrongKindCase {
    const char* key;
    StoredAs storedAs;
    int rightKind;
};

class WrongKindTest : public LookSettingsTest,
                      public ::testing::WithParamInterface<WrongKindCase> {};

// A key of another kind reads as its default and keeps its kind until the next save, which
// stores the right one.
TEST_P(WrongKindTest, GivesTheDefaultAndIsFixedBySave) {
    const char* key = GetParam().key;
    switch (GetParam().storedAs) {
    case StoredAs::Int:
        db.WritePropInt("", key, 77);
        break;
    case StoredAs::Bool:
        db.WritePropBool("", key, 77);
        break;
    case StoredAs::String:
        db.WritePropString("", key, "77");
        break;
    }
    Load();
    EXPECT_EQ(settings, RenderSettings{});
    EXPECT_NE(db.GetType("", key), GetParam().rightKind);
    SaveLookSettings(db, settings, lastPath);
    EXPECT_EQ(db.GetType("", key), GetParam().rightKind);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, WrongKindTest,
    ::testing::Values(WrongKindCase{"LeftMargin", StoredAs::Bool, kestrum::kPropInt},
                      WrongKindCase{"VerticalOffset", StoredAs::String, kestrum::kPropInt},
                      WrongKindCase{"TextColor", StoredAs::Bool, kestrum::kPropInt},
                      WrongKindCase{"Outline", StoredAs::Bool, kestrum::kPropInt},
                      WrongKindCase{"AntiAlias", StoredAs::Int, kestrum::kPropBool},
                      WrongKindCase{"PAL", StoredAs::Int, kestrum::kPropBool}),
    [](const auto& test) { return std::string(test.param.key); });

struct QualityCase {
    std::uint8_t stored;
    bool antiAlias;
    std::uint8_t expected;
};

class FontQualityTest : public LookSettingsTest,
                        public ::testing::WithParamInterface<QualityCase> {};

// The stored quality byte is ignored: AntiAlias decides it, on load and on save.
TEST_P(FontQualityTest, FollowsAntiAlias) {
    LOGFONT stored;
    stored.height = -30;
    stored.weight = 700;
    stored.quality = GetParam().stored;
    db.WritePropBlob("", "Font", stored.ToBytes());
    db.WritePropBool("", "AntiAlias", GetParam().antiAlias ? 1 : 0);
    Load();
    LOGFONT expected = stored;
    expected.quality = GetParam().expected;
    EXPECT_EQ(settings.Font, expected);

    settings.Font.quality = GetParam().stored;
    SaveLookSettings(db, settings, lastPath);
    const std::vector<std::uint8_t> saved = StoredFont();
    ASSERT_EQ(saved.size(), LOGFONT::kSize);
    EXPECT_EQ(saved[26], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(StoredAndAntiAlias, FontQualityTest,
                         ::testing::Values(QualityCase{4, false, 3}, QualityCase{3, true, 4},
                                           QualityCase{0, true, 4}, QualityCase{5, false, 3}));

class BadFontBlobTest : public LookSettingsTest, public ::testing::WithParamInterface<int> {};

TEST_P(BadFontBlobTest, BlobOfAnotherSizeGivesTheDefaultFont) {
    const std::vector<std::uint8_t> blob(static_cast<std::size_t>(GetParam()), 0x41);
    db.WritePropBlob("", "Font", blob);
    Load();
    EXPECT_EQ(settings.Font, DefaultFont());
}

INSTANTIATE_TEST_SUITE_P(Sizes, BadFontBlobTest, ::testing::Values(0, 10, 59, 61));

TEST_F(LookSettingsTest, FontOfAnotherKindGivesTheDefaultFont) {
    db.WritePropString("", "Font", std::string(60, 'A'));
    Load();
    EXPECT_EQ(settings.Font, DefaultFont());
}

TEST_F(LookSettingsTest, SaveThenLoadGivesTheSameLook) {
    RenderSettings look;
    look.Font.height = 33;
    look.Font.weight = 300;
    look.Font.italic = 1;
    look.Font.faceName = {'C', 'o', 'u', 'r', 'i', 'e', 'r', ' ', 'N', 'e', 'w'};
    look.AntiAlias = false;
    look.Font.quality = LOGFONT::kNonAntialiasedQuality;
    look.LeftMargin = 10;
    look.RightMargin = 150;
    look.VerticalOffset = 0;
    look.Align = 2;
    look.TextColor = 0x00000080;
    look.TextBkgColor = 0x00808000;
    look.BkgColor = 0x00000000;
    look.Outline = 1;
    look.ExtendBlanks = true;
    look.OutlineSpacing = 5;
    look.PAL = false;
    SaveLookSettings(db, look, "/home/user/film/list.txt");
    for (const KeyKind& key : kLookKeys) {
        EXPECT_EQ(db.GetType("", key.key), key.kind) << key.key;
    }
    EXPECT_EQ(db.GetType("", "Font"), kestrum::kPropBlob);

    Load();
    EXPECT_EQ(settings, look);
    EXPECT_EQ(lastPath, "/home/user/film/list.txt");
}

} // namespace
} // namespace orvo
