#include "kestrum/util/cstringhelper.h"

#include <algorithm>

namespace kestrum {
namespace {
constexpr const char* kSeparators = "\\/";

std::string::size_type LastSeparator(const std::string& path) {
    return path.find_last_of(kSeparators);
}
} // namespace

CStringHelper::CStringHelper() = default;
CStringHelper::CStringHelper(const CStringHelper& other) = default;
CStringHelper& CStringHelper::operator=(const CStringHelper& other) = default;
CStringHelper::~CStringHelper() = default;

int CStringHelper::GetCharCount(char ch, const std::string& s) const {
    return static_cast<int>(std::count(s.begin(), s.end(), ch));
}

int CStringHelper::GetSegmentCount(const std::string& s, char sep) const {
    return GetCharCount(sep, s) + 1;
}

const std::string& CStringHelper::GetSegment(int index, const std::string& s, char sep) {
    std::string::size_type start = 0;
    for (int passed = 0; passed < index; ++passed) {
        const auto next = s.find(sep, start);
        if (next == std::string::npos) {
            m_buffer.clear();
            return m_buffer;
        }
        start = next + 1;
    }
    const auto end = s.find(sep, start);
    m_buffer = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return m_buffer;
}

const std::string& CStringHelper::GetFileTitle(const std::string& path) {
    const auto last = LastSeparator(path);
    m_buffer = last == std::string::npos ? path : path.substr(last + 1);
    return m_buffer;
}

const std::string& CStringHelper::GetFilePath(const std::string& path) {
    const auto last = LastSeparator(path);
    m_buffer = last == std::string::npos ? std::string() : path.substr(0, last + 1);
    return m_buffer;
}

const std::string& CStringHelper::ChangeFileExtension(const std::string& path,
                                                      const std::string& ext) {
    const auto last = LastSeparator(path);
    const auto nameStart = last == std::string::npos ? 0 : last + 1;
    const auto point = path.rfind('.');
    // A leading point names a hidden file, it does not start an extension.
    const bool hasExtension = point != std::string::npos && point > nameStart;
    m_buffer = hasExtension ? path.substr(0, point + 1) : path + ".";
    m_buffer += ext;
    return m_buffer;
}

} // namespace kestrum
