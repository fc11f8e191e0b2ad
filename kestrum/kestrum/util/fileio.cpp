#include "kestrum/util/fileio.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>

namespace kestrum {

namespace {

// Names tried when a temporary file of the same name is left over from an earlier process
// that had our process id.
constexpr int kNameAttempts = 100;
// As the kernel's own limit on links followed in one path.
constexpr int kLinkHops = 40;

std::error_code LastError() {
    return {errno, std::system_category()};
}

// In the system category, as LastError's: error codes compare equal only within one category.
std::error_code ErrorOf(std::errc code) {
    return {static_cast<int>(code), std::system_category()};
}

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kKilo = 1024;
    constexpr std::size_t kMega = kKilo * kKilo;
    if (bytes >= kMega && bytes % kMega == 0) {
        return std::to_string(bytes / kMega) + " MB";
    }
    if (bytes >= kKilo && bytes % kKilo == 0) {
        return std::to_string(bytes / kKilo) + " KB";
    }
    return std::to_string(bytes) + " bytes";
}

ReadResult Refused(ReadProblem problem, std::error_code error, std::size_t limit) {
    ReadResult result;
    result.problem = problem;
    result.error = error;
    result.limit = limit;
    return result;
}

std::error_code NotRegularError(mode_t mode) {
    return ErrorOf(S_ISDIR(mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that path names once every link on the way is followed, and its status in info
// when it exists. A link to a file that does not exist yet names that file: writing there
// creates it and keeps the link.
std::error_code FollowLinks(std::string& path, std::optional<struct stat>& info) {
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat found {};
        if (lstat(path.c_str(), &found) != 0) {
            info.reset();
            return errno == ENOENT ? std::error_code() : LastError();
        }
        if (!S_ISLNK(found.st_mode)) {
            info = found;
            return {};
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t size = readlink(path.c_str(), link.data(), link.size());
        if (size < 0) {
            return LastError();
        }
        if (static_cast<std::size_t>(size) == link.size()) {
            return ErrorOf(std::errc::filename_too_long);
        }
        link.resize(static_cast<std::size_t>(size));
        path = link.starts_with('/') ? link : FolderOf(path) + "/" + link;
    }
    return ErrorOf(std::errc::too_many_symbolic_link_levels);
}

// The descriptor of a temporary file, and the file itself until it is committed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        m_fd.Close();
        if (!m_path.empty()) {
            unlink(m_path.c_str());
        }
    }

    // Creates a file of a name not in use beside target.
    [[nodiscard]] std::error_code Create(const std::string& target) {
        return TakeName(target, [](const std::string& path) {
            return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        });
    }

    // Takes over spare, the file an earlier replacement freed, under a name not in use beside
    // target; its bytes are written over, and Cut ends them where the new ones end.
    [[nodiscard]] std::error_code Adopt(const std::string& spare, const std::string& target) {
        return TakeName(target, [&spare](const std::string& path) {
            if (renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
                return -1;
            }
            const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0) {
                const int error = errno;
                unlink(path.c_str());
                errno = error;
            }
            return fd;
        });
    }

    // Takes over spare under its own name, which is as unused as any temporary name can be:
    // for a spare beside the target, which a rename would only move to a name of the target's.
    // A rename is a journalled change of the folder, a tenth of a run's time per bitmap.
    [[nodiscard]] std::error_code Reuse(const std::string& spare) {
        const int fd = open(spare.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return LastError();
        }
        m_fd = UniqueFd(fd);
        m_path = spare;
        return {};
    }

    // size: the file's size before it was written over. Cutting a file is a journalled change
    // of its inode, so a file that the new bytes covered whole is left as it is.
    std::error_code Cut(off_t size) const {
        const off_t end = lseek(m_fd.Get(), 0, SEEK_CUR);
        if (end < 0) {
            return LastError();
        }
        return end >= size || ftruncate(m_fd.Get(), end) == 0 ? std::error_code() : LastError();
    }

    int Fd() const { return m_fd.Get(); }

    std::error_code Commit(const std::string& target, bool sync) {
        if (sync && fsync(m_fd.Get()) != 0) {
            return LastError();
        }
        if (const std::error_code error = m_fd.Close()) {
            return error;
        }
        if (rename(m_path.c_str(), target.c_str()) != 0) {
            return LastError();
        }
        m_path.clear();
        return {};
    }

    // Swaps the file with target, which exists: target becomes the new file, and the file
    // under the temporary name, now target's old one, is handed over in freed.
    std::error_code Exchange(const std::string& target, std::string& freed) {
        if (const std::error_code error = m_fd.Close()) {
            return error;
        }
        if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            return LastError();
        }
        freed = std::exchange(m_path, std::string());
        return {};
    }

private:
    // open(path) gives the descriptor of the file under a name TARGET.tmpPID-N, or -1 with
    // errno EEXIST when that name is taken.
    template <typename Open>
    std::error_code TakeName(const std::string& target, Open&& open) {
        const std::string prefix = target + ".tmp" + std::to_string(getpid()) + "-";
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            std::string path = prefix + std::to_string(attempt);
            const int fd = open(path);
            if (fd >= 0) {
                m_fd = UniqueFd(fd);
                m_path = std::move(path);
                return {};
            }
            if (errno != EEXIST) {
                return LastError();
            }
        }
        return ErrorOf(std::errc::file_exists);
    }

    UniqueFd m_fd;
    std::string m_path;
};

