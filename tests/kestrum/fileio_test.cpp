#include "testsupport.h"

#include "common/filesizelimit.h"

#include <kestrum/util/fileio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace kestrum::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::function<std::error_code(int)> Writer(const Bytes& bytes) {
    return [bytes](int fd) { return WriteAll(fd, bytes); };
}

std::error_code Errno(int code) {
    return {code, std::system_category()};
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(ReadFileLimited, TellsWhyItGaveNoBytes) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    WriteFile(dir.File("seventeen"), Bytes(17, 'x'));
    // Sparse: refused by its size, so nothing of it is ever read.
    const std::string huge = dir.File("huge");
    WriteFile(huge, {});
    fs::resize_file(huge, (std::uintmax_t{64} << 20) + 1);

    struct Case {
        std::string path;
        std::size_t limit;
        ReadProblem problem;
        int error;
        std::string message;
    };
    const std::vector<Case> cases = {
        {dir.File("none"), 100, ReadProblem::Missing, ENOENT, "No such file or directory"},
        {dir.File("seventeen/below"), 100, ReadProblem::Unreadable, ENOTDIR, "Not a directory"},
        {dir.Path().string(), 100, ReadProblem::NotRegular, EISDIR, "not a regular file"},
        {"/dev/zero", 100, ReadProblem::NotRegular, EINVAL, "not a regular file"},
        {fifo, 100, ReadProblem::NotRegular, EINVAL, "not a regular file"},
        {dir.File("seventeen"), 16, ReadProblem::TooLarge, EFBIG, "larger than 16 bytes"},
        {dir.File("seventeen"), 2048, ReadProblem::None, 0, ""},
        {huge, std::size_t{64} << 20, ReadProblem::TooLarge, EFBIG, "larger than 64 MB"},
        {huge, std::size_t{3} << 10, ReadProblem::TooLarge, EFBIG, "larger than 3 KB"},
        // Files of /proc say they are empty: only reading finds out how long they are.
        {"/proc/self/status", 16, ReadProblem::TooLarge, EFBIG, "larger than 16 bytes"},
        // Reading at offset 0 of a process's memory fails: nothing is mapped there.
        {"/proc/self/mem", 100, ReadProblem::Unreadable, EIO, "Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
        const ReadResult result = ReadFileLimited(c.path, c.limit);
        EXPECT_EQ(result.problem, c.problem);
        EXPECT_EQ(static_cast<bool>(result), c.problem == ReadProblem::None);
        EXPECT_EQ(result.error, c.error == 0 ? std::error_code() : Errno(c.error));
        EXPECT_EQ(result.Message(), c.message);
        if (!result) {
            EXPECT_TRUE(result.bytes.empty());
        }
    }
}

TEST(ReadFileLimited, ReadsWholeFilesUpToTheLimitExactly) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096},
                                   std::size_t{4097}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7);
        }
        const std::string path = dir.File(std::to_string(size));
        WriteFile(path, bytes);
        const ReadResult exact = ReadFileLimited(path, size);
        ASSERT_TRUE(exact) << exact.Message();
        EXPECT_TRUE(SameBytes(exact.bytes, bytes));
        if (size > 0) {
            EXPECT_EQ(ReadFileLimited(path, size - 1).problem, ReadProblem::TooLarge);
        }
    }
    const ReadResult status = ReadFileLimited("/proc/self/status", 1 << 20);
    ASSERT_TRUE(status) << status.Message();
    EXPECT_EQ(std::string(status.bytes.begin(), status.bytes.begin() + 5), "Name:");
}

