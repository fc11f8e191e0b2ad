#include "testsupport.h"

#include "common/filesizelimit.h"

#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kestrum::test {
namespace {

using Cause = CArchiveException::Cause;

void FillSample(CPropDb& db) {
    db.WritePropInt("", "LeftMargin", 40);
    db.WritePropBool("", "AntiAlias", 1);
    db.WritePropFloat("", "Gamma", 2.2f);
    db.WritePropString("", "Header1", std::string(300, 'h'));
    db.WritePropBlob("", "Font", Bytes(60, 0x41));
    db.WritePropString("Look", "ImgName", "sub");
    db.WritePropInt("Look", "StartIndex", 1);
}

std::size_t FilesIn(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                                  std::filesystem::directory_iterator()));
}

TEST(PropFileSave, AFailureHalfWayLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string path = dir.File("orvo.cfg");
    CPropDb small;
    small.WritePropInt("", "LeftMargin", 40);
    ASSERT_TRUE(small.Save(path));
    const Bytes before = ReadFile(path);

    CPropDb large;
    large.WritePropString("", "Header1", std::string(100000, 'x'));
    {
        FileSizeLimit limit(4096);
        EXPECT_TRUE(RaisesCause([&] { large.Save(path); }, Cause::FileError));
    }
    EXPECT_TRUE(SameBytes(ReadFile(path), before));
    EXPECT_EQ(FilesIn(dir), 1u) << "the temporary file must not stay behind";
}

TEST(PropFileSave, CannotCreateIsFalseNotAnError) {
    TempDir dir;
    CPropDb db;
    FillSample(db);
    EXPECT_FALSE(db.Save(dir.File("missing/orvo.cfg")));

    // A file the user made read-only is left alone, as writing into it would.
    const std::string path = dir.File("locked.cfg");
    WriteFile(path, Text("keep"));
    chmod(path.c_str(), 0444);
    if (access(path.c_str(), W_OK) != 0) { // root may write anyway
        EXPECT_FALSE(db.Save(path));
        EXPECT_TRUE(SameBytes(ReadFile(path), Text("keep")));
    }
}

TEST(PropFileSave, KeepsTheFilesModeAndTheLinkThatNamesIt) {
    TempDir dir;
    const std::string target = dir.File("real.cfg");
    const std::string link = dir.File("link.cfg");
    WriteFile(target, Text("old"));
    chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, link);

    CPropDb db;
    FillSample(db);
    ASSERT_TRUE(db.Save(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    CPropDb loaded;
    ASSERT_TRUE(loaded.Load(target));
    EXPECT_EQ(loaded.ReadPropInt("", "LeftMargin", 0, false), 40);
}

TEST(PropFileLoad, MissingFileIsFalseAndAFolderIsAFileError) {
    TempDir dir;
    CPropDb db;
    EXPECT_FALSE(db.Load(dir.File("none.cfg")));
    EXPECT_TRUE(RaisesCause([&] { db.Load(dir.Path().string()); }, Cause::FileError));
}

TEST(PropFileLoad, EveryCutOfASampleFileIsEndOfData) {
    TempDir dir;
    const std::string path = dir.File("sample.cfg");
    CPropDb sample;
    FillSample(sample);
    ASSERT_TRUE(sample.Save(path));
    const Bytes whole = ReadFile(path);
    ASSERT_GT(whole.size(), 400u);

    const std::string cutPath = dir.File("cut.cfg");
    for (std::size_t length = 0; length < whole.size(); ++length) {
        WriteFile(cutPath, Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
        CPropDb db;
        ASSERT_TRUE(RaisesCause([&] { db.Load(cutPath); }, Cause::EndOfData))
            << "cut at " << length;
    }
    CPropDb db;
    ASSERT_TRUE(db.Load(path));
    EXPECT_TRUE(SameBytes(Stored(db), Stored(sample)));
}

TEST(PropFileSet, ASetFileHoldsTheSetBodyAlone) {
    TempDir dir;
    const std::string path = dir.File("look.cfg");
    CPropSet set;
    set.WritePropInt("LeftMargin", 40);
    EXPECT_EQ(set.GetModuleName(), "None");
    ASSERT_TRUE(set.Save(path));
    EXPECT_NE(set.GetModuleName(), "None");
    const Bytes expected = Concat({Counted(set.GetModuleName()),
                                   Counted(""),
                                   {0x01, 0x00},
                                   Counted("LeftMargin"),
                                   NewClass("CIntProp"),
                                   {0, 0, 0, 0, 40, 0, 0, 0}});
    EXPECT_TRUE(SameBytes(ReadFile(path), expected));

    CPropSet loaded;
    loaded.WritePropInt("stale", 1);
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_FALSE(loaded.IsKey("stale"));
    EXPECT_EQ(loaded.ReadPropInt("LeftMargin", 0, false), 40);
    EXPECT_EQ(loaded.GetModuleName(), set.GetModuleName());
    EXPECT_FALSE(loaded.Load(dir.File("none.cfg")));
    EXPECT_TRUE(loaded.GetValues().empty());
}

} // namespace
} // namespace kestrum::test
