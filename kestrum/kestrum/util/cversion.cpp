#include "kestrum/util/cversion.h"

#include "kestrum/util/littleendian.h"
#include "kestrum/util/modulefilename.h"
#include "kestrum/util/resources.h"
#include "kestrum/util/versionresource.h"

#include <cstdio>
#include <span>

namespace kestrum {
namespace {

const char* BuildTypeWord(std::uint16_t buildType) {
    switch (buildType) {
    case 1:
        return "Demo";
    case 2:
        return "Beta";
    default:
        return "";
    }
}

} // namespace

CVersion::CVersion() = default;
CVersion::CVersion(const CVersion& other) = default;
CVersion& CVersion::operator=(const CVersion& other) = default;
CVersion::~CVersion() = default;

void CVersion::Init() {
    *this = CVersion();
    const std::span<const std::uint8_t> resource = FindResource(kRtVersion, kVersionResourceId);
    // The signature is looked for on 32-bit boundaries; the record must hold the file version
    // words after it, or nothing is taken.
    constexpr std::size_t kRecordPrefix = 16;
    for (std::size_t offset = 0; offset + kRecordPrefix <= resource.size(); offset += 4) {
        if (ReadLe32(resource, offset) != kFixedFileInfoSignature) {
            continue;
        }
        m_procVersion = ReadLe32(resource, offset + 8);
        const std::uint32_t versionLs = ReadLe32(resource, offset + 12);
        m_procType = static_cast<std::uint16_t>(versionLs >> 16);
        m_procBuild = static_cast<std::uint16_t>(versionLs & 0xFFFF);

        const unsigned major = m_procVersion >> 16;
        const unsigned minor = m_procVersion & 0xFFFF;
        char text[96];
        std::snprintf(text, sizeof text, "Version %u.%u  Build %u  %s", major, minor,
                      unsigned{m_procBuild}, BuildTypeWord(m_procType));
        m_version = text;
        std::snprintf(text, sizeof text, "Version %u.%u", major, minor);
        m_shortVersion = text;
        return;
    }
}

const std::string& CVersion::GetModulePath() {
    // Made once, at the first use: every instance shares it.
    static const std::string path = [] {
        const std::string file = ModuleFileName();
        const auto last = file.find_last_of("\\/");
        if (last == std::string::npos) {
            return std::string();
        }
        // A program in the root folder lives in "/", not in "".
        return last == 0 ? file.substr(0, 1) : file.substr(0, last);
    }();
    return path;
}

} // namespace kestrum