TEST(WriteAll, ReportsTheWriteThatStoppedIt) {
    TempDir dir;
    const UniqueFd fd(open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_TRUE(fd.IsOpen());
    {
        FileSizeLimit limit(10);
        EXPECT_EQ(WriteAll(fd.Get(), Bytes(100, 'a')), Errno(EFBIG));
    }
    EXPECT_EQ(ReadFile(dir.File("out")), Bytes(10, 'a')) << "the short write went through";
    EXPECT_EQ(WriteAll(-1, Bytes(1, 'a')), Errno(EBADF));
    EXPECT_EQ(WriteAll(-1, {}), std::error_code()) << "nothing to write, nothing to fail";
}

TEST(RenameWithoutReplacing, MovesOnlyToAFreeName) {
    TempDir dir;
    WriteFile(dir.File("a"), Text("a"));
    WriteFile(dir.File("taken"), Text("kept"));

    EXPECT_EQ(RenameWithoutReplacing(dir.File("a"), dir.File("taken")), std::errc::file_exists);
    EXPECT_EQ(ReadFile(dir.File("taken")), Text("kept"));
    EXPECT_EQ(ReadFile(dir.File("a")), Text("a"));

    EXPECT_FALSE(RenameWithoutReplacing(dir.File("a"), dir.File("b")));
    EXPECT_EQ(ReadFile(dir.File("b")), Text("a"));
    EXPECT_EQ(RenameWithoutReplacing(dir.File("a"), dir.File("c")),
              std::errc::no_such_file_or_directory);
}

TEST(UniqueFd, ClosesOnceAndHandsOver) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    UniqueFd read(fds[0]);
    UniqueFd write(fds[1]);
    UniqueFd moved(std::move(write));
    EXPECT_FALSE(write.IsOpen());
    EXPECT_EQ(moved.Get(), fds[1]);
    read = std::move(moved); // closes the read end
    EXPECT_EQ(fcntl(fds[0], F_GETFD), -1);
    EXPECT_EQ(read.Get(), fds[1]);
    EXPECT_EQ(read.Close(), std::error_code());
    EXPECT_EQ(fcntl(fds[1], F_GETFD), -1);
    EXPECT_EQ(read.Close(), std::error_code()) << "a second Close does nothing";

    ASSERT_EQ(pipe(fds), 0);
    UniqueFd kept(fds[0]);
    const int released = kept.Release();
    kept = UniqueFd();
    EXPECT_NE(fcntl(released, F_GETFD), -1);
    close(released);
    close(fds[1]);
}

TEST(ReplaceFile, ReplacesTheFileWholeThroughANamedTemporary) {
    TempDir dir;
    const std::string target = dir.File("settings.cfg");
    WriteFile(target, Text("old"));
    std::set<std::string> during;
    const auto error = ReplaceFile(target, [&](int fd) {
        during = Names(dir);
        return WriteAll(fd, Text("new content"));
    });
    EXPECT_EQ(error, std::error_code());
    EXPECT_EQ(ReadFile(target), Text("new content"));
    EXPECT_EQ(Names(dir), std::set<std::string>{"settings.cfg"});
    ASSERT_EQ(during.size(), 2u);
    const std::string temporary = *during.rbegin();
    EXPECT_TRUE(std::regex_match(
        temporary, std::regex("settings\\.cfg\\.tmp" + std::to_string(getpid()) + "-[0-9]+")))
        << temporary;
}

TEST(ReplaceFile, AFailedWriterLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string target = dir.File("settings.cfg");
    WriteFile(target, Text("old"));
    const auto error = ReplaceFile(target, [](int fd) {
        EXPECT_FALSE(WriteAll(fd, Text("half")));
        return Errno(ENOSPC);
    });
    EXPECT_EQ(error, Errno(ENOSPC));
    EXPECT_EQ(ReadFile(target), Text("old"));
    EXPECT_EQ(Names(dir), std::set<std::string>{"settings.cfg"});

    // Likewise when the file system refuses the bytes, and with the syncs asked for.
    {
        FileSizeLimit limit(2);
        EXPECT_EQ(ReplaceFile(target, Writer(Text("too long")), {.sync = true}), Errno(EFBIG));
    }
    EXPECT_EQ(ReadFile(target), Text("old"));
    EXPECT_EQ(Names(dir), std::set<std::string>{"settings.cfg"});
}

TEST(ReplaceFile, ModeComesFromTheOldFileOrTheUmask) {
    TempDir dir;
    const Umask mask(027);
    const std::string kept = dir.File("kept");
    WriteFile(kept, Text("x"));
    chmod(kept.c_str(), 0604);
    ASSERT_FALSE(ReplaceFile(kept, Writer(Text("y"))));
    EXPECT_EQ(ModeOf(kept), 0604u);

    ASSERT_FALSE(ReplaceFile(kept, Writer(Text("z")), {.keepMode = false}));
    EXPECT_EQ(ModeOf(kept), 0640u);

    const std::string fresh = dir.File("fresh");
    ASSERT_FALSE(ReplaceFile(fresh, Writer(Text("y")), {.sync = true}));
    EXPECT_EQ(ModeOf(fresh), 0640u);
    EXPECT_EQ(ReadFile(fresh), Text("y"));
}

