#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <system_error>

namespace orvo {

// The bytes of a stream that is written at the end of a run, kept until then in an unnamed
// temporary file: a film's subtitles take tens or hundreds of megabytes, which a run need not
// hold in memory. Once appending fails, it fails from then on, and says why.
class SpoolFile {
public:
    // False, and the error kept, when the bytes cannot be kept.
    bool Append(std::span<const std::uint8_t> bytes);

    // Why Append failed; none while it has not.
    std::error_code Error() const { return m_error; }
    std::uint64_t Size() const { return m_size; }

    // Writes every byte appended so far to fd; more may be appended after.
    std::error_code CopyTo(int fd) const;

private:
    struct Closer {
        void operator()(std::FILE* file) const;
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    std::uint64_t m_size = 0;
    std::error_code m_error;
};

} // namespace orvo
