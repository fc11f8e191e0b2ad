#pragma once

#include "kestrum-prop/propcommand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrum::tool::test {

// A folder of the test's own under the system's temporary folder, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrum-prop-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

// Each test gets a fresh folder and runs the tool's commands in process.
class CommandTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return (m_dir.Path() / name).string(); }

    static CommandResult Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    // Runs a command that must succeed without a message and returns its output.
    static std::string Succeed(const std::vector<std::string>& args) {
        const CommandResult result = Run(args);
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        EXPECT_EQ(result.err, "");
        return result.out;
    }

    TempDir m_dir; // declared first: m_file is formed from it
    const std::string m_file = PathOf("settings.cfg");
};

} // namespace kestrum::tool::test
