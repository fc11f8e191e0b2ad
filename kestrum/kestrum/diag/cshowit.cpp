#include "kestrum/diag/cshowit.h"

#include "kestrum/util/fileio.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace kestrum {

namespace {

using Clock = std::chrono::steady_clock;
static_assert(Clock::period::num == 1);
constexpr std::int64_t kCounterFrequency = Clock::period::den;

// The profile entry is read into 255 bytes with its terminating zero.
constexpr std::size_t kProfilePathLimit = 254;
constexpr std::size_t kProfileSizeLimit = 64 * 1024;
// How many names to try when an object of that name is left over from an earlier process.
constexpr int kNameAttempts = 8;

const char* OrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Profile sections and keys are matched without regard to case, as users of such files expect.
bool EqualsNoCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string ConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return config;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config";
    }
    const passwd* user = getpwuid(geteuid());
    return user != nullptr ? std::string(user->pw_dir) + "/.config" : std::string();
}

// A profile is a few lines; one that is not a regular file (a FIFO would block the program
// here) or larger than kProfileSizeLimit is no profile, and starts no viewer.
std::string ReadProfilePath() {
    const ReadResult profile = ReadFileLimited(ConfigFolder() + "/kestrum.ini", kProfileSizeLimit);
    const std::string_view content(reinterpret_cast<const char*>(profile.bytes.data()),
                                   profile.bytes.size());
    bool inSection = false;
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t end = std::min(content.find('\n', start), content.size());
        const std::string_view text = Trim(content.substr(start, end - start));
        start = end + 1;
        if (text.starts_with('[')) {
            const auto close = text.find(']');
            inSection = close != std::string_view::npos &&
                        EqualsNoCase(Trim(text.substr(1, close - 1)), kTraceEndpointName);
            continue;
        }
        const auto equals = text.find('=');
        if (inSection && equals != std::string_view::npos &&
            EqualsNoCase(Trim(text.substr(0, equals)), "Path")) {
            return std::string(Trim(text.substr(equals + 1)).substr(0, kProfilePathLimit));
        }
    }
    return {};
}

// The inner shell starts the command in the background and ends at once, so that waiting for
// it returns at once and leaves no zombie; the viewer, no child of ours, is reaped by the
// system when it ends.
void StartViewer(const std::string& command) {
    const char* argv[] = {"sh", "-c", "/bin/sh -c \"$0\" &", command.c_str(), nullptr};
    pid_t shell = 0;
    if (posix_spawn(&shell, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
        0) {
        return;
    }
    while (waitpid(shell, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// A socket connected to the viewer's endpoint; empty when no viewer is bound there. It never
// blocks: a viewer whose queue is full makes the send fail instead.
UniqueFd ConnectToViewer() {
    const std::string path = TraceEndpointPath(false);
    if (path.empty()) {
        return UniqueFd();
    }
    UniqueFd viewer(socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    if (!viewer.IsOpen() ||
        connect(viewer.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return UniqueFd();
    }
    return viewer;
}

struct SharedText {
    std::string name;
    UniqueFd mapping;
    void* view = nullptr;
};

std::string NewObjectName() {
    static std::atomic<std::uint64_t> counter{0};
    return std::string(kTraceObjectPrefix) + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
}

std::optional<SharedText> CreateSharedText() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = NewObjectName();
        UniqueFd mapping(
            shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
        if (!mapping.IsOpen()) {
            if (errno == EEXIST) {
                continue;
            }
            return std::nullopt;
        }
        if (ftruncate(mapping.Get(), kTraceBufferSize) == 0) {
            void* view = mmap(nullptr, kTraceBufferSize, PROT_READ | PROT_WRITE, MAP_SHARED,
                              mapping.Get(), 0);
            if (view != MAP_FAILED) {
                return SharedText{std::move(name), std::move(mapping), view};
            }
        }
        shm_unlink(name.c_str());
        return std::nullopt;
    }
    return std::nullopt;
}

// "HH:MM:SS.mmm", the byte 0xFF, then the name that ShowName would add: always empty.
std::string LocalTimeText() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%2.2d:%2.2d:%2.2d.%3.3d\xFF%s", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(now.tv_nsec / 1000000), "");
    return text;
}

// Whole microseconds of count ticks, truncated toward zero. Splitting off the whole seconds
// first keeps the product within 64 bits for any span the clock can measure.
std::int64_t ElapsedMicroseconds(std::int64_t count, std::int64_t frequency) {
    constexpr std::int64_t kMicro = 1000000;
    return count / frequency * kMicro + count % frequency * kMicro / frequency;
}

// Copies text into buffer with "%%" read as one percent sign, cut to leave room for the zero.
void CopyUnescaped(std::string_view text, std::span<char> buffer) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size() && out + 1 < buffer.size(); ++in, ++out) {
        buffer[out] = text[in];
        if (text.substr(in, 2) == "%%") {
            ++in;
        }
    }
    buffer[out] = '\0';
}

} // namespace

CShowIt::CShowIt()
    : m_frequency(kCounterFrequency)
    , m_startCount(ReadCounter())
    , m_endCount(m_startCount) {
    const bool viewerFound = ConnectToViewer().IsOpen();
    const std::string path = ReadProfilePath();
    if (!viewerFound) {
        StartViewer(path);
    }
}

CShowIt::~CShowIt() {
    ReplaceMapping(-1, nullptr);
}

void CShowIt::Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (std::vsnprintf(m_buffer.data(), m_buffer.size(), OrEmpty(format), args) < 0) {
        m_buffer[0] = '\0';
    }
    va_end(args);
    Send();
}