TEST(ReplaceFile, FollowsLinksAndKeepsThemLinks) {
    TempDir dir;
    fs::create_directory(dir.File("real"));
    const std::string real = dir.File("real/settings.cfg");
    WriteFile(real, Text("old"));
    struct Link {
        std::string name;
        std::string to;
    };
    const std::vector<Link> links = {
        {"absolute", real},
        {"relative", "real/settings.cfg"},
        {"chain", "relative"},
    };
    for (const Link& link : links) {
        SCOPED_TRACE(link.name);
        const std::string path = dir.File(link.name);
        fs::create_symlink(link.to, path);
        ASSERT_FALSE(ReplaceFile(path, Writer(Text(link.name))));
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_EQ(ReadFile(real), Text(link.name));
    }
    EXPECT_EQ(Names(dir).size(), 4u);

    // A link to a file not there yet makes that file.
    const std::string dangling = dir.File("dangling");
    fs::create_symlink("real/later.cfg", dangling);
    ASSERT_FALSE(ReplaceFile(dangling, Writer(Text("later"))));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadFile(dir.File("real/later.cfg")), Text("later"));

    const std::string loop = dir.File("loop");
    fs::create_symlink("loop", loop);
    EXPECT_EQ(ReplaceFile(loop, Writer(Text("x"))), Errno(ELOOP));
}

TEST(ReplaceFile, RefusesWhatIsNoRegularFile) {
    TempDir dir;
    fs::create_directory(dir.File("folder"));
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    bool called = false;
    const auto writer = [&](int) {
        called = true;
        return std::error_code();
    };
    EXPECT_EQ(ReplaceFile(dir.File("folder"), writer), Errno(EISDIR));
    EXPECT_EQ(ReplaceFile(fifo, writer), Errno(EINVAL));
    EXPECT_EQ(ReplaceFile(dir.File("missing/settings.cfg"), writer), Errno(ENOENT));
    EXPECT_FALSE(called);
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Names(dir), (std::set<std::string>{"fifo", "folder"}));
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_ino;
}

// A run's bitmaps: once a few freed files are kept, each replacement writes into the one of its
// target's size, cut to the new length, and no more than those few are left beside the
// targets meanwhile.
TEST(FileReplacer, ReplacesEachFileWholeAndRecyclesTheFreedOnes) {
    TempDir dir;
    // Old files of one block, except one of three, whose file the last target takes over.
    std::vector<std::string> targets;
    for (int i = 0; i < 6; ++i) {
        targets.push_back(dir.File(std::to_string(i) + ".bmp"));
        WriteFile(targets.back(), Bytes(i == 1 ? 9000 : 300, 'o'));
    }
    const ino_t threeBlocks = InodeOf(targets[1]);
    WriteFile(targets[5], Bytes(9100, 'o'));
    {
        FileReplacer replacer;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const Bytes content(i == 5 ? 9050 : 20 + 10 * i, static_cast<char>('A' + i));
            EXPECT_FALSE(replacer.Replace(targets[i], Writer(content)));
            EXPECT_EQ(ReadFile(targets[i]), content);
            EXPECT_LE(Names(dir).size(), targets.size() + FileReplacer::kSpares);
        }
        EXPECT_EQ(InodeOf(targets[5]), threeBlocks);
        // A writer that fails leaves the old file.
        EXPECT_EQ(replacer.Replace(targets[2], [](int) { return Errno(ENOSPC); }), Errno(ENOSPC));
        EXPECT_EQ(ReadFile(targets[2]), Bytes(40, 'C'));
    }
    EXPECT_EQ(Names(dir),
              (std::set<std::string>{"0.bmp", "1.bmp", "2.bmp", "3.bmp", "4.bmp", "5.bmp"}));
}

// A spare freed in another folder is moved beside its new target before it is written; one in
// the target's folder is written where it lies.
TEST(FileReplacer, RecyclesFreedFilesAcrossFolders) {
    TempDir dir;
    fs::create_directory(dir.File("x"));
    fs::create_directory(dir.File("y"));
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < FileReplacer::kSpares + 2; ++i) {
        targets.push_back(dir.File((i < FileReplacer::kSpares ? "x/" : "y/") + std::to_string(i)));
        WriteFile(targets.back(), Bytes(100, 'o'));
    }
    std::set<ino_t> freed;
    {
        FileReplacer replacer;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (i < FileReplacer::kSpares) {
                freed.insert(InodeOf(targets[i]));
            }
            const Bytes content(50 + i, static_cast<char>('A' + i));
            EXPECT_FALSE(replacer.Replace(targets[i], Writer(content)));
            EXPECT_EQ(ReadFile(targets[i]), content);
        }
        EXPECT_TRUE(freed.contains(InodeOf(targets[FileReplacer::kSpares])));
        EXPECT_TRUE(freed.contains(InodeOf(targets[FileReplacer::kSpares + 1])));
    }
    // Nothing but the targets is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("x")), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(FileReplacer::kSpares));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("y")), fs::directory_iterator()), 2);
}

