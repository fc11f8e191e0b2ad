#pragma once

#include <kestrum/kestrum_export.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The file layer under every reader and writer of the library: a read that tells a missing
// file from one it may not or will not read, and one write path that replaces a file whole or
// not at all. Standard library and POSIX only.
namespace kestrum {

// Owns a file descriptor and closes it once.
class KESTRUM_EXPORT UniqueFd {
public:
    explicit UniqueFd(int fd = -1) noexcept
        : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    // Closes without a word: a caller who must know whether close failed calls Close().
    ~UniqueFd();

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Hands the descriptor over; this object no longer closes it.
    int Release() noexcept;
    // Closes now and says whether close reported an error (a delayed write error on a network
    // file system shows only here). Nothing to do when no descriptor is held.
    std::error_code Close() noexcept;

private:
    int m_fd;
};

// Why a read did not give the bytes.
enum class ReadProblem { None, Missing, NotRegular, TooLarge, Unreadable };

struct KESTRUM_EXPORT ReadResult {
    std::vector<std::uint8_t> bytes;
    ReadProblem problem = ReadProblem::None;
    // The system's reason: ENOENT, EACCES, EISDIR for a folder, EINVAL for another file that
    // is not regular, EFBIG for too large, or what read itself reported.
    std::error_code error;
    // The limit the read was given, so that a message can name it.
    std::size_t limit = 0;

    explicit operator bool() const { return problem == ReadProblem::None; }
    // The reason for messages "FILE: WHY": "No such file or directory", "not a regular file",
    // "larger than 64 MB", "Permission denied", ...
    std::string Message() const;
};

// Whether two paths name one file: the same text, or one file through links and folders.
KESTRUM_EXPORT bool IsSameFile(const std::string& path, const std::string& other);

// Whether nothing is at path: a file that is there but cannot be read is not missing.
KESTRUM_EXPORT bool IsMissing(const std::string& path);

// Reads the whole regular file at path, of at most limit bytes, in one pass. A file that is not
// regular (a folder, /dev/zero, a FIFO) or larger than limit is refused without reading it;
// one that grows past limit while it is read is refused too.
[[nodiscard]] KESTRUM_EXPORT ReadResult ReadFileLimited(const std::string& path, std::size_t limit);

// Writes all bytes to fd, through short writes and interruptions; the error when it could not.
[[nodiscard]] KESTRUM_EXPORT std::error_code WriteAll(int fd, std::span<const std::uint8_t> bytes);
// The bytes of a text, as above.
[[nodiscard]] KESTRUM_EXPORT std::error_code WriteText(int fd, std::string_view text);

// Renames from to to unless something is at to already (then errc::file_exists), in one step
// where the file system can; where it cannot, a check and a rename.
[[nodiscard]] KESTRUM_EXPORT std::error_code RenameWithoutReplacing(const std::string& from,
                                                                    const std::string& to);

struct ReplaceOptions {
    // fsync the file before the rename and the folder after it, so that a power cut leaves
    // either the old or the new file, never an empty one.
    bool sync = false;
    // The new file takes the old file's permission bits (and, where the process may, its owner
    // and group).
    bool keepMode = true;
    // Before writing, remove the temporaries of this target that killed writers left beside it
    // (see RemoveStaleTemporaries).
    bool removeStale = false;
    // When the folder refuses the temporary file (EACCES, EPERM) but the target exists and
    // the process may write it, rewrite the target in place instead: truncate, write, fsync.
    // The replacement is then no longer atomic; take it only where not saving at all is worse.
    bool inPlaceWhenFolderLocked = false;
};

// Writes target through a temporary file beside it, named TARGET.tmpPID-N, created
// 0666 & ~umask with O_EXCL; write(fd) fills it; then the temporary file is renamed over
// target, so that target is always either the old or the whole new file. On any failure the
// temporary file is removed and target is untouched. A symlink target is followed: the file it
// names is replaced and the link stays a link. A target that exists but is not a regular file
// is refused (EISDIR, or EINVAL for a device or FIFO), as renaming over it would replace it.
// Returns the error, empty on success; a failure of write comes back as write returned it.
// With sync set, a folder that cannot be synced is reported after target has been replaced.
[[nodiscard]] KESTRUM_EXPORT std::error_code
ReplaceFile(const std::string& target, const std::function<std::error_code(int fd)>& write,
            const ReplaceOptions& options = {});

// Whether ReplaceFile could write a file of bytes bytes beside target now: creates its
// temporary file, writes zeros into it and removes it again. For a writer that replaces target
// only at the end of a long work, to learn before the work that the folder takes no file
// (EACCES, EROFS, ENOSPC, EDQUOT, ...). Empty when it could.
[[nodiscard]] KESTRUM_EXPORT std::error_code TryCreateBeside(const std::string& target,
                                                             std::size_t bytes);

// Replaces file after file, each as ReplaceFile does with the default options: every target is
// at any moment either its old or its whole new file. Where a target exists, the new file
// swaps names with it, and the old file under the temporary name is kept as a spare, a
// temporary file for a later replacement: a long series (a run's bitmaps) then neither creates
// nor deletes a file on the way, which on ext4 costs over ten times the writing of a small
// file. Of the few spares kept, each replacement takes the one nearest its target's size, so
// that cutting it to the new length seldom frees blocks. The spares are named like temporary
// files (TARGET.tmpPID-N, after the target they were made for: a spare in the target's folder
// keeps its name) and removed by the destructor, or by RemoveStaleTemporaries after a kill.
class KESTRUM_EXPORT FileReplacer {
public:
    FileReplacer() = default;
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    [[nodiscard]] std::error_code Replace(const std::string& target,
                                          const std::function<std::error_code(int fd)>& write);

    // How many spares are kept once a series is under way.
    static constexpr std::size_t kSpares = 4;

private:
    struct Spare {
        std::string path;
        std::int64_t blocks = 0; // its size in 512-byte blocks
    };

    std::string TakeSpare(std::int64_t blocks);

    std::vector<Spare> m_spares; // the freed files kept for later replacements
};

// Removes, in folder, the temporary files that ReplaceFile left behind when their writer was
// killed: regular files named "BASE.tmpPID-N" where isTarget(BASE) holds and process PID no
// longer exists. One scan of the folder; returns how many it removed. Files of a live process
// (or one this process may not signal) are never touched.
KESTRUM_EXPORT int
RemoveStaleTemporaries(const std::string& folder,
                       const std::function<bool(std::string_view base)>& isTarget);

} // namespace kestrum