// Only a privileged process may give a file away; others keep at least the group where they
// belong to it, and otherwise the new file is theirs.
bool TakeOwner(int fd, const struct stat& old) {
    return fchown(fd, old.st_uid, old.st_gid) == 0 ||
           fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

// The file at fd takes old's owner and permission bits. Each is changed only where it differs:
// every change is a journalled write of the inode, and a run replaces thousands of files.
// now gets the file's status.
std::error_code TakeOwnerAndMode(int fd, const struct stat& old, struct stat& now) {
    if (fstat(fd, &now) != 0) {
        return LastError();
    }
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
        TakeOwner(fd, old);
    }
    if ((now.st_mode & 07777) != (old.st_mode & 07777) && fchmod(fd, old.st_mode & 07777) != 0) {
        return LastError();
    }
    return {};
}

// A file system that cannot sync a folder says EINVAL; the file itself has been synced.
std::error_code SyncFolder(const std::string& folder) {
    const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return LastError();
    }
    if (fsync(fd.Get()) != 0 && errno != EINVAL) {
        return LastError();
    }
    return {};
}

std::error_code RewriteInPlace(const std::string& target,
                               const std::function<std::error_code(int fd)>& write, bool sync) {
    UniqueFd fd(open(target.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return LastError();
    }
    if (const std::error_code error = write(fd.Get())) {
        return error;
    }
    if (sync && fsync(fd.Get()) != 0) {
        return LastError();
    }
    return fd.Close();
}

struct TemporaryName {
    std::string_view base;
    pid_t pid = 0;
};

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "BASE.tmpPID-N" taken apart.
std::optional<TemporaryName> ParseTemporaryName(std::string_view name) {
    const std::size_t mark = name.rfind(".tmp");
    if (mark == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(mark + 4);
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) ||
        !AllDigits(rest.substr(dash + 1))) {
        return std::nullopt;
    }
    TemporaryName parsed{name.substr(0, mark)};
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + dash, parsed.pid);
    if (error != std::errc() || parsed.pid <= 0) {
        return std::nullopt;
    }
    return parsed;
}

