#include "orvo/engine/subtitlelist.h"

#include "orvo/engine/texts.h"

#include <kestrum/util/cstringhelper.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr int kMinimumFields = 4;

// Closes the descriptor on every way out of the reader.
class ReadDescriptor {
public:
    explicit ReadDescriptor(const std::string& path)
        : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    ~ReadDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    bool IsOpen() const { return m_fd >= 0; }

    // The number of bytes read, 0 at the end of the file, -1 with errno set after an error.
    ssize_t Read(char* buffer, std::size_t size) const {
        ssize_t count;
        do {
            count = read(m_fd, buffer, size);
        } while (count < 0 && errno == EINTR);
        return count;
    }

private:
    int m_fd;
};

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

std::string InvalidLineMessage(int line) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), texts::kErrorReadingLine, line);
    return text.data();
}

} // namespace

ListLoadResult LoadSubtitleList(const std::string& path, SubtitleStore& store) {
    ListLoadResult result;
    const ReadDescriptor file(path);
    if (!file.IsOpen()) {
        result.status = ListLoadResult::Status::CannotOpen;
        result.message = texts::kErrorReadingFile;
        return result;
    }
    store.clear();

    kestrum::CStringHelper helper;
    int lineNumber = 1;
    const auto take = [&](std::string line) {
        if (helper.GetSegmentCount(line, kTab) < kMinimumFields) {
            result.status = ListLoadResult::Status::InvalidLine;
            result.line = lineNumber;
            result.message = InvalidLineMessage(lineNumber);
            store.clear();
            return false;
        }
        store.push_back(std::move(line));
        ++lineNumber;
        return true;
    };

    LineSplitter splitter;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t count = file.Read(buffer.data(), buffer.size());
        if (count < 0) {
            result.status = ListLoadResult::Status::ReadError;
            result.message = std::string(texts::kErrorReadingFile) + ": " + std::strerror(errno);
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
