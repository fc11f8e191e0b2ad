#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrum {

// The file formats keep their numbers least significant byte first, whatever the machine's own
// order. The caller makes sure that the value's bytes lie inside the span.

constexpr std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t at = 0) {
    assert(at <= bytes.size() && bytes.size() - at >= 2);
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

constexpr std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t at = 0) {
    return ReadLe16(bytes, at) | (std::uint32_t{ReadLe16(bytes, at + 2)} << 16);
}

constexpr void WriteLe16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    assert(at <= bytes.size() && bytes.size() - at >= 2);
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr void WriteLe32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    WriteLe16(bytes, at, static_cast<std::uint16_t>(value));
    WriteLe16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

} // namespace kestrum
