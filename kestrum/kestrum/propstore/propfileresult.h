#pragma once

#include <cstddef>
#include <string>
#include <system_error>

namespace kestrum {

// Property files larger than this are refused unread: a settings file holds a few kilobytes,
// and reading a file of any size would let a wrong file name exhaust the memory.
inline constexpr std::size_t kPropFileSizeLimit = std::size_t{64} << 20;

// Why a property file could not be loaded or saved: what the bool of Load and Save leaves out.
// Errors in the file's content are not here: they stay CArchiveException.
struct PropFileResult {
    // Empty when the file was read or written; otherwise the system's reason (ENOENT, EACCES,
    // EISDIR for a folder, EFBIG for a file over the limit, ...).
    std::error_code error;
    // The reason for messages "FILE: WHY": "No such file or directory", "not a regular file",
    // "larger than 64 MB", ...
    std::string message;

    explicit operator bool() const { return !error; }
    // The usual reason on a first run: there is simply no file yet.
    bool IsMissing() const { return error == std::errc::no_such_file_or_directory; }
};

} // namespace kestrum
