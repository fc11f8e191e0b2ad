#include "output/spoolfile.h"

#include <kestrum/util/fileio.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace orvo {
namespace {

std::error_code LastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

} // namespace

void SpoolFile::Closer::operator()(std::FILE* file) const {
    std::fclose(file);
}

bool SpoolFile::Append(std::span<const std::uint8_t> bytes) {
    if (m_error) {
        return false;
    }
    if (!m_file) {
        m_file.reset(std::tmpfile());
    }
    if (!m_file || std::fwrite(bytes.data(), 1, bytes.size(), m_file.get()) != bytes.size()) {
        m_error = LastError();
        return false;
    }
    m_size += bytes.size();
    return true;
}

std::error_code SpoolFile::CopyTo(int fd) const {
    if (!m_file) {
        return {};
    }
    if (std::fflush(m_file.get()) != 0 || std::fseek(m_file.get(), 0, SEEK_SET) != 0) {
        return LastError();
    }
    std::vector<std::uint8_t> chunk(std::size_t{1} << 16);
    for (std::uint64_t left = m_size; left > 0;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, want, m_file.get()) != want) {
            return LastError();
        }
        if (const std::error_code error = kestrum::WriteAll(fd, std::span(chunk).first(want))) {
            return error;
        }
        left -= want;
    }
    // Further bytes go after the ones copied, as a stopped run may still write again.
    return std::fseek(m_file.get(), 0, SEEK_END) == 0 ? std::error_code() : LastError();
}

} // namespace orvo
