#pragma once

#include <kestrum/util/littleendian.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrum {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// A version resource as the system these programs come from lays it out: the 40-byte header
// of the "VS_VERSION_INFO" block, then the fixed file information record (signature,
// structure version, file version, product version, flags, OS, type, date). Only the record
// is read back (by CVersion); the header is there so that the record stands where readers of
// such resources look for it.
constexpr std::size_t kFixedFileInfoOffset = 40;
constexpr std::size_t kVersionResourceSize = kFixedFileInfoOffset + 13 * 4;

constexpr std::array<std::uint8_t, kVersionResourceSize>
MakeVersionResource(std::uint16_t major, std::uint16_t minor, std::uint16_t buildType,
                    std::uint16_t build) {
    std::array<std::uint8_t, kVersionResourceSize> bytes{};
    std::size_t pos = 0;
    auto word = [&](std::uint16_t value) {
        WriteLe16(bytes, pos, value);
        pos += 2;
    };
    auto dword = [&](std::uint32_t value) {
        WriteLe32(bytes, pos, value);
        pos += 4;
    };
    word(kVersionResourceSize);         // length of the block
    word(13 * 4);                       // length of the record
    word(0);                            // binary data
    for (char ch : "VS_VERSION_INFO") { // 16 characters of 16 bits, terminator included
        word(static_cast<std::uint16_t>(ch));
    }
    pos = kFixedFileInfoOffset; // padding to a 32-bit boundary
    const std::uint32_t versionMs = (std::uint32_t{major} << 16) | minor;
    const std::uint32_t versionLs = (std::uint32_t{buildType} << 16) | build;
    dword(kFixedFileInfoSignature);
    dword(0x00010000); // structure version 1.0
    dword(versionMs);  // file version
    dword(versionLs);
    dword(versionMs); // product version
    dword(versionLs);
    dword(0x3F);       // flags mask
    dword(0);          // flags
    dword(0x00040004); // operating system: 32-bit, NT
    dword(1);          // file type: application
    dword(0);          // subtype
    dword(0);          // date
    dword(0);
    return bytes;
}

} // namespace kestrum