void CShowIt::Trace(const RECT& rect, const char* text) {
    Trace("%s L:%d, T:%d, R:%d, B:%d", OrEmpty(text), rect.left, rect.top, rect.right, rect.bottom);
}

void CShowIt::Trace(int value) {
    Trace("%ld\n", static_cast<long>(value));
}

void CShowIt::StartTiming(const char* text) {
    CopyUnescaped(OrEmpty(text), m_buffer);
    Send();
    m_frequency = kCounterFrequency;
    m_startCount = ReadCounter();
}

void CShowIt::EndTiming(const char* text) {
    m_endCount = ReadCounter();
    m_elapsedMicroseconds = ElapsedMicroseconds(m_endCount - m_startCount, m_frequency);
    Trace("%lld \xB5Sec. %s", static_cast<long long>(m_elapsedMicroseconds), OrEmpty(text));
}

void CShowIt::ShowName(int show) {
    m_showName = show;
}

void CShowIt::DumpObject(CObject*) {}

std::int64_t CShowIt::ReadCounter() {
    return Clock::now().time_since_epoch().count();
}

void CShowIt::Send() {
    const UniqueFd viewer = ConnectToViewer();
    if (!viewer.IsOpen()) {
        return;
    }
    std::optional<SharedText> text = CreateSharedText();
    if (!text) {
        return;
    }
    const std::size_t size = strnlen(m_buffer.data(), kTraceBufferSize - 1);
    std::memcpy(text->view, m_buffer.data(), size);
    static_cast<char*>(text->view)[size] = '\0';
    ReplaceMapping(text->mapping.Release(), text->view);

    const auto datagram = EncodeTraceDatagram({text->name, LocalTimeText()});
    // The viewer unlinks what it reads; a message it never gets must not stay behind.
    if (send(viewer.Get(), datagram.data(), datagram.size(), MSG_NOSIGNAL) < 0) {
        shm_unlink(text->name.c_str());
    }
}

void CShowIt::ReplaceMapping(int mapping, void* view) {
    if (m_view != nullptr) {
        munmap(m_view, kTraceBufferSize);
    }
    if (m_mapping >= 0) {
        close(m_mapping);
    }
    m_mapping = mapping;
    m_view = view;
}

} // namespace kestrum
