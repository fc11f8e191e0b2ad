#pragma once

#include <kestrum/kestrum_export.h>

#include <cstdint>
#include <string>

namespace kestrum {

// The running program's version, read once from its version resource, with two ready-made
// texts: "Version 2.3  Build 77  Beta" and "Version 2.3".
class KESTRUM_EXPORT CVersion {
public:
    CVersion();
    CVersion(const CVersion& other);
    CVersion& operator=(const CVersion& other);
    virtual ~CVersion();

    // Reads the version resource and builds both texts. Without a resource, or without the
    // signature of the fixed record in it, the numbers are 0 and the texts empty.
    void Init();

    const std::string& GetVersion() const { return m_version; }
    const std::string& GetShortVersion() const { return m_shortVersion; }
    // Major version in the high 16 bits, minor in the low 16 bits.
    unsigned long GetProcVersion() const { return m_procVersion; }
    unsigned short GetProcType() const { return m_procType; }
    unsigned short GetProcBuild() const { return m_procBuild; }

    // The folder of the running program's file, without a trailing separator.
    static const std::string& GetModulePath();

private:
    std::uint32_t m_procVersion = 0;
    std::uint16_t m_procType = 0;
    std::uint16_t m_procBuild = 0;
    std::string m_version;
    std::string m_shortVersion;
};

} // namespace kestrum