// Freed files on another file system cannot be swapped in: the target gets a new one.
TEST(FileReplacer, ReplacesOnAnotherFileSystemThanItsSpares) {
    TempDir dir;
    char shm[] = "/dev/shm/kestrum-replacer-XXXXXX";
    struct stat here {};
    struct stat there {};
    if (mkdtemp(shm) == nullptr || stat(shm, &there) != 0 || stat(dir.Path().c_str(), &here) != 0 ||
        here.st_dev == there.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const std::string other = std::string(shm) + "/a.bmp";
    WriteFile(other, Bytes(100, 'o'));
    {
        FileReplacer replacer;
        for (std::size_t i = 0; i < FileReplacer::kSpares; ++i) {
            const std::string target = dir.File(std::to_string(i));
            WriteFile(target, Bytes(100, 'o'));
            EXPECT_FALSE(replacer.Replace(target, Writer(Bytes(10, 'n'))));
        }
        EXPECT_FALSE(replacer.Replace(other, Writer(Bytes(20, 'm'))));
        EXPECT_EQ(ReadFile(other), Bytes(20, 'm'));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(shm), fs::directory_iterator()), 1);
    fs::remove_all(shm);
}

TEST(FileReplacer, TakesTheOldFilesModeAndRefusesWhatIsNoRegularFile) {
    TempDir dir;
    const std::string target = dir.File("a.bmp");
    WriteFile(target, Bytes(3, 'a'));
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    // The files that the first replacements free, one of which the last takes over, have other
    // bits.
    FileReplacer replacer;
    EXPECT_FALSE(replacer.Replace(dir.File("new.bmp"), Writer(Bytes(1, 'o'))));
    for (std::size_t i = 0; i < FileReplacer::kSpares; ++i) {
        const std::string other = dir.File("other" + std::to_string(i) + ".bmp");
        WriteFile(other, Bytes(1, 'p'));
        ASSERT_EQ(chmod(other.c_str(), 0604), 0);
        EXPECT_FALSE(replacer.Replace(other, Writer(Bytes(1, 'o'))));
    }
    EXPECT_FALSE(replacer.Replace(target, Writer(Bytes(2, 'n'))));
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(replacer.Replace(dir.Path().string(), Writer(Bytes(1, 'x'))), Errno(EISDIR));
}

TEST(RemoveStaleTemporaries, RemovesOnlyTheDeadWritersFilesOfTheTarget) {
    TempDir dir;
    const std::string dead = std::to_string(DeadPid());
    const std::string live = std::to_string(getpid());
    const std::vector<std::string> removed = {
        "a.cfg.tmp" + dead + "-0",
        "a.cfg.tmp" + dead + "-12",
    };
    const std::vector<std::string> kept = {
        "a.cfg",
        "a.cfg.tmp" + live + "-0",       // a writer still at work
        "a.cfg.tmp1-0",                  // init never ends
        "b.cfg.tmp" + dead + "-0",       // another target
        "a.cfg.tmp" + dead + "-",        // no counter
        "a.cfg.tmp" + dead + "-0x",      // not a counter
        "a.cfg.tmp-" + dead + "-0",      // no process id
        "a.cfg.tmp0-0",                  // no process has id 0
        "a.cfg.tmp99999999999999999-0",  // nor one this large
        "a.cfg.tmp" + dead + "-1.saved", // something else
    };
    for (const auto& name : removed) {
        WriteFile(dir.File(name), Text("x"));
    }
    for (const auto& name : kept) {
        WriteFile(dir.File(name), Text("x"));
    }
    // Only regular files are ReplaceFile's.
    const std::string folder = "a.cfg.tmp" + dead + "-1";
    const std::string link = "a.cfg.tmp" + dead + "-2";
    fs::create_directory(dir.File(folder));
    fs::create_symlink("a.cfg", dir.File(link));

    EXPECT_EQ(RemoveStaleTemporaries(dir.Path().string(),
                                     [](std::string_view base) { return base == "a.cfg"; }),
              2);
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert({folder, link});
    EXPECT_EQ(Names(dir), expected);
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("missing"), [](std::string_view) { return true; }),
              0);
}

TEST(ReplaceFile, CanClearAwayWhatKilledWritersLeft) {
    TempDir dir;
    const std::string target = dir.File("a.cfg");
    const std::string stale = target + ".tmp" + std::to_string(DeadPid()) + "-0";
    const std::string other = dir.File("b.cfg.tmp" + std::to_string(DeadPid()) + "-0");
    WriteFile(stale, Text("x"));
    WriteFile(other, Text("x"));
    ASSERT_FALSE(ReplaceFile(target, Writer(Text("y"))));
    EXPECT_TRUE(fs::exists(stale)) << "left alone unless asked";
    ASSERT_FALSE(ReplaceFile(target, Writer(Text("z")), {.removeStale = true}));
    EXPECT_EQ(Names(dir), (std::set<std::string>{"a.cfg", fs::path(other).filename().string()}));
}

} // namespace
} // namespace kestrum::test
