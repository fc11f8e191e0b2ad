#include "output/vobsub/programstream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The 33-bit time back from the 5 bytes, checking the marker bits on the way.
std::int64_t DecodePresentationTime(const std::uint8_t* p) {
    EXPECT_EQ(p[0] & 0xF1, 0x21);
    EXPECT_EQ(p[2] & 0x01, 0x01);
    EXPECT_EQ(p[4] & 0x01, 0x01);
    return (std::int64_t{p[0] & 0x0E} << 29) | (std::int64_t{p[1]} << 22) |
           (std::int64_t{p[2] >> 1} << 15) | (std::int64_t{p[3]} << 7) | (p[4] >> 1);
}

std::int64_t DecodeClockReference(const std::uint8_t* p) {
    EXPECT_EQ(p[0] & 0xC4, 0x44);
    EXPECT_EQ(p[2] & 0x04, 0x04);
    EXPECT_EQ(p[4] & 0x04, 0x04);
    return (std::int64_t{(p[0] >> 3) & 0x07} << 30) | (std::int64_t{p[0] & 0x03} << 28) |
           (std::int64_t{p[1]} << 20) | (std::int64_t{p[2] >> 3} << 15) |
           (std::int64_t{p[2] & 0x03} << 13) | (std::int64_t{p[3]} << 5) | (p[4] >> 3);
}

TEST(ProgramStreamTest, TimesKeepAllThirtyThreeBits) {
    EXPECT_EQ(EncodePresentationTime(0), (Bytes{0x21, 0x00, 0x01, 0x00, 0x01}));
    for (const std::int64_t ticks :
         {std::int64_t{1}, std::int64_t{90000}, std::int64_t{324000000},
          (std::int64_t{1} << 32) + 12345, (std::int64_t{1} << 33) - 1}) {
        EXPECT_EQ(DecodePresentationTime(EncodePresentationTime(ticks).data()), ticks) << ticks;
        const Bytes header = EncodePackHeader(ticks);
        ASSERT_EQ(header.size(), 14u);
        EXPECT_EQ(DecodeClockReference(header.data() + 4), ticks) << ticks;
    }
}

struct Packet {
    std::int64_t time = -1; // -1 without a time
    Bytes payload;
};

// Reads the packs the way a demuxer does: every pack is 2048 bytes, begins with its header, and
// holds one private-stream packet of subtitle stream 0 and at most a padding packet.
std::vector<Packet> ReadPacks(const Bytes& file) {
    std::vector<Packet> packets;
    EXPECT_EQ(file.size() % kProgramStreamPackSize, 0u);
    for (std::size_t at = 0; at + kProgramStreamPackSize <= file.size();
         at += kProgramStreamPackSize) {
        const std::uint8_t* p = file.data() + at;
        EXPECT_EQ(Bytes(p, p + 4), (Bytes{0, 0, 1, 0xBA}));
        EXPECT_EQ(p[13] & 0x07, 0); // no pack stuffing
        const std::uint8_t* pes = p + 14;
        EXPECT_EQ(Bytes(pes, pes + 4), (Bytes{0, 0, 1, 0xBD}));
        const std::size_t length = (pes[4] << 8) | pes[5];
        const std::size_t headerData = pes[8];
        Packet packet;
        if (pes[7] & 0x80) {
            packet.time = DecodePresentationTime(pes + 9);
            EXPECT_EQ(DecodeClockReference(p + 4), packet.time);
        }
        for (std::size_t i = packet.time >= 0 ? 5 : 0; i < headerData; ++i) {
            EXPECT_EQ(pes[9 + i], 0xFF); // stuffing
        }
        EXPECT_EQ(pes[9 + headerData], 0x20);
        const std::size_t end = 6 + length;
        packet.payload.assign(pes + 10 + headerData, pes + end);
        const std::size_t used = 14 + end;
        if (used < kProgramStreamPackSize) {
            const std::uint8_t* padding = pes + end;
            EXPECT_EQ(Bytes(padding, padding + 4), (Bytes{0, 0, 1, 0xBE}));
            EXPECT_EQ(static_cast<std::size_t>((padding[4] << 8) | padding[5]) + 6,
                      kProgramStreamPackSize - used);
        }
        packets.push_back(packet);
    }
    return packets;
}

// Sizes around the room of the first pack (2019 bytes) and of the next (2024), where the rest
// of a pack is too small for a padding packet.
TEST(ProgramStreamTest, UnitsOfEverySizeFillWholePacksAndReadBack) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{2013}, std::size_t{2014},
                                   std::size_t{2018}, std::size_t{2019}, std::size_t{2020},
                                   std::size_t{4043}, std::size_t{4044}, std::size_t{9000}}) {
        Bytes unit(size);
        for (std::size_t i = 0; i < size; ++i) {
            unit[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        Bytes file;
        AppendSubpicturePacks(file, unit, 450000);
        const std::vector<Packet> packets = ReadPacks(file);
        ASSERT_FALSE(packets.empty());
        EXPECT_EQ(packets.front().time, 450000) << size;
        Bytes joined;
        for (std::size_t i = 0; i < packets.size(); ++i) {
            EXPECT_EQ(packets[i].time >= 0, i == 0) << size;
            joined.insert(joined.end(), packets[i].payload.begin(), packets[i].payload.end());
        }
        EXPECT_EQ(joined, unit) << size;
        EXPECT_EQ(file.size(), ((size + 5 + 2023) / 2024) * kProgramStreamPackSize) << size;
    }
}

TEST(ProgramStreamTest, EachUnitStartsAPackOfItsOwn) {
    Bytes file;
    AppendSubpicturePacks(file, Bytes(10, 1), 90000);
    AppendSubpicturePacks(file, Bytes(3000, 2), 180000);
    const std::vector<Packet> packets = ReadPacks(file);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].time, 90000);
    EXPECT_EQ(packets[0].payload, Bytes(10, 1));
    EXPECT_EQ(packets[1].time, 180000);
    EXPECT_EQ(packets[2].time, -1);
}

} // namespace
} // namespace orvo
