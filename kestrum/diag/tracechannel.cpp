#include "kestrum/diag/tracechannel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
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
    const std::size_t size = bytes[0] | (std::size_t{bytes[1]} << 8);
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
    if (runtime != nullptr && runtime[0] == '/') {
        return runtime;
    }
    const std::string fallback = "/tmp/Lumbex-" + std::to_string(geteuid());
    if (create) {
        mkdir(fallback.c_str(), 0700);
    }
    return IsPrivateFolder(fallback) ? fallback : std::string();
}

std::string TraceEndpointPath(bool create) {
    const std::string folder = TraceRuntimeFolder(create);
    if (folder.empty()) {
        return {};
    }
    std::string path = folder + "/" + std::string(kTraceEndpointName);
    return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
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
