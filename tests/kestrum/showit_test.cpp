#include "testsupport.h"

#include <kestrum/diag/cshowit.h>
#include <kestrum/diag/tracechannel.h>
#include <kestrum/util/fileio.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using kestrum::CShowIt;
using kestrum::test::Bytes;
using kestrum::test::TempDir;

struct Received {
    std::string objectName;
    std::string timeText;
    std::string text;
    std::size_t objectSize = 0;
};

std::uint16_t Read16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

// Reads the datagram by hand rather than through the library's decoder, so that the test
// checks the bytes a viewer written elsewhere would see.
Received Parse(const Bytes& datagram) {
    EXPECT_GE(datagram.size(), 8U);
    EXPECT_EQ(datagram.at(0), 0x67);
    EXPECT_EQ(datagram.at(1), 0x16);
    EXPECT_EQ(datagram.at(2), 0x00);
    EXPECT_EQ(datagram.at(3), 0x00);
    Received received;
    const std::size_t nameSize = Read16(datagram, 4);
    received.objectName.assign(datagram.begin() + 6, datagram.begin() + 6 + nameSize);
    const std::size_t timeAt = 6 + nameSize;
    const std::size_t timeSize = Read16(datagram, timeAt);
    EXPECT_EQ(datagram.size(), timeAt + 2 + timeSize) << "bytes after the time text";
    received.timeText.assign(datagram.begin() + timeAt + 2, datagram.end());
    return received;
}

// Reads the message text out of the shared-memory object and unlinks it, as a viewer does.
void ReadObject(Received& received) {
    const int fd = shm_open(received.objectName.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0) << received.objectName;
    struct stat info {};
    fstat(fd, &info);
    received.objectSize = static_cast<std::size_t>(info.st_size);
    void* view = mmap(nullptr, received.objectSize, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(view, MAP_FAILED);
    const char* text = static_cast<const char*>(view);
    received.text.assign(text, strnlen(text, received.objectSize));
    munmap(view, received.objectSize);
    shm_unlink(received.objectName.c_str());
}

// A receiving endpoint in the test's runtime folder: the sender's view of a running viewer.
class Viewer {
public:
    explicit Viewer(const std::string& path, int receiveBuffer = 0)
        : m_path(path)
        , m_fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        if (receiveBuffer > 0) {
            setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, path.size());
        EXPECT_EQ(bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    ~Viewer() { Close(); }

    // The next waiting message, read and released; empty when none waits.
    std::optional<Received> Next() {
        Bytes datagram(70000);
        const ssize_t size = recv(m_fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
        if (size < 0) {
            return std::nullopt;
        }
        datagram.resize(static_cast<std::size_t>(size));
        m_lastDatagram = datagram;
        Received received = Parse(datagram);
        ReadObject(received);
        return received;
    }

    std::size_t Drain() {
        std::size_t count = 0;
        while (Next()) {
            ++count;
        }
        return count;
    }

    void Close() {
        if (m_fd >= 0) {
            Drain();
            close(m_fd);
            unlink(m_path.c_str());
            m_fd = -1;
        }
    }

    const Bytes& LastDatagram() const { return m_lastDatagram; }

private:
    std::string m_path;
    int m_fd;
    Bytes m_lastDatagram;
};

std::string ObjectPrefix() {
    return std::string(kestrum::kTraceObjectPrefix.substr(1)) + std::to_string(getpid()) + "-";
}

std::size_t SharedObjectCount() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
        count += entry.path().filename().string().starts_with(ObjectPrefix()) ? 1 : 0;
    }
    return count;
}

std::size_t OpenFdCount() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

int MillisecondOfDay(const tm& time, long nanoseconds) {
    return ((time.tm_hour * 60 + time.tm_min) * 60 + time.tm_sec) * 1000 +
           static_cast<int>(nanoseconds / 1000000);
}

int LocalMillisecondOfDay() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return MillisecondOfDay(local, now.tv_nsec);
}

