#include <kestrum/util/littleendian.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrum {
namespace {

struct LeCase {
    const char* name;
    std::vector<std::uint8_t> bytes; // as they lie in a file
    std::size_t at;
    std::uint32_t value;
    std::size_t width; // 2 or 4
};

// Each value starts one byte into its buffer, so that an offset ignored shows; the byte
// patterns tell a swapped pair of bytes or halves apart, and the high bits show sign trouble.
const LeCase kCases[] = {
    {"16-bit low byte first", {0xEE, 0x34, 0x12, 0xEE}, 1, 0x1234, 2},
    {"16-bit all ones", {0xEE, 0xFF, 0xFF, 0xEE}, 1, 0xFFFF, 2},
    {"16-bit high bit", {0xEE, 0x00, 0x80, 0xEE}, 1, 0x8000, 2},
    {"32-bit low byte first", {0xEE, 0x78, 0x56, 0x34, 0x12, 0xEE}, 1, 0x12345678, 4},
    {"32-bit all ones", {0xEE, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE}, 1, 0xFFFFFFFF, 4},
    {"32-bit high bit", {0xEE, 0x00, 0x00, 0x00, 0x80, 0xEE}, 1, 0x80000000, 4},
    {"32-bit at the very end", {0xEE, 0xEE, 0x01, 0x02, 0x03, 0x04}, 2, 0x04030201, 4},
};

class LittleEndianTest : public ::testing::TestWithParam<LeCase> {};

TEST_P(LittleEndianTest, ReadsTheValue) {
    const LeCase& c = GetParam();
    const std::uint32_t read = c.width == 2 ? ReadLe16(c.bytes, c.at) : ReadLe32(c.bytes, c.at);
    EXPECT_EQ(read, c.value);
}

// Writing touches only the value's own bytes.
TEST_P(LittleEndianTest, WritesTheBytes) {
    const LeCase& c = GetParam();
    std::vector<std::uint8_t> written(c.bytes.size(), 0xEE);
    if (c.width == 2) {
        WriteLe16(written, c.at, static_cast<std::uint16_t>(c.value));
    } else {
        WriteLe32(written, c.at, c.value);
    }
    EXPECT_EQ(written, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Values, LittleEndianTest, ::testing::ValuesIn(kCases),
                         [](const auto& test) {
                             std::string name = test.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) {
                                     ch = '_';
                                 }
                             }
                             return name;
                         });

// Version resources are built at compile time with these.
static_assert([] {
    std::array<std::uint8_t, 4> bytes{};
    WriteLe32(bytes, 0, 0xCAFEF00D);
    return ReadLe32(bytes) == 0xCAFEF00D && bytes[0] == 0x0D;
}());

} // namespace
} // namespace kestrum
