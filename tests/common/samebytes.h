#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <sstream>

namespace testsupport {

// Compares byte for byte and names the first offset that differs, which is where a reader of
// the failure starts looking.
inline ::testing::AssertionResult SameBytes(std::span<const std::uint8_t> actual,
                                            std::span<const std::uint8_t> expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (a != actual.end() && e != expected.end()) {
        std::ostringstream message;
        message << "first difference at offset 0x" << std::hex << (a - actual.begin()) << ": got 0x"
                << int{*a} << ", expected 0x" << int{*e};
        return ::testing::AssertionFailure() << message.str();
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: got " << actual.size() << ", expected " << expected.size();
    }
    return ::testing::AssertionSuccess();
}

// Expected bytes written out in the test.
inline ::testing::AssertionResult SameBytes(std::span<const std::uint8_t> actual,
                                            std::initializer_list<std::uint8_t> expected) {
    return SameBytes(actual, std::span(expected.begin(), expected.size()));
}

} // namespace testsupport