// Polls until done holds: the viewer command runs in a process of its own.
bool Eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The socket file of a viewer that ended without removing it.
void LeaveUnboundSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

bool HasNoChildren() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

class SavedVariable {
public:
    SavedVariable(const char* name, const std::string& value)
        : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;
    ~SavedVariable() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Each test has a runtime and a configuration folder of its own and a time zone half an hour
// off any whole hour, so that a time text in universal time would show.
class ShowItTest : public testing::Test {
protected:
    void SetUp() override { tzset(); }

    std::string EndpointPath() const { return m_runtime.File("Lumbex"); }

    void WriteProfile(const std::string& text) const {
        std::ofstream(m_config.File("kestrum.ini")) << text;
    }

    TempDir m_runtime;
    TempDir m_config;
    SavedVariable m_runtimeVariable{"XDG_RUNTIME_DIR", m_runtime.Path().string()};
    SavedVariable m_configVariable{"XDG_CONFIG_HOME", m_config.Path().string()};
    SavedVariable m_zone{"TZ", "<+0530>-5:30"};
};

TEST_F(ShowItTest, EachOperationSendsItsText) {
    struct Case {
        const char* name;
        std::function<void(CShowIt&)> send;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"int", [](CShowIt& s) { s.Trace(42); }, "42\n"},
        {"negative int", [](CShowIt& s) { s.Trace(-2147483647 - 1); }, "-2147483648\n"},
        {"rectangle",
         [](CShowIt& s) {
             s.Trace(kestrum::RECT{1, 2, 3, 4}, "Box");
         },
         "Box L:1, T:2, R:3, B:4"},
        {"negative rectangle",
         [](CShowIt& s) {
             s.Trace(kestrum::RECT{-5, -6, 0, 7}, "");
         },
         " L:-5, T:-6, R:0, B:7"},
        {"format", [](CShowIt& s) { s.Trace("%s=%d %5.2f|%-3s|", "x", 5, 2.5, "a"); },
         "x=5  2.50|a  |"},
        {"doubled percent", [](CShowIt& s) { s.StartTiming("100%% done"); }, "100% done"},
        {"conversion in a timing text", [](CShowIt& s) { s.StartTiming("%s %n %d%"); },
         "%s %n %d%"},
        {"bytes kept", [](CShowIt& s) { s.Trace("%s", "caf\xE9 \xC3\xA9"); }, "caf\xE9 \xC3\xA9"},
    };
    Viewer viewer(EndpointPath());
    CShowIt showIt;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.send(showIt);
        const auto received = viewer.Next();
        ASSERT_TRUE(received);
        EXPECT_EQ(received->text, c.expected);
        EXPECT_EQ(received->objectSize, kestrum::kTraceBufferSize);
        EXPECT_FALSE(viewer.Next()) << "one datagram per message";
    }
}

TEST_F(ShowItTest, DatagramNamesAFreshObjectAndTheLocalTime) {
    Viewer viewer(EndpointPath());
    CShowIt showIt;
    showIt.ShowName(1);
    const int before = LocalMillisecondOfDay();
    showIt.Trace("one");
    showIt.Trace("two");
    const int after = LocalMillisecondOfDay();
    const auto first = viewer.Next();
    const auto second = viewer.Next();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->objectName, second->objectName);
    EXPECT_TRUE(first->objectName.starts_with("/" + ObjectPrefix())) << first->objectName;
    EXPECT_EQ(second->text, "two");

    const std::regex format("([0-9]{2}):([0-9]{2}):([0-9]{2})\\.([0-9]{3})\xFF");
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(second->timeText, parts, format)) << second->timeText;
    tm sent{};
    sent.tm_hour = std::stoi(parts[1]);
    sent.tm_min = std::stoi(parts[2]);
    sent.tm_sec = std::stoi(parts[3]);
    const int at = MillisecondOfDay(sent, std::stol(parts[4]) * 1000000);
    if (before <= after) { // not across midnight
        EXPECT_GE(at, before);
        EXPECT_LE(at, after);
    }
}

