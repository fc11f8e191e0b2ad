#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// A file's whole content; empty when it cannot be read, so that a comparison with the expected
// content fails and names what was there instead.
Bytes ReadFile(const std::string& path);
std::string ReadText(const std::string& path);

// Creates or truncates path with exactly these bytes. Throws when that fails: a test whose
// input was not written would test something else than it says.
void WriteFile(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, std::string_view text);

bool Exists(const std::string& path);

// The lines of a program's output that hold anything.
std::vector<std::string> NonEmptyLines(const std::string& text);

} // namespace testsupport
