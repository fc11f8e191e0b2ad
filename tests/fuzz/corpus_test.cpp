#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The fuzz target: aborts on a crash or a failed round trip, returns 0 otherwise.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> CorpusFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Test names allow letters, digits and underscores only.
std::string TestName(const testing::TestParamInfo<std::filesystem::path>& info) {
    std::string name = info.param.filename().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char ch) { return std::isalnum(ch) == 0; }, '_');
    return name;
}

class CorpusReplay : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(CorpusReplay, LoadsWithoutFinding) {
    const std::vector<std::uint8_t> bytes = ReadFile(GetParam());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReplay, testing::ValuesIn(CorpusFiles()), TestName);

// An empty or missing corpus would make the replay pass without testing anything.
TEST(CorpusFolder, HoldsTheSeeds) {
    EXPECT_GE(CorpusFiles().size(), std::size_t{FUZZ_MIN_SEEDS});
}

} // namespace