TEST_F(ShowItTest, EndTimingSendsWholeMicroseconds) {
    Viewer viewer(EndpointPath());
    CShowIt showIt;
    const auto outerStart = std::chrono::steady_clock::now();
    showIt.StartTiming("Start");
    const auto innerStart = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    const auto innerEnd = std::chrono::steady_clock::now();
    showIt.EndTiming("Render");
    const auto outerEnd = std::chrono::steady_clock::now();

    ASSERT_EQ(viewer.Next()->text, "Start");
    const auto received = viewer.Next();
    ASSERT_TRUE(received);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(received->text, parts, std::regex("([0-9]+) \xB5Sec\\. Render")))
        << received->text;
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    const long long elapsed = std::stoll(parts[1]);
    EXPECT_GE(elapsed, duration_cast<microseconds>(innerEnd - innerStart).count());
    EXPECT_LE(elapsed, duration_cast<microseconds>(outerEnd - outerStart).count());
}

TEST_F(ShowItTest, LongMessagesAreCutToTheBuffer) {
    const std::string longText(3 * kestrum::kTraceBufferSize, 'a');
    const std::string cut(kestrum::kTraceBufferSize - 1, 'a');
    Viewer viewer(EndpointPath());
    CShowIt showIt;
    showIt.Trace("%s", longText.c_str());
    EXPECT_EQ(viewer.Next()->text, cut);
    showIt.StartTiming(longText.c_str());
    EXPECT_EQ(viewer.Next()->text, cut);
    showIt.EndTiming(longText.c_str());
    const std::string timed = viewer.Next()->text;
    EXPECT_EQ(timed.size(), cut.size());
    EXPECT_TRUE(std::regex_match(timed, std::regex("[0-9]+ \xB5Sec\\. a+"))) << timed.substr(0, 40);
}

TEST_F(ShowItTest, DumpObjectSendsNothing) {
    Viewer viewer(EndpointPath());
    CShowIt showIt;
    showIt.DumpObject(nullptr);
    EXPECT_FALSE(viewer.Next());
}

TEST_F(ShowItTest, WithoutAViewerMessagesAreDropped) {
    const std::vector<std::pair<const char*, std::function<void()>>> endpoints = {
        {"nothing there", [] {}},
        {"a plain file", [&] { std::ofstream(EndpointPath()).close(); }},
        {"a socket nobody reads", [&] { LeaveUnboundSocket(EndpointPath()); }},
    };
    for (const auto& [name, make] : endpoints) {
        SCOPED_TRACE(name);
        std::filesystem::remove(EndpointPath());
        make();
        CShowIt showIt;
        showIt.Trace(1);
        showIt.Trace(kestrum::RECT{}, "r");
        showIt.StartTiming("a");
        showIt.EndTiming("b");
        EXPECT_EQ(SharedObjectCount(), 0U);
        EXPECT_TRUE(HasNoChildren()) << "the empty profile command was waited for";
    }
}

TEST_F(ShowItTest, AFullViewerLosesMessagesButNoMemory) {
    Viewer viewer(EndpointPath(), 4096);
    CShowIt showIt;
    constexpr int kSent = 300;
    for (int i = 0; i < kSent; ++i) {
        showIt.Trace(i);
    }
    const std::size_t waiting = SharedObjectCount();
    EXPECT_GT(waiting, 0U);
    EXPECT_LT(waiting, std::size_t{kSent});
    EXPECT_EQ(viewer.Next()->text, "0\n");
    EXPECT_EQ(viewer.Drain() + 1, waiting);
    EXPECT_EQ(SharedObjectCount(), 0U);
}

TEST_F(ShowItTest, ManyMessagesLeaveNoDescriptorsOrObjects) {
    Viewer viewer(EndpointPath());
    const std::size_t fdsBefore = OpenFdCount();
    {
        CShowIt showIt;
        for (int i = 0; i < 200; ++i) {
            showIt.Trace(i);
            ASSERT_EQ(viewer.Next()->text, std::to_string(i) + "\n");
        }
        EXPECT_LE(OpenFdCount(), fdsBefore + 1) << "only the latest object stays open";
    }
    EXPECT_EQ(OpenFdCount(), fdsBefore);
    EXPECT_EQ(SharedObjectCount(), 0U);
}

