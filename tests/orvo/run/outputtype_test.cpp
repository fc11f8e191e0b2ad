#include "output/outputformat.h"
#include "output/outputtype.h"
#include "output/vobsub/vobsubformat.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

TEST(OutputType, TheDefaultIsNeverAddedToAFileThatLacksIt) {
    kestrum::CPropDb db;
    EXPECT_EQ(ReadOutputType(db), OutputType::Dvd1);
    WriteOutputType(db, OutputType::Dvd1);
    EXPECT_FALSE(db.IsKey("", "OutputType"));

    WriteOutputType(db, OutputType::Spumux);
    EXPECT_EQ(db.ReadPropInt("", "OutputType", -1, false), 1);
    EXPECT_EQ(ReadOutputType(db), OutputType::Spumux);
    // Once stored, going back to the default must be stored too.
    WriteOutputType(db, OutputType::Dvd1);
    EXPECT_EQ(db.ReadPropInt("", "OutputType", -1, false), 0);
    EXPECT_EQ(ReadOutputType(db), OutputType::Dvd1);
}

TEST(OutputType, AStoredTypeThisProgramCannotWriteIsTheDefault) {
    {
        kestrum::CPropDb db;
        db.WritePropInt("", "OutputType", 2);
        EXPECT_EQ(ReadOutputType(db), OutputType::VobSub);
    }
    for (const int stored : {5, -1, 1000}) {
        kestrum::CPropDb db;
        db.WritePropInt("", "OutputType", stored);
        EXPECT_EQ(ReadOutputType(db), OutputType::Dvd1) << stored;
    }
}

TEST(OutputType, OnlyTheTypesARunCanWriteHaveNames) {
    EXPECT_EQ(FindOutputType("dvd-1"), OutputType::Dvd1);
    EXPECT_EQ(FindOutputType("spumux"), OutputType::Spumux);
    EXPECT_EQ(FindOutputType("vobsub"), OutputType::VobSub);
    EXPECT_EQ(FindOutputType("pgs"), OutputType::Pgs);
    EXPECT_EQ(FindOutputType("bdn"), OutputType::Bdn);
    for (const char* other : {"VobSub", "DVD-1", "Spumux", "", "1", "spumux ", "vobsub\n", "sup"}) {
        EXPECT_FALSE(FindOutputType(other)) << other;
    }
    EXPECT_EQ(OutputTypeNames(), "dvd-1, spumux, vobsub, pgs, bdn");
}

TEST(OutputType, TheDefaultLanguageIsNeverAddedToAFileThatLacksIt) {
    kestrum::CPropDb db;
    EXPECT_EQ(ReadIndexLanguage(db), "en");
    EXPECT_FALSE(db.IsKey("", "Language"));
    WriteIndexLanguage(db, "en");
    EXPECT_FALSE(db.IsKey("", "Language"));

    WriteIndexLanguage(db, "fra");
    EXPECT_EQ(ReadIndexLanguage(db), "fra");
    WriteIndexLanguage(db, "en");
    EXPECT_EQ(db.ReadPropString("", "Language", "", false), "en");
}

} // namespace
} // namespace orvo