// A process that exists but belongs to someone else answers EPERM: it counts as alive.
bool IsGone(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

UniqueFd::UniqueFd(UniqueFd&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    Close();
}

int UniqueFd::Release() noexcept {
    return std::exchange(m_fd, -1);
}

std::error_code UniqueFd::Close() noexcept {
    if (m_fd < 0) {
        return {};
    }
    // Linux releases the descriptor even when close is interrupted, so it is never retried;
    // EINTR says nothing about the data.
    if (close(std::exchange(m_fd, -1)) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

std::string ReadResult::Message() const {
    switch (problem) {
    case ReadProblem::None:
        return {};
    case ReadProblem::NotRegular:
        return "not a regular file";
    case ReadProblem::TooLarge:
        return "larger than " + SizeText(limit);
    case ReadProblem::Missing:
    case ReadProblem::Unreadable:
        break;
    }
    return error.message();
}

std::error_code RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return LastError();
    }
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) {
        return std::make_error_code(std::errc::file_exists);
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

bool IsMissing(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

ReadResult ReadFileLimited(const std::string& path, std::size_t limit) {
    // Non-blocking, so that opening a FIFO without a writer returns at once; it makes no
    // difference to reading a regular file.
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        const std::error_code error = LastError();
        const bool missing = error == std::errc::no_such_file_or_directory;
        return Refused(missing ? ReadProblem::Missing : ReadProblem::Unreadable, error, limit);
    }
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) {
        return Refused(ReadProblem::Unreadable, LastError(), limit);
    }
    if (!S_ISREG(info.st_mode)) {
        return Refused(ReadProblem::NotRegular, NotRegularError(info.st_mode), limit);
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > limit) {
        return Refused(ReadProblem::TooLarge, ErrorOf(std::errc::file_too_large), limit);
    }
    // One byte beyond the limit is enough to see that a file has grown past it.
    const std::size_t ceiling = limit < std::numeric_limits<std::size_t>::max() ? limit + 1 : limit;
    ReadResult result;
    result.limit = limit;
    // The size is a hint: files in /proc say 0, and a file may grow while it is read.
    result.bytes.resize(std::min(static_cast<std::size_t>(size) + 1, ceiling));
    std::size_t filled = 0;
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled >= ceiling) {
                return Refused(ReadProblem::TooLarge, ErrorOf(std::errc::file_too_large), limit);
            }
            result.bytes.resize(std::min(std::max<std::size_t>(filled * 2, 4096), ceiling));
        }
        const ssize_t count =
            read(fd.Get(), result.bytes.data() + filled, result.bytes.size() - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return Refused(ReadProblem::Unreadable, LastError(), limit);
        }
        if (count == 0) {
            break;
        }
        filled += static_cast<std::size_t>(count);
    }
    if (filled > limit) {
        return Refused(ReadProblem::TooLarge, ErrorOf(std::errc::file_too_large), limit);
    }
    result.bytes.resize(filled);
    return result;
}

std::error_code WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return LastError();
        }
        if (written == 0) {
            return ErrorOf(std::errc::no_space_on_device);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return {};
}

std::error_code WriteText(int fd, std::string_view text) {
    return WriteAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool IsSameFile(const std::string& path, const std::string& other) {
    std::error_code error;
    return path == other || std::filesystem::equivalent(path, other, error);
}

std::error_code TryCreateBeside(const std::string& target, std::size_t bytes) {
    TemporaryFile temporary;
    if (const std::error_code error = temporary.Create(target)) {
        return error;
    }
    const std::vector<std::uint8_t> zeros(bytes);
    return WriteAll(temporary.Fd(), zeros);
}

std::error_code ReplaceFile(const std::string& target,
                            const std::function<std::error_code(int fd)>& write,
                            const ReplaceOptions& options) {
    std::string path = target;
    std::optional<struct stat> old;
    if (const std::error_code error = FollowLinks(path, old)) {
        return error;
    }
    const bool exists = old.has_value();
    if (exists && !S_ISREG(old->st_mode)) {
        return NotRegularError(old->st_mode);
    }
    if (options.removeStale) {
        const std::string name = NameOf(path);
        RemoveStaleTemporaries(FolderOf(path), [&](std::string_view base) { return base == name; });
    }
    TemporaryFile temporary;
    if (const std::error_code error = temporary.Create(path)) {
        // A file the user may write in a folder the user may not (a settings file handed out
        // in a shared folder) could not be saved at all otherwise. In place, a failure half way
        // leaves it damaged, which is why this is only the way out, never the way.
        const bool locked =
            error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
        if (locked && exists && options.inPlaceWhenFolderLocked) {
            return RewriteInPlace(path, write, options.sync);
        }
        return error;
    }
    if (exists && options.keepMode) {
        struct stat created {};
        if (const std::error_code error = TakeOwnerAndMode(temporary.Fd(), *old, created)) {
            return error;
        }
    }
    if (const std::error_code error = write(temporary.Fd())) {
        return error;
    }
    if (const std::error_code error = temporary.Commit(path, options.sync)) {
        return error;
    }
    return options.sync ? SyncFolder(FolderOf(path)) : std::error_code();
}

int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(std::string_view base)>& isTarget) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const auto parsed = ParseTemporaryName(entry->d_name);
        if (!parsed || !isTarget(parsed->base) || !IsGone(parsed->pid)) {
            continue;
        }
        // Only what ReplaceFile makes: a folder or a link of that name is someone else's.
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && unlinkat(dirfd(dir), entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    closedir(dir);
    return removed;
}

