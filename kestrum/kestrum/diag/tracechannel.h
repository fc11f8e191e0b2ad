#pragma once

#include <kestrum/kestrum_export.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The channel between CShowIt and a trace viewer. A viewer binds a Unix datagram socket named
// kTraceEndpointName in the user's runtime folder. Each message travels as a POSIX shared-memory
// object of kTraceBufferSize bytes holding the text with its terminating zero, and one datagram
// naming that object: the message number (32-bit little-endian), then the object's name and the
// time text, each as a 16-bit little-endian length and its bytes. The viewer unlinks each
// object after reading it.
namespace kestrum {

inline constexpr std::uint32_t kTraceMessage = 0x1667;
inline constexpr std::size_t kTraceBufferSize = 4096;
inline constexpr std::string_view kTraceEndpointName = "Lumbex";
// Every object name a sender makes starts so; a viewer unlinks no other object, so that a
// stray datagram cannot make it remove shared memory that belongs to someone else.
inline constexpr std::string_view kTraceObjectPrefix = "/kestrum-trace-";

struct TraceDatagram {
    std::string objectName;
    std::string timeText;
};

// The folder of the viewer's endpoint: $XDG_RUNTIME_DIR when it is an absolute path, else
// /tmp/Lumbex-UID. Either only counts when it is a real folder (not a link) owned by this user
// and closed to everyone else: messages may hold private data, and whoever may write there
// could put an endpoint of their own in the viewer's place. Otherwise the result is empty.
// With create set, a missing fallback folder is made.
KESTRUM_EXPORT std::string TraceRuntimeFolder(bool create);

// The endpoint's socket path, or empty when there is no usable runtime folder or the path does
// not fit into a socket address.
KESTRUM_EXPORT std::string TraceEndpointPath(bool create);

// Binds fd, a Unix datagram socket, at path for a viewer, the socket file readable and writable
// by this user alone (0600) whatever the umask. The error when it could not.
KESTRUM_EXPORT std::error_code BindTraceEndpoint(int fd, const std::string& path);

// The text of the message object objectName (up to its terminating zero), which is then
// unlinked: it was made for this one reading. Empty when the object cannot be read, or is not
// this user's own: an object that someone else made under a sender's name is neither read nor
// removed.
KESTRUM_EXPORT std::optional<std::string> TakeTraceMessage(const std::string& objectName);

KESTRUM_EXPORT std::vector<std::uint8_t> EncodeTraceDatagram(const TraceDatagram& datagram);

// Empty for anything that is not exactly one trace message: a wrong number, a length that runs
// past the end, bytes left over, an object name outside kTraceObjectPrefix or holding a
// further slash.
KESTRUM_EXPORT std::optional<TraceDatagram>
DecodeTraceDatagram(std::span<const std::uint8_t> bytes);

} // namespace kestrum
