#include "output/vobsub/programstream.h"

#include "output/bigendian.h"

#include <algorithm>

namespace orvo {
namespace {

constexpr std::uint8_t kPrivateStream1 = 0xBD;
constexpr std::uint8_t kPaddingStream = 0xBE;
constexpr std::uint8_t kFirstSubtitleStream = 0x20;
// The rate a player may assume, in units of 50 bytes a second: the DVD's 10.08 Mbit/s.
constexpr std::uint32_t kMuxRate = 25200;
constexpr std::size_t kPackHeaderSize = 14;
constexpr std::size_t kPacketStartSize = 6; // start code, stream id and length
constexpr std::size_t kPresentationTimeSize = 5;
// The two flag bytes and the header length after the packet length.
constexpr std::size_t kPacketHeaderFixed = 3;
constexpr std::size_t kSubstreamIdSize = 1;
constexpr std::int64_t kClockMask = (std::int64_t{1} << 33) - 1;

void AppendStartCode(std::vector<std::uint8_t>& out, std::uint8_t id) {
    out.insert(out.end(), {0x00, 0x00, 0x01, id});
}

void AppendLength(std::vector<std::uint8_t>& out, std::size_t length) {
    AppendBigEndian(out, length, 2);
}

// One private-stream packet in a pack of its own. stuffing bytes fill a pack whose rest is too
// small for a padding packet.
void AppendPack(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> payload,
                std::int64_t ticks, bool withTime, std::size_t stuffing) {
    const std::vector<std::uint8_t> packHeader = EncodePackHeader(ticks);
    out.insert(out.end(), packHeader.begin(), packHeader.end());
    const std::size_t headerData = (withTime ? kPresentationTimeSize : 0) + stuffing;
    AppendStartCode(out, kPrivateStream1);
    AppendLength(out, kPacketHeaderFixed + headerData + kSubstreamIdSize + payload.size());
    out.push_back(0x81); // marker bits, original
    out.push_back(withTime ? 0x80 : 0x00);
    out.push_back(static_cast<std::uint8_t>(headerData));
    if (withTime) {
        const std::vector<std::uint8_t> time = EncodePresentationTime(ticks);
        out.insert(out.end(), time.begin(), time.end());
    }
    out.insert(out.end(), stuffing, 0xFF);
    out.push_back(kFirstSubtitleStream);
    out.insert(out.end(), payload.begin(), payload.end());
}

void PadPack(std::vector<std::uint8_t>& out) {
    const std::size_t rest = kProgramStreamPackSize - out.size() % kProgramStreamPackSize;
    if (rest == kProgramStreamPackSize) {
        return;
    }
    AppendStartCode(out, kPaddingStream);
    AppendLength(out, rest - kPacketStartSize);
    out.insert(out.end(), rest - kPacketStartSize, 0xFF);
}

} // namespace

std::vector<std::uint8_t> EncodePresentationTime(std::int64_t ticks) {
    const auto t = static_cast<std::uint64_t>(ticks & kClockMask);
    return {
        static_cast<std::uint8_t>(0x21 | ((t >> 29) & 0x0E)), static_cast<std::uint8_t>(t >> 22),
        static_cast<std::uint8_t>(((t >> 14) & 0xFE) | 0x01), static_cast<std::uint8_t>(t >> 7),
        static_cast<std::uint8_t>(((t << 1) & 0xFE) | 0x01),
    };
}

std::vector<std::uint8_t> EncodePackHeader(std::int64_t clockTicks) {
    const auto t = static_cast<std::uint64_t>(clockTicks & kClockMask);
    return {
        0x00,
        0x00,
        0x01,
        0xBA,
        static_cast<std::uint8_t>(0x44 | ((t >> 27) & 0x38) | ((t >> 28) & 0x03)),
        static_cast<std::uint8_t>(t >> 20),
        static_cast<std::uint8_t>(((t >> 12) & 0xF8) | 0x04 | ((t >> 13) & 0x03)),
        static_cast<std::uint8_t>(t >> 5),
        static_cast<std::uint8_t>(((t << 3) & 0xF8) | 0x04), // extension 0
        0x01,
        static_cast<std::uint8_t>(kMuxRate >> 14),
        static_cast<std::uint8_t>(kMuxRate >> 6),
        static_cast<std::uint8_t>(((kMuxRate << 2) & 0xFC) | 0x03),
        0xF8, // no stuffing
    };
}

void AppendSubpicturePacks(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> unit,
                           std::int64_t presentationTicks) {
    constexpr std::size_t kFixed =
        kPackHeaderSize + kPacketStartSize + kPacketHeaderFixed + kSubstreamIdSize;
    bool first = true;
    do {
        const std::size_t room =
            kProgramStreamPackSize - kFixed - (first ? kPresentationTimeSize : 0);
        const std::size_t take = std::min(room, unit.size());
        // A rest below a padding packet's header goes into the packet header as stuffing.
        const std::size_t rest = room - take;
        const std::size_t stuffing = rest < kPacketStartSize ? rest : 0;
        AppendPack(out, unit.first(take), presentationTicks, first, stuffing);
        PadPack(out);
        unit = unit.subspan(take);
        first = false;
    } while (!unit.empty());
}

} // namespace orvo
