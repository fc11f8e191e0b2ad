#include "testsupport.h"

#include "common/filesizelimit.h"

#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>
#include <kestrum/propstore/propfileresult.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

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
        EXPECT_TRUE(RaisesCause([&] { return large.Save(path); }, Cause::FileError));
    }
    EXPECT_TRUE(SameBytes(ReadFile(path), before));
    EXPECT_EQ(FilesIn(dir), 1u) << "the temporary file must not stay behind";
}

TEST(PropFileSave, CannotCreateIsFalseWithTheReasonNotAnError) {
    TempDir dir;
    CPropDb db;
    FillSample(db);
    EXPECT_FALSE(db.Save(dir.File("missing/orvo.cfg")));
    const PropFileResult missing = db.SaveWithReason(dir.File("missing/orvo.cfg"));
    EXPECT_EQ(missing.error.value(), ENOENT);
    EXPECT_EQ(missing.message, "No such file or directory");
    const PropFileResult folder = db.SaveWithReason(dir.Path().string());
    EXPECT_EQ(folder.message, "Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));

    // A file the user made read-only is left alone, as writing into it would.
    const std::string path = dir.File("locked.cfg");
    WriteFile(path, Text("keep"));
    chmod(path.c_str(), 0444);
    if (access(path.c_str(), W_OK) != 0) { // root may write anyway
        EXPECT_FALSE(db.Save(path));
        EXPECT_EQ(db.SaveWithReason(path).message, "Permission denied");
        EXPECT_TRUE(SameBytes(ReadFile(path), Text("keep")));
    }
}

// A killed save leaves its temporary file beside the target; the next save of that target
// clears it away, also through a link, and leaves other files' temporaries alone.
TEST(PropFileSave, ClearsAwayTheTemporariesOfKilledSaves) {
    TempDir dir;
    const std::string dead = std::to_string(DeadPid());
    std::filesystem::create_directory(dir.File("real"));
    const std::vector<std::string> stale = {"real/orvo.cfg.tmp" + dead + "-0",
                                            "real/orvo.cfg.tmp" + dead + "-1"};
    const std::string other = "real/other.cfg.tmp" + dead + "-0";
    for (const std::string& name : stale) {
        WriteFile(dir.File(name), Text("half"));
    }
    WriteFile(dir.File(other), Text("half"));
    std::filesystem::create_symlink("real/orvo.cfg", dir.File("link.cfg"));

    CPropDb db;
    FillSample(db);
    ASSERT_TRUE(db.Save(dir.File("link.cfg")));
    for (const std::string& name : stale) {
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(dir.File(other)));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.cfg")));
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

// Load says false, with the reason beside it and in errno, for every file it cannot read as a
// property file, and reads none of them; only what it reads can be damaged.
TEST(PropFileLoad, RefusesWhatIsNoPropertyFileWithTheReason) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.File("huge.cfg");
    WriteFile(huge, {});
    std::filesystem::resize_file(huge, kPropFileSizeLimit + 1);
    const struct {
        std::string path;
        int error;
        std::string message;
    } cases[] = {
        {dir.File("none.cfg"), ENOENT, "No such file or directory"},
        {dir.Path().string(), EISDIR, "not a regular file"},
        {fifo, EINVAL, "not a regular file"},
        {"/dev/zero", EINVAL, "not a regular file"},
        {huge, EFBIG, "larger than 64 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CPropDb db;
        db.WritePropInt("", "stale", 1);
        const PropFileResult result = db.LoadWithReason(c.path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error.value(), c.error);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.IsMissing(), c.error == ENOENT);
        EXPECT_FALSE(db.IsKey("", "stale"));

        errno = 0;
        EXPECT_FALSE(db.Load(c.path));
        EXPECT_EQ(errno, c.error) << "callers of the bool form read the reason there";
        CPropSet set;
        EXPECT_EQ(set.LoadWithReason(c.path).message, c.message);
    }
    // A file of exactly the limit is read: zeros make an empty database with bytes after it.
    std::filesystem::resize_file(huge, kPropFileSizeLimit);
    CPropDb db;
    EXPECT_TRUE(db.LoadWithReason(huge));
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
        ASSERT_TRUE(RaisesCause([&] { return db.Load(cutPath); }, Cause::EndOfData))
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

constexpr uid_t kNobody = 65534;
constexpr int kCannotArrange = 77;

// Runs save in a child process, as user nobody when we are root: root may write anything, so
// only another user meets the permission rules. The child's exit status: 0 saved, 1 refused,
// kCannotArrange when it could not become nobody or reach folder.
int SaveInChild(const std::string& folder, const std::function<bool()>& save) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(kCannotArrange);
        }
        if (access(folder.c_str(), X_OK) != 0) {
            _exit(kCannotArrange);
        }
        try {
            _exit(save() ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A file the user may write, in a folder the user may not: there is no room for a temporary
// file, so the file is rewritten in place; only then, and only such a file.
TEST(PropFileSave, AWritableFileInALockedFolderIsRewrittenInPlace) {
    TempDir dir;
    const bool root = geteuid() == 0;
    chmod(dir.Path().c_str(), 0755);
    const std::string folder = dir.File("locked");
    std::filesystem::create_directory(folder);
    const std::string own = folder + "/own.cfg";
    const std::string foreign = folder + "/foreign.cfg";
    const std::string absent = folder + "/absent.cfg";
    CPropDb old;
    old.WritePropInt("", "LeftMargin", 1);
    old.WritePropString("", "Header1", std::string(500, 'o')); // longer than the new content
    ASSERT_TRUE(old.Save(own));
    ASSERT_TRUE(old.Save(foreign));
    chmod(own.c_str(), 0664);
    if (root) {
        ASSERT_EQ(chown(own.c_str(), kNobody, kNobody), 0);
    } else {
        chmod(foreign.c_str(), 0444);
    }
    chmod(folder.c_str(), 0555);
    const Bytes foreignBefore = ReadFile(foreign);
    struct stat before {};
    ASSERT_EQ(stat(own.c_str(), &before), 0);

    const struct {
        std::string path;
        int status;
    } cases[] = {{own, 0}, {foreign, 1}, {absent, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const int status = SaveInChild(folder, [&] {
            CPropDb db;
            db.WritePropInt("", "LeftMargin", 41);
            return db.Save(c.path);
        });
        if (status == kCannotArrange) {
            chmod(folder.c_str(), 0755);
            GTEST_SKIP() << "cannot save as user nobody (65534) in " << folder;
        }
        EXPECT_EQ(status, c.status);
    }
    chmod(folder.c_str(), 0755);

    struct stat after {};
    ASSERT_EQ(stat(own.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the same file, written in place";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    CPropDb saved;
    ASSERT_TRUE(saved.Load(own));
    EXPECT_EQ(saved.ReadPropInt("", "LeftMargin", 0, false), 41);
    EXPECT_FALSE(saved.IsKey("", "Header1")) << "nothing of the longer old content is left";
    EXPECT_TRUE(SameBytes(ReadFile(foreign), foreignBefore));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
} // namespace kestrum::test
