#include <kestrum/util/cversion.h>
#include <kestrum/util/resources.h>
#include <kestrum/util/versionresource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using kestrum::CVersion;
using kestrum::kFixedFileInfoOffset;
using kestrum::kVersionResourceSize;
using kestrum::MakeVersionResource;

// Registers version resources for one test and restores what was registered before (the test
// program compiles in none). The bytes live on the heap in an allocation of exactly their
// size, so that AddressSanitizer reports any read beyond the resource.
class VersionTest : public testing::Test {
protected:
    void SetUp() override {
        m_before = kestrum::FindResource(kestrum::kRtVersion, kestrum::kVersionResourceId);
        Unregister();
    }

    void TearDown() override {
        if (m_before.empty()) {
            Unregister();
        } else {
            kestrum::RegisterResource(kestrum::kRtVersion, kestrum::kVersionResourceId, m_before);
        }
    }

    void Register(std::span<const std::uint8_t> bytes) {
        m_bytes = std::make_unique<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), m_bytes.get());
        kestrum::RegisterResource(kestrum::kRtVersion, kestrum::kVersionResourceId,
                                  std::span(m_bytes.get(), bytes.size()));
    }

    static void Unregister() {
        kestrum::UnregisterResource(kestrum::kRtVersion, kestrum::kVersionResourceId);
    }

    // The version record of a resource alone, beginning with its signature.
    static std::span<const std::uint8_t> Record(std::span<const std::uint8_t> resource) {
        return resource.subspan(kFixedFileInfoOffset);
    }

    static void ExpectEmpty(const CVersion& version) {
        EXPECT_EQ(version.GetProcVersion(), 0U);
        EXPECT_EQ(version.GetProcType(), 0U);
        EXPECT_EQ(version.GetProcBuild(), 0U);
        EXPECT_EQ(version.GetVersion(), "");
        EXPECT_EQ(version.GetShortVersion(), "");
    }

private:
    std::span<const std::uint8_t> m_before;
    std::unique_ptr<std::uint8_t[]> m_bytes;
};

struct VersionCase {
    std::uint16_t major, minor, buildType, build;
    unsigned long procVersion;
    const char* longText;
    const char* shortText;
};

TEST_F(VersionTest, InitReadsTheNumbersAndBuildsBothTexts) {
    const VersionCase cases[] = {
        {2, 3, 2, 77, 0x00020003, "Version 2.3  Build 77  Beta", "Version 2.3"},
        {2, 0, 7, 12, 0x00020000, "Version 2.0  Build 12  ", "Version 2.0"},
        {1, 5, 1, 3, 0x00010005, "Version 1.5  Build 3  Demo", "Version 1.5"},
        {0, 1, 0, 0, 0x00000001, "Version 0.1  Build 0  ", "Version 0.1"},
        {10, 2, 3, 1, 0x000A0002, "Version 10.2  Build 1  ", "Version 10.2"},
        // The numbers are unsigned: the top bit set shows no minus sign.
        {65535, 65535, 65535, 65535, 0xFFFFFFFF, "Version 65535.65535  Build 65535  ",
         "Version 65535.65535"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.longText);
        Register(MakeVersionResource(c.major, c.minor, c.buildType, c.build));
        CVersion version;
        version.Init();
        EXPECT_EQ(version.GetProcVersion(), c.procVersion);
        EXPECT_EQ(version.GetProcType(), c.buildType);
        EXPECT_EQ(version.GetProcBuild(), c.build);
        EXPECT_EQ(version.GetVersion(), c.longText);
        EXPECT_EQ(version.GetShortVersion(), c.shortText);
    }
}

TEST_F(VersionTest, BeforeInitNumbersAreZeroAndTextsEmpty) {
    Register(MakeVersionResource(2, 3, 2, 77));
    const CVersion version;
    ExpectEmpty(version);
}

TEST_F(VersionTest, WithoutResourceNumbersAreZeroAndTextsEmpty) {
    CVersion version;
    version.Init();
    ExpectEmpty(version);
}

TEST_F(VersionTest, WithoutSignatureNumbersAreZeroAndTextsEmpty) {
    auto resource = MakeVersionResource(2, 3, 2, 77);
    std::fill_n(resource.begin() + kFixedFileInfoOffset, 4, std::uint8_t{0});
    Register(resource);
    CVersion version;
    version.Init();
    ExpectEmpty(version);
}

