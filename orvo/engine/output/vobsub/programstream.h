#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvo {

// The packs of a DVD subtitle file: every pack is kProgramStreamPackSize bytes, and a
// subpicture unit starts a pack of its own, so that an index can point at it.
constexpr std::size_t kProgramStreamPackSize = 2048;

// Ticks of the 90 kHz clock that presentation times count in.
constexpr std::int64_t kProgramStreamClock = 90000;

// The 5 bytes of a presentation time in a packet header, 33 bits with their marker bits.
std::vector<std::uint8_t> EncodePresentationTime(std::int64_t ticks);

// The 14-byte pack header with its system clock reference (in 90 kHz ticks).
std::vector<std::uint8_t> EncodePackHeader(std::int64_t clockTicks);

// Appends one subpicture unit as packs of the private stream of subtitle stream 0: the first
// packet carries the presentation time, the last pack is filled up to its full size.
void AppendSubpicturePacks(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> unit,
                           std::int64_t presentationTicks);

} // namespace orvo
