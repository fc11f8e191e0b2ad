#pragma once

#include <kestrum/propstore/carchive.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cobject.h>

#include "common/deadpid.h"
#include "common/filecontent.h"
#include "common/samebytes.h"
#include "common/tempdir.h"

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

using testsupport::Bytes;
using testsupport::DeadPid;
using testsupport::ReadFile;
using testsupport::SameBytes;
using testsupport::TempDir;
using testsupport::WriteFile;

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

} // namespace kestrum::test
