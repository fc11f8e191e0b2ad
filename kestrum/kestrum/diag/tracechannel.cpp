#include "kestrum/diag/tracechannel.h"

#include "kestrum/util/fileio.h"
#include "kestrum/util/littleendian.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace kestrum {

namespace {

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

void AppendField(std::vector<std::uint8_t>& bytes, std::string_view field) {
    field = field.substr(0, std::numeric_limits<std::uint16_t>::max());
    const auto size = static_cast<std::uint16_t>(field.size());
    bytes.push_back(static_cast<std::uint8_t>(size));
    bytes.push_back(static_cast<std::uint8_t>(size >> 8));
    bytes.insert(bytes.end(), field.begin(), field.end());
}

// Reads one length-prefixed field at the front of bytes and drops it from there.
std::optional<std::string> TakeField(std::span<const std::uint8_t>& bytes) {
    if (bytes.size() < 2) {
        return std::nullopt;
    }
    const std::size_t size = ReadLe16(bytes);
    if (bytes.size() - 2 < size) {
        return std::nullopt;
    }
    std::string field(bytes.begin() + 2, bytes.begin() + 2 + static_cast<std::ptrdiff_t>(size));
    bytes = bytes.subspan(2 + size);
    return field;
}

bool IsTraceObjectName(std::string_view name) {
    return name.size() > kTraceObjectPrefix.size() && name.starts_with(kTraceObjectPrefix) &&
           name.find('/', 1) == std::string_view::npos;
}

} // namespace

std::string TraceRuntimeFolder(bool create) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (runtime != nullptr && runtime[0] == '/') {
        folder = runtime;
    } else {
        folder = "/tmp/Lumbex-" + std::to_string(geteuid());
        if (create) {
            mkdir(folder.c_str(), 0700);
        }
    }
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::string TraceEndpointPath(bool create) {
    const std::string folder = TraceRuntimeFolder(create);
    if (folder.empty()) {
        return {};
    }
    std::string path = folder + "/" + std::string(kTraceEndpointName);
    return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
}

std::error_code BindTraceEndpoint(int fd, const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return {ENAMETOOLONG, std::system_category()};
    }
    path.copy(address.sun_path, path.size());
    // Linux creates the socket file with the socket's own mode bits, so that with these set
    // first the file is never open to others, not even until the chmod below.
    fchmod(fd, S_IRUSR | S_IWUSR);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {errno, std::system_category()};
    }
    if (chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0) {
        const std::error_code error(errno, std::system_category());
        unlink(path.c_str());
        return error;
    }
    return {};
}

std::optional<std::string> TakeTraceMessage(const std::string& objectName) {
    const UniqueFd fd(shm_open(objectName.c_str(), O_RDONLY | O_CLOEXEC, 0));
    struct stat info {};
    if (!fd.IsOpen() || fstat(fd.Get(), &info) != 0 || info.st_uid != geteuid()) {
        return std::nullopt;
    }
    shm_unlink(objectName.c_str());
    if (info.st_size <= 0) {
        return std::nullopt;
    }
    const auto size = std::min(static_cast<std::size_t>(info.st_size), kTraceBufferSize);
    void* view = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd.Get(), 0);
    if (view == MAP_FAILED) {
        return std::nullopt;
    }
    const char* bytes = static_cast<const char*>(view);
    std::string text(bytes, strnlen(bytes, size));
    munmap(view, size);
    return text;
}

std::vector<std::uint8_t> EncodeTraceDatagram(const TraceDatagram& datagram) {
    std::vector<std::uint8_t> bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(kTraceMessage >> shift));
    }
    AppendField(bytes, datagram.objectName);
    AppendField(bytes, datagram.timeText);
    return bytes;
}

std::optional<TraceDatagram> DecodeTraceDatagram(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4) {
        return std::nullopt;
    }
    std::uint32_t message = 0;
    for (int i = 3; i >= 0; --i) {
        message = (message << 8) | bytes[static_cast<std::size_t>(i)];
    }
    if (message != kTraceMessage) {
        return std::nullopt;
    }
    bytes = bytes.subspan(4);
    auto objectName = TakeField(bytes);
    auto timeText = TakeField(bytes);
    if (!objectName || !timeText || !bytes.empty() || !IsTraceObjectName(*objectName)) {
        return std::nullopt;
    }
    return TraceDatagram{std::move(*objectName), std::move(*timeText)};
}

} // namespace kestrum
