// kestrum-trace: the trace viewer "Lumbex" for a terminal. It binds the endpoint that CShowIt
// sends to, prints each message as "TIME TEXT" and releases the message's shared memory.

#include "terminaltext.h"

#include <kestrum/diag/tracechannel.h>
#include <kestrum/util/cversion.h>

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr std::string_view kProgram = "kestrum-trace";
constexpr std::string_view kUsage =
    R"(Usage: kestrum-trace
  or:  kestrum-trace --help | --version

Receives the trace messages of programs built with Kestrum (CShowIt) and prints each one as
"TIME TEXT" until it is interrupted. It listens on the socket "Lumbex" in $XDG_RUNTIME_DIR, or
in /tmp/Lumbex-UID when that is not set. To have programs start it when no viewer runs, put
its command under Path in section [Lumbex] of kestrum.ini in $XDG_CONFIG_HOME (~/.config).
)";

// Larger than any datagram a sender makes; a longer one is cut and then rejected.
constexpr std::size_t kDatagramLimit = 1 << 16;

sockaddr_un SocketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

// True when another viewer receives at path.
bool ViewerAnswers(const std::string& path) {
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = SocketAddress(path);
    const bool answers =
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return answers;
}

// The bound endpoint, or -1 after saying why not. A socket file that nobody receives at is
// left over from a viewer that ended abruptly, and is replaced.
int OpenEndpoint(const std::string& path) {
    if (path.empty()) {
        std::cerr << kProgram
                  << ": no private runtime folder: XDG_RUNTIME_DIR (or else /tmp/Lumbex-UID) "
                     "must be a folder of your own that no one else may read or write\n";
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::cerr << kProgram << ": " << std::strerror(errno) << '\n';
        return -1;
    }
    std::error_code error = kestrum::BindTraceEndpoint(fd, path);
    if (error == std::errc::address_in_use && !ViewerAnswers(path)) {
        unlink(path.c_str());
        error = kestrum::BindTraceEndpoint(fd, path);
    }
    if (!error) {
        return fd;
    }
    std::cerr << kProgram << ": " << path << ": "
              << (error == std::errc::address_in_use ? "another viewer is running"
                                                     : error.message())
              << '\n';
    close(fd);
    return -1;
}

// The time before the byte 0xFF that ends it.
std::string_view TimeOf(std::string_view timeText) {
    return timeText.substr(0, timeText.find('\xFF'));
}

void Show(const kestrum::TraceDatagram& datagram, std::ostream& out) {
    const std::optional<std::string> text = kestrum::TakeTraceMessage(datagram.objectName);
    if (!text) {
        std::cerr << kProgram << ": cannot read " << datagram.objectName << '\n';
        return;
    }
    std::string_view body = *text;
    while (body.ends_with('\n') || body.ends_with('\r')) {
        body.remove_suffix(1);
    }
    out << kestrum::tool::TerminalText(TimeOf(datagram.timeText)) << ' '
        << kestrum::tool::TerminalText(body) << std::endl;
}

// Shows every datagram waiting at fd; false once nothing more can be written.
bool ShowWaiting(int fd, std::ostream& out) {
    std::vector<std::uint8_t> buffer(kDatagramLimit);
    for (;;) {
        const ssize_t size = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (size < 0) {
            return static_cast<bool>(out);
        }
        const auto datagram =
            kestrum::DecodeTraceDatagram(std::span(buffer.data(), static_cast<std::size_t>(size)));
        if (datagram) {
            Show(*datagram, out);
        } else {
            std::cerr << kProgram << ": ignored a datagram that is no trace message\n";
        }
    }
}

// Runs until a signal to end arrives or standard output is gone. Ending signals are read from
// a descriptor, so that one arriving at any moment ends the wait.
void Receive(int endpoint, std::ostream& out) {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&ending, signal);
    }
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    const int signals = signalfd(-1, &ending, SFD_CLOEXEC);
    pollfd watched[] = {{endpoint, POLLIN, 0}, {signals, POLLIN, 0}};
    while (out) {
        if (poll(watched, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (watched[1].revents != 0 || !ShowWaiting(endpoint, out)) {
            break;
        }
    }
    close(signals);
}

// Senders see the endpoint gone before the last waiting messages are shown, so no message
// arrives after the queue is emptied and its shared memory stays behind.
void CloseEndpoint(int endpoint, const std::string& path, std::ostream& out) {
    unlink(path.c_str());
    shutdown(endpoint, SHUT_RD);
    ShowWaiting(endpoint, out);
    close(endpoint);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        kestrum::CVersion version;
        version.Init();
        std::cout << kProgram << ' ' << version.GetVersion() << '\n';
        return 0;
    }
    if (!args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    // Written lines end when the reader of standard output goes away, not the program.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string path = kestrum::TraceEndpointPath(true);
    const int endpoint = OpenEndpoint(path);
    if (endpoint < 0) {
        return 1;
    }
    Receive(endpoint, std::cout);
    CloseEndpoint(endpoint, path, std::cout);
    return 0;
}