// The record is found wherever it starts on a 32-bit boundary, and nowhere else.
TEST_F(VersionTest, SignatureIsLookedForOnFourByteBoundariesOnly) {
    const auto resource = MakeVersionResource(2, 3, 2, 77);
    const auto record = Record(resource);
    for (std::size_t offset : {0, 1, 2, 3, 4, 8, 12, 40, 41, 42, 43, 44}) {
        SCOPED_TRACE(offset);
        std::vector<std::uint8_t> moved(offset, 0);
        moved.insert(moved.end(), record.begin(), record.end());
        Register(moved);
        CVersion version;
        version.Init();
        if (offset % 4 == 0) {
            EXPECT_EQ(version.GetVersion(), "Version 2.3  Build 77  Beta");
        } else {
            ExpectEmpty(version);
        }
    }
}

TEST_F(VersionTest, FirstSignatureWins) {
    const auto first = MakeVersionResource(2, 3, 2, 77);
    const auto second = MakeVersionResource(4, 5, 1, 6);
    std::vector<std::uint8_t> both(first.begin(), first.end());
    both.insert(both.end(), second.begin(), second.end());
    Register(both);
    CVersion version;
    version.Init();
    EXPECT_EQ(version.GetVersion(), "Version 2.3  Build 77  Beta");
}

// The record is cut after its signature and 0, 4 or 8 more bytes: the file version words are
// not all inside the resource, and nothing beyond it may be read (AddressSanitizer watches).
TEST_F(VersionTest, RecordCutShortIsNotReadBeyondTheResource) {
    const auto resource = MakeVersionResource(2, 3, 2, 77);
    for (std::size_t kept : {4, 8, 12}) {
        SCOPED_TRACE(kept);
        Register(std::span(resource).first(kFixedFileInfoOffset + kept));
        CVersion version;
        version.Init();
        ExpectEmpty(version);
    }
}

TEST_F(VersionTest, RecordEndingAfterTheFileVersionIsRead) {
    const auto resource = MakeVersionResource(2, 3, 2, 77);
    Register(std::span(resource).first(kFixedFileInfoOffset + 16));
    CVersion version;
    version.Init();
    EXPECT_EQ(version.GetVersion(), "Version 2.3  Build 77  Beta");
}

TEST_F(VersionTest, InitAgainOverwritesEveryMember) {
    CVersion version;
    Register(MakeVersionResource(2, 3, 2, 77));
    version.Init();
    Register(MakeVersionResource(1, 5, 1, 3));
    version.Init();
    EXPECT_EQ(version.GetProcVersion(), 0x00010005U);
    EXPECT_EQ(version.GetProcType(), 1U);
    EXPECT_EQ(version.GetProcBuild(), 3U);
    EXPECT_EQ(version.GetVersion(), "Version 1.5  Build 3  Demo");
    EXPECT_EQ(version.GetShortVersion(), "Version 1.5");

    Unregister();
    version.Init();
    ExpectEmpty(version);
}

void ExpectSameMembers(const CVersion& actual, const CVersion& expected) {
    EXPECT_EQ(actual.GetProcVersion(), expected.GetProcVersion());
    EXPECT_EQ(actual.GetProcType(), expected.GetProcType());
    EXPECT_EQ(actual.GetProcBuild(), expected.GetProcBuild());
    EXPECT_EQ(actual.GetVersion(), expected.GetVersion());
    EXPECT_EQ(actual.GetShortVersion(), expected.GetShortVersion());
}

TEST_F(VersionTest, CopyKeepsEveryMember) {
    Register(MakeVersionResource(2, 3, 2, 77));
    CVersion original;
    original.Init();
    Unregister();

    const CVersion copy(original);
    ExpectSameMembers(copy, original);

    Register(MakeVersionResource(1, 5, 1, 3));
    CVersion assigned;
    assigned.Init();
    assigned = original;
    ExpectSameMembers(assigned, original);
    EXPECT_EQ(assigned.GetVersion(), "Version 2.3  Build 77  Beta");
}

TEST(VersionModulePath, IsTheRunningProgramsFolderWithoutTrailingSlash) {
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    const std::string& path = CVersion::GetModulePath();
    EXPECT_EQ(path, program.parent_path().string());
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), '/');
}

} // namespace
