#include "orvo/engine/subtitlelist.h"

#include "orvo/engine/texts.h"

#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kMinimumFields = 4;
constexpr int kFirstTextField = 3;

// A film's list is a few hundred kilobytes; the limit only keeps a wrong file (a disk image, a
// device) from filling the memory.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

// The number of bytes read, 0 at the end of the file, -1 with errno set after an error.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    ssize_t count;
    do {
        count = read(fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

// Why the file at fd cannot be a list before a byte of it is read; empty when it can.
std::string RefusalOf(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        return std::strerror(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return std::strerror(EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    if (static_cast<std::uint64_t>(status.st_size) > kMaxListBytes) {
        return "larger than 256 MB";
    }
    return {};
}

// Splits the byte stream into lines at LF, dropping one CR just before it: a CR anywhere
// else is part of the line's text.
class LineSplitter {
public:
    // Calls take(line) for every complete line in bytes; false from take stops the split.
    template <typename Take>
    bool Feed(std::string_view bytes, Take&& take) {
        while (!bytes.empty()) {
            const std::size_t end = bytes.find('\n');
            if (end == std::string_view::npos) {
                m_pending.append(bytes);
                return true;
            }
            m_pending.append(bytes.substr(0, end));
            bytes.remove_prefix(end + 1);
            if (!m_pending.empty() && m_pending.back() == '\r') {
                m_pending.pop_back();
            }
            std::string line;
            line.swap(m_pending);
            if (!take(std::move(line))) {
                return false;
            }
        }
        return true;
    }

    // The last line when the file does not end in a line end; a final line end adds none.
    template <typename Take>
    bool Finish(Take&& take) {
        if (m_pending.empty()) {
            return true;
        }
        std::string line;
        line.swap(m_pending);
        return take(std::move(line));
    }

private:
    std::string m_pending;
};

std::string InvalidLineReason(int line, int fields) {
    return "line " + std::to_string(line) + ": " + std::to_string(fields) +
           (fields == 1 ? " field" : " tab-separated fields") +
           "; a subtitle needs at least 4: number, start time, end time, text";
}

} // namespace

// One pass over the line: finding each field anew from the start of the line made a line of
// many tabs take quadratic time.
std::string JoinTextFields(const std::string& line) {
    std::size_t at = 0;
    for (int field = 0; field < kFirstTextField; ++field) {
        at = line.find(kTab, at);
        if (at == std::string::npos) {
            return {};
        }
        ++at;
    }
    std::string text;
    text.reserve(2 * (line.size() - at));
    for (; at < line.size(); ++at) {
        if (line[at] == kTab) {
            text += "\r\n";
        } else {
            text += line[at];
        }
    }
    return text;
}

ListLoadResult LoadSubtitleList(const std::string& path, SubtitleStore& store) {
    ListLoadResult result;
    // Not blocking: a pipe without a writer must not hang the open. It is refused below.
    const kestrum::UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    result.reason = file.IsOpen() ? RefusalOf(file.Get()) : std::strerror(errno);
    if (!result.reason.empty()) {
        result.status = ListLoadResult::Status::CannotOpen;
        result.message = texts::kErrorReadingFile;
        return result;
    }
    store.clear();

    kestrum::CStringHelper helper;
    int lineNumber = 1;
    const auto take = [&](std::string line) {
        const int fields = helper.GetSegmentCount(line, kTab);
        if (fields < kMinimumFields) {
            result.status = ListLoadResult::Status::InvalidLine;
            result.line = lineNumber;
            result.message = texts::Format(texts::kErrorReadingLine, lineNumber);
            result.reason = InvalidLineReason(lineNumber, fields);
            store.clear();
            return false;
        }
        store.push_back(std::move(line));
        ++lineNumber;
        return true;
    };

    LineSplitter splitter;
    std::array<char, 65536> buffer;
    std::size_t total = 0;
    for (;;) {
        const ssize_t count = ReadSome(file.Get(), buffer.data(), buffer.size());
        total += count > 0 ? static_cast<std::size_t>(count) : 0;
        if (count < 0 || total > kMaxListBytes) {
            // A file that grew past the limit while it was read is refused all the same.
            result.status = ListLoadResult::Status::ReadError;
            result.message = texts::kErrorReadingFile;
            result.reason = count < 0 ? std::strerror(errno) : "larger than 256 MB";
            store.clear();
            return result;
        }
        if (count == 0) {
            splitter.Finish(take);
            return result;
        }
        if (!splitter.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)),
                           take)) {
            return result;
        }
    }
}

} // namespace orvo