TEST_F(ShowItTest, StartsTheProfileCommandWhenNoViewerAnswers) {
    const std::string marker = m_runtime.File("started");
    WriteProfile("; viewer\n"
                 "[Other]\n"
                 "Path=echo wrong > '" +
                 marker +
                 "'\n"
                 "  [ lumbex ]  \r\n"
                 "other = 1\r\n"
                 " PATH = echo right > '" +
                 marker + "' \r\n");
    CShowIt showIt;
    EXPECT_TRUE(HasNoChildren()) << "the starting shell is waited for, the viewer detached";
    ASSERT_TRUE(Eventually([&] { return kestrum::test::ReadFile(marker).size() == 6; }));
    EXPECT_EQ(kestrum::test::ReadFile(marker), kestrum::test::Text("right\n"));
}

// Opening a FIFO for reading waits for a writer: a profile that is one must not hang the
// program that only wanted to trace. The child is timed, so that a hang fails the test.
TEST_F(ShowItTest, AProfileThatIsNoRegularFileIsNotRead) {
    ASSERT_EQ(mkfifo(m_config.File("kestrum.ini").c_str(), 0600), 0);
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        CShowIt showIt;
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST_F(ShowItTest, AnEndpointPathTooLongForASocketMeansNoViewer) {
    const std::string deep = m_runtime.File(std::string(120, 'd'));
    std::filesystem::create_directory(deep);
    SavedVariable runtime("XDG_RUNTIME_DIR", deep);
    EXPECT_EQ(kestrum::TraceEndpointPath(false), "");
    CShowIt showIt;
    showIt.Trace("nowhere");
    EXPECT_EQ(SharedObjectCount(), 0U);
}

// Whoever may write in the runtime folder could bind an endpoint in the viewer's place, and
// whoever may read there could listen: such a folder is no runtime folder, and nothing is sent.
TEST_F(ShowItTest, OnlyARuntimeFolderOfTheUsersOwnClosedToOthersCounts) {
    TempDir base;
    const auto folder = [&](const std::string& name, mode_t mode) {
        const std::string path = base.File(name);
        mkdir(path.c_str(), 0700);
        chmod(path.c_str(), mode);
        return path;
    };
    const std::string privateFolder = folder("private", 0700);
    const std::string link = base.File("link");
    symlink(privateFolder.c_str(), link.c_str());
    const std::string file = base.File("file");
    std::ofstream(file).close();
    const std::string foreign = folder("foreign", 0700);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    }
    const struct {
        const char* name;
        std::string path;
        bool counts;
    } cases[] = {
        {"private", privateFolder, true},
        {"group may read", folder("group-read", 0740), false},
        {"group may write", folder("group-write", 0730), false},
        {"others may read", folder("others-read", 0705), false},
        {"others may write", folder("others-write", 0703), false},
        {"a link to a private folder", link, false},
        {"a file", file, false},
        {"missing", base.File("missing"), false},
        {"another user's", foreign, !root}, // only root can give a folder away
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SavedVariable runtime("XDG_RUNTIME_DIR", c.path);
        EXPECT_EQ(kestrum::TraceRuntimeFolder(true), c.counts ? c.path : "");
        EXPECT_EQ(kestrum::TraceEndpointPath(false), c.counts ? c.path + "/Lumbex" : "");
        if (!c.counts && std::filesystem::is_directory(c.path)) {
            // A viewer bound there anyway gets nothing.
            Viewer viewer(c.path + "/Lumbex");
            CShowIt showIt;
            showIt.Trace("private");
            EXPECT_FALSE(viewer.Next());
        }
    }
}

