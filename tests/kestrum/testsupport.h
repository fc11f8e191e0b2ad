#pragma once

#include <kestrum/propstore/carchive.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cobject.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A counted string in its shortest form, for texts below 255 bytes.
inline Bytes Counted(std::string_view text) {
    return Concat({{static_cast<std::uint8_t>(text.size())}, Text(text)});
}

// A new-class tag with its schema and name.
inline Bytes NewClass(std::string_view name, std::uint16_t schema = 1) {
    return Concat(
        {{0xFF, 0xFF, static_cast<std::uint8_t>(schema), static_cast<std::uint8_t>(schema >> 8),
          static_cast<std::uint8_t>(name.size()), 0x00},
         Text(name)});
}

inline Bytes Stored(CObject& object) {
    Bytes bytes;
    CArchive ar(bytes);
    object.Serialize(ar);
    return bytes;
}

inline void LoadInto(CObject& object, const Bytes& bytes) {
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    object.Serialize(ar);
}

// Compares byte for byte and names the first offset that differs, which is where a reader of
// the failure starts looking.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            std::ostringstream message;
            message << "first difference at offset 0x" << std::hex << i << ": got 0x"
                    << int{actual[i]} << ", expected 0x" << int{expected[i]};
            return ::testing::AssertionFailure() << message.str();
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: got " << actual.size() << ", expected " << expected.size();
    }
    return ::testing::AssertionSuccess();
}

// Runs load and reports the cause of the CArchiveException it raised.
template <class Load>
::testing::AssertionResult RaisesCause(Load load, CArchiveException::Cause cause) {
    try {
        load();
    } catch (const CArchiveException& error) {
        if (error.GetCause() == cause) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "raised \"" << error.what() << "\" instead";
    }
    return ::testing::AssertionFailure() << "raised nothing";
}

// A folder of the test's own, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrum-test-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(std::string_view name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Sets the process's umask for a scope.
class Umask {
public:
    explicit Umask(mode_t mask)
        : m_saved(umask(mask)) {}
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;
    ~Umask() { umask(m_saved); }

private:
    mode_t m_saved;
};

// The id of a process that has ended and been reaped.
inline pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace kestrum::test