FileReplacer::~FileReplacer() {
    for (const Spare& spare : m_spares) {
        unlink(spare.path.c_str());
    }
}

// The spare of the target's own size in blocks, or else the smallest that is larger, or else
// the largest: cutting a file back across a block, or deleting one, frees blocks, which a file
// system mounted to discard them passes to the disk while the writer waits.
std::string FileReplacer::TakeSpare(std::int64_t blocks) {
    const auto cost = [blocks](const Spare& spare) {
        return spare.blocks >= blocks
                   ? spare.blocks - blocks
                   : std::numeric_limits<std::int64_t>::max() / 2 + (blocks - spare.blocks);
    };
    const auto best =
        std::min_element(m_spares.begin(), m_spares.end(),
                         [&cost](const Spare& a, const Spare& b) { return cost(a) < cost(b); });
    std::string path = std::move(best->path);
    m_spares.erase(best);
    return path;
}

std::error_code FileReplacer::Replace(const std::string& target,
                                      const std::function<std::error_code(int fd)>& write) {
    std::string path = target;
    std::optional<struct stat> old;
    if (const std::error_code error = FollowLinks(path, old)) {
        return error;
    }
    if (!old) {
        // Nothing to swap with: a new file, as ReplaceFile makes it.
        return ReplaceFile(path, write);
    }
    if (!S_ISREG(old->st_mode)) {
        return NotRegularError(old->st_mode);
    }
    TemporaryFile temporary;
    // The first replacements make their temporary files new, until enough spares are kept to
    // choose among.
    std::error_code error = ErrorOf(std::errc::no_such_file_or_directory);
    if (m_spares.size() == kSpares) {
        const std::string spare = TakeSpare(old->st_blocks);
        error = FolderOf(spare) == FolderOf(path) ? temporary.Reuse(spare)
                                                  : temporary.Adopt(spare, path);
        if (error) {
            // A spare in another file system, or gone: the temporary file is made new.
            unlink(spare.c_str());
        }
    }
    if (error) {
        error = temporary.Create(path);
    }
    if (error) {
        return error;
    }
    struct stat before {};
    if (const std::error_code taken = TakeOwnerAndMode(temporary.Fd(), *old, before)) {
        return taken;
    }
    if (const std::error_code written = write(temporary.Fd())) {
        return written;
    }
    if (const std::error_code cut = temporary.Cut(before.st_size)) {
        return cut;
    }
    std::string freed;
    error = temporary.Exchange(path, freed);
    if (!error) {
        m_spares.push_back({std::move(freed), old->st_blocks});
        return {};
    }
    // A file system that cannot swap two names still renames.
    if (error == std::errc::invalid_argument || error == std::errc::function_not_supported) {
        error = temporary.Commit(path, false);
    }
    return error;
}

} // namespace kestrum