TEST(TraceEndpointTest, TheSocketFileIsTheUsersAloneWhateverTheUmask) {
    TempDir runtime;
    SavedVariable variable("XDG_RUNTIME_DIR", runtime.Path().string());
    const std::string path = kestrum::TraceEndpointPath(false);
    ASSERT_EQ(path, runtime.File("Lumbex"));
    const kestrum::test::Umask open(0);
    const kestrum::UniqueFd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ASSERT_EQ(kestrum::BindTraceEndpoint(fd.Get(), path), std::error_code());
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    const kestrum::UniqueFd second(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    EXPECT_EQ(kestrum::BindTraceEndpoint(second.Get(), path), std::errc::address_in_use);
    EXPECT_EQ(kestrum::BindTraceEndpoint(second.Get(), runtime.File(std::string(120, 'x'))),
              std::errc::filename_too_long);
}

// A shared-memory object made by the test, holding text.
std::string MakeObject(const std::string& suffix, const std::string& text) {
    const std::string name = std::string(kestrum::kTraceObjectPrefix) + "test-" +
                             std::to_string(getpid()) + "-" + suffix;
    const kestrum::UniqueFd fd(shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600));
    EXPECT_TRUE(fd.IsOpen()) << name;
    EXPECT_EQ(write(fd.Get(), text.c_str(), text.size() + 1),
              static_cast<ssize_t>(text.size() + 1));
    return name;
}

bool ObjectExists(const std::string& name) {
    const kestrum::UniqueFd fd(shm_open(name.c_str(), O_RDONLY, 0));
    return fd.IsOpen();
}

TEST(TakeTraceMessageTest, ReadsAndRemovesOnlyTheUsersOwnObjects) {
    const std::string own = MakeObject("own", "hello");
    EXPECT_EQ(kestrum::TakeTraceMessage(own), "hello");
    EXPECT_FALSE(ObjectExists(own)) << "read once, then released";
    EXPECT_EQ(kestrum::TakeTraceMessage(own), std::nullopt);

    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can make an object that belongs to another user";
    }
    const std::string foreign = MakeObject("foreign", "planted");
    {
        const kestrum::UniqueFd fd(shm_open(foreign.c_str(), O_RDWR, 0));
        ASSERT_EQ(fchown(fd.Get(), 65534, 65534), 0);
    }
    EXPECT_EQ(kestrum::TakeTraceMessage(foreign), std::nullopt);
    EXPECT_TRUE(ObjectExists(foreign)) << "someone else's object is not removed";
    shm_unlink(foreign.c_str());
}

TEST(TraceDatagramTest, DecodesOnlyWholeTraceMessages) {
    const kestrum::TraceDatagram good{"/kestrum-trace-1-2", "09:05:07.042\xFF"};
    const Bytes bytes = kestrum::EncodeTraceDatagram(good);
    const auto decoded = kestrum::DecodeTraceDatagram(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->objectName, good.objectName);
    EXPECT_EQ(decoded->timeText, good.timeText);

    const auto withName = [](const std::string& name) {
        return kestrum::EncodeTraceDatagram({name, "t"});
    };
    Bytes wrongNumber = bytes;
    wrongNumber[1] = 0x17;
    Bytes longerTime = bytes;
    longerTime[6 + good.objectName.size()] += 1;
    Bytes extra = bytes;
    extra.push_back(0);
    const std::vector<std::pair<const char*, Bytes>> bad = {
        {"empty", {}},
        {"number only", Bytes(bytes.begin(), bytes.begin() + 4)},
        {"wrong number", wrongNumber},
        {"time runs past the end", longerTime},
        {"bytes after the time", extra},
        {"foreign object", withName("/orvo-data")},
        {"prefix only", withName(std::string(kestrum::kTraceObjectPrefix))},
        {"slash inside", withName("/kestrum-trace-1/../x")},
    };
    for (const auto& [name, datagram] : bad) {
        EXPECT_FALSE(kestrum::DecodeTraceDatagram(datagram)) << name;
    }
}

} // namespace
