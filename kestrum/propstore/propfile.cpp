#include "propfile.h"

#include "kestrum/propstore/carchive.h"
#include "kestrum/propstore/carchiveexception.h"
#include "kestrum/util/cstringhelper.h"
#include "kestrum/util/modulefilename.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestrum::propfile {
namespace {

using Cause = CArchiveException::Cause;

[[noreturn]] void ThrowFileError(const std::string& what, int error) {
    throw CArchiveException(Cause::FileError, what + ": " + std::strerror(error));
}

// Closes the descriptor and, unless released, removes the temporary file it was writing.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        // Beside the target, so that the final rename stays within one file system.
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
            m_fd = open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST) {
                break;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        // The cleanup must not hide why the save failed from a caller that reads errno.
        const int error = errno;
        if (m_fd >= 0) {
            close(m_fd);
        }
        if (!m_kept) {
            unlink(m_path.c_str());
        }
        errno = error;
    }

    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }

    void Write(std::span<const std::uint8_t> bytes) const {
        while (!bytes.empty()) {
            const ssize_t written = write(m_fd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                ThrowFileError("cannot write " + m_path, written < 0 ? errno : ENOSPC);
            }
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
    }

    void Commit(const std::string& target) {
        if (fsync(m_fd) != 0) {
            ThrowFileError("cannot sync " + m_path, errno);
        }
        const int fd = m_fd;
        m_fd = -1;
        if (close(fd) != 0) {
            ThrowFileError("cannot close " + m_path, errno);
        }
        if (rename(m_path.c_str(), target.c_str()) != 0) {
            ThrowFileError("cannot replace " + target, errno);
        }
        m_kept = true;
    }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_kept = false;
};

// A link keeps pointing at the settings: the file it names is replaced, not the link.
std::string FollowLinks(const std::string& path) {
    std::error_code error;
    const auto resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
}

void SyncFolderOf(const std::string& path) {
    const auto folder = std::filesystem::path(path).parent_path();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Reads the file in one pass and closes it.
std::vector<std::uint8_t> ReadAll(int fd, const std::string& path) {
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        const ssize_t count = read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            ThrowFileError("cannot read " + path, errno);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
}

std::vector<std::uint8_t> Serialized(CObject& object) {
    std::vector<std::uint8_t> bytes;
    CArchive ar(bytes);
    object.Serialize(ar);
    return bytes;
}

} // namespace

std::string Resolve(const std::string& fileName, std::string_view extension) {
    if (!fileName.empty()) {
        return fileName;
    }
    CStringHelper helper;
    return helper.ChangeFileExtension(ModuleFileName(), std::string(extension));
}

bool Save(CObject& object, const std::string& path) {
    try {
        const std::string target = FollowLinks(path);
        struct stat existing {};
        const bool exists = stat(target.c_str(), &existing) == 0;
        // A file the user made read-only stays as it is, as it would if we wrote into it.
        if (exists && access(target.c_str(), W_OK) != 0) {
            return false;
        }
        const std::vector<std::uint8_t> bytes = Serialized(object);
        TemporaryFile temp(target);
        if (temp.Fd() < 0) {
            return false;
        }
        if (exists) {
            fchmod(temp.Fd(), existing.st_mode & 07777);
        }
        temp.Write(bytes);
        temp.Commit(target);
        SyncFolderOf(target);
        return true;
    } catch (const std::bad_alloc&) {
        throw CArchiveException(Cause::OutOfMemory);
    }
}

bool Load(CObject& object, const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    try {
        const std::vector<std::uint8_t> bytes = ReadAll(fd, path);
        CArchive ar{std::span<const std::uint8_t>(bytes)};
        object.Serialize(ar);
        return true;
    } catch (const std::bad_alloc&) {
        throw CArchiveException(Cause::OutOfMemory);
    }
}

} // namespace kestrum::propfile
