#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/dib.h"
#include "output/dvd1/quantiser.h"

#include "common/filesizelimit.h"

#include "bitmaptestsupport.h"

#include <kestrum/util/fileio.h>

#include <QImage>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvo::test {
namespace {

constexpr std::size_t kChunk = 32767;

Dib RleDib(const QImage& canvas) {
    const std::optional<Dib> capture = BitmapToDib(&canvas);
    EXPECT_TRUE(capture.has_value());
    std::optional<Dib> dib = ChangeDibFormat(capture.value_or(Dib{}), 4, 2);
    EXPECT_TRUE(dib.has_value());
    return dib.value_or(Dib{});
}

// The size of every write() made into one end of a socket pair that keeps message boundaries:
// each write arrives as one message, however the reader is scheduled.
struct WriteRecord {
    std::size_t result = 0;
    std::vector<std::size_t> writes;
    Bytes received;
};

WriteRecord RecordWrites(const Bytes& data) {
    int ends[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
    WriteRecord record;
    std::thread reader([&] {
        Bytes message(1 << 20);
        for (;;) {
            const ssize_t size = recv(ends[1], message.data(), message.size(), MSG_TRUNC);
            if (size <= 0) {
                break;
            }
            record.writes.push_back(static_cast<std::size_t>(size));
            record.received.insert(record.received.end(), message.begin(), message.begin() + size);
        }
    });
    record.result = WriteInChunks(ends[0], data);
    close(ends[0]);
    reader.join();
    close(ends[1]);
    return record;
}

Bytes Pattern(std::size_t size) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 131 + i / 251);
    }
    return data;
}

TEST(WriteInChunks, WritesPiecesOfAtMost32767Bytes) {
    const std::pair<std::size_t, std::vector<std::size_t>> cases[] = {
        {1, {1}},
        {kChunk, {kChunk}},
        {kChunk + 1, {kChunk, 1}},
        {3 * kChunk + 5, {kChunk, kChunk, kChunk, 5}},
    };
    for (const auto& [size, writes] : cases) {
        SCOPED_TRACE(size);
        const Bytes data = Pattern(size);
        const WriteRecord record = RecordWrites(data);
        EXPECT_EQ(record.result, size);
        EXPECT_EQ(record.writes, writes);
        EXPECT_TRUE(SameBytes(record.received, data));
    }
}

TEST(WriteInChunks, WritesNothingForNoData) {
    const WriteRecord record = RecordWrites({});
    EXPECT_EQ(record.result, 0u);
    EXPECT_TRUE(record.writes.empty());
}

TEST(WriteInChunks, GivesZeroWhenTheLastPieceIsWrittenShort) {
    TempDir dir;
    const std::string path = dir.File("short.bin");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    std::size_t result = 1;
    {
        const FileSizeLimit limit(kChunk + 500);
        result = WriteInChunks(fd, Pattern(kChunk + 1000));
    }
    close(fd);
    EXPECT_EQ(result, 0u);
    EXPECT_TRUE(SameBytes(ReadFile(path), Bytes(Pattern(kChunk + 500))));
}

TEST(WriteInChunks, GivesZeroWhenAWriteFails) {
    TempDir dir;
    const std::string path = dir.File("readonly.bin");
    WriteFile(path, {1, 2, 3});
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(WriteInChunks(fd, Pattern(10)), 0u);
    close(fd);
}

TEST(SaveDib, GivesTwentyWithoutADibAndCreatesNoFile) {
    TempDir dir;
    const std::string path = dir.File("none.bmp");
    EXPECT_EQ(SaveDib(nullptr, path).code, kNoDib);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaveDib, GivesFourWhenTheFolderIsMissing) {
    TempDir dir;
    const Dib dib = RleDib(TextCanvas(576, 24, true));
    EXPECT_EQ(SaveDib(&dib, dir.File("missing/out.bmp")).code, kDibFileError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

TEST(SaveDib, WritesTheFileHeaderAndTheDib) {
    TempDir dir;
    const std::string path = dir.File("out.bmp");
    const Dib dib = RleDib(TextCanvas(576, 24, true));
    ASSERT_EQ(SaveDib(&dib, path).code, kDibWritten);
    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 14 + dib.size());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(ReadLe32(file, 2), file.size());
    EXPECT_EQ(ReadLe32(file, 6), 0u);
    EXPECT_EQ(ReadLe32(file, 10), 118u);
    EXPECT_TRUE(SameBytes(std::span(file).subspan(14), dib));
}

TEST(SaveDib, ReplacesTheContentsOfAnExistingFile) {
    TempDir dir;
    const std::string path = dir.File("out.bmp");
    const Dib dib = RleDib(TextCanvas(480, 24, true));
    ASSERT_EQ(SaveDib(&dib, path).code, kDibWritten);
    const Bytes expected = ReadFile(path);
    for (const std::size_t oldSize : {std::size_t{200000}, std::size_t{100}}) {
        SCOPED_TRACE(oldSize);
        WriteFile(path, Bytes(oldSize, 0xEE));
        ASSERT_EQ(SaveDib(&dib, path).code, kDibWritten);
        EXPECT_TRUE(SameBytes(ReadFile(path), expected));
    }
}

TEST(SaveDib, WritesToADeviceThatHasNoEnd) {
    const Dib dib = RleDib(TextCanvas(480, 24, true));
    EXPECT_EQ(SaveDib(&dib, "/dev/null").code, kDibWritten);
    kestrum::FileReplacer replacer;
    EXPECT_EQ(SaveDib(&dib, "/dev/null", &replacer).code, kDibWritten);
}

TEST(SaveDib, StoresTheImageSizeOfAnUncompressedDib) {
    TempDir dir;
    const std::string path = dir.File("plain.bmp");
    const QImage canvas = RandomCanvas(33, 9, 8);
    std::optional<Dib> dib = BitmapToDib(&canvas);
    ASSERT_TRUE(dib.has_value());
    // A header may leave the size of uncompressed pixels 0.
    std::fill(dib->begin() + 20, dib->begin() + 24, 0);
    const Dib before = *dib;
    ASSERT_EQ(SaveDib(&*dib, path).code, kDibWritten);
    EXPECT_EQ(*dib, before);
    const Bytes file = ReadFile(path);
    const std::uint32_t rows = 100 * 9; // 99 bytes a row padded to 100
    ASSERT_EQ(file.size(), 14 + 40 + rows);
    EXPECT_EQ(ReadLe32(file, 2), 14 + 40 + rows);
    EXPECT_EQ(ReadLe32(file, 10), 54u);
    EXPECT_EQ(ReadLe32(file, 14 + 20), rows);
    // Read back by Qt's own BMP reader, the picture is the canvas.
    const QImage read(QString::fromStdString(path), "BMP");
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), canvas);
}

TEST(SaveDib, WritesADibWithACoreHeader) {
    TempDir dir;
    const std::string path = dir.File("core.bmp");
    // 3 x 2 pixels of 8 bits: 256 three-byte colours, rows of 4 bytes.
    Dib dib(12 + 768 + 8, 0x55);
    const Bytes header{12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 8, 0};
    std::copy(header.begin(), header.end(), dib.begin());
    dib.push_back(0x99); // beyond the DIB: not written
    ASSERT_EQ(SaveDib(&dib, path).code, kDibWritten);
    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 14 + 12 + 768 + 8);
    EXPECT_EQ(ReadLe32(file, 2), file.size());
    EXPECT_EQ(ReadLe32(file, 10), 14u + 12 + 768);
    EXPECT_TRUE(SameBytes(std::span(file).subspan(14), std::span(dib).first(12 + 768 + 8)));
}

TEST(SaveDib, GivesThreeForABlockThatHoldsNoDibAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string path = dir.File("kept.bmp");
    const Bytes old{1, 2, 3};
    WriteFile(path, old);
    const Dib good = RleDib(TextCanvas(480, 24, true));
    const auto with = [&](std::size_t at, std::uint8_t value) {
        Dib changed = good;
        changed[at] = value;
        return changed;
    };
    const std::pair<const char*, Dib> cases[] = {
        {"empty", Dib{}},
        {"header cut short", Dib(good.begin(), good.begin() + 30)},
        {"pixels cut short", Dib(good.begin(), good.end() - 1)},
        {"unknown header size", with(0, 108)},
        {"image size beyond the block", with(23, 0x10)},
        {"run-length data of 8 bits", with(14, 8)},
        {"unknown compression", with(16, 3)},
        {"no bit count", with(14, 0)},
        {"negative width", with(7, 0x80)},
    };
    for (const auto& [what, dib] : cases) {
        EXPECT_EQ(SaveDib(&dib, path).code, kDibNotAccessible) << what;
    }
    // The file was never the trouble, and the run's message must not say it was.
    EXPECT_EQ(SaveDib(&cases[1].second, path).Reason(), "the picture is no valid bitmap");
    EXPECT_EQ(ReadFile(path), old);
}

TEST(SaveDib, GivesFourAndLeavesTheOldFileWhenTheDiskFills) {
    TempDir dir;
    const std::string path = dir.File("full.bmp");
    const Dib dib = RleDib(NoiseCanvas(720, 576, 4));
    ASSERT_GT(dib.size(), 3 * kChunk);
    const std::size_t cut = 2 * kChunk + 1000;
    // No file yet, and one that a stopped run may still need.
    for (const std::optional<Bytes>& old :
         {std::optional<Bytes>{}, std::optional(Bytes(100, 0xEE))}) {
        SCOPED_TRACE(old ? "old file" : "no file");
        std::filesystem::remove(path);
        if (old) {
            WriteFile(path, *old);
        }
        DibSaveOutcome outcome;
        {
            const FileSizeLimit limit(cut);
            outcome = SaveDib(&dib, path);
        }
        EXPECT_EQ(outcome.code, kDibFileError);
        EXPECT_EQ(outcome.error, std::errc::file_too_large);
        EXPECT_EQ(outcome.Reason(), std::strerror(EFBIG));
        EXPECT_EQ(std::filesystem::exists(path), old.has_value());
        if (old) {
            EXPECT_TRUE(SameBytes(ReadFile(path), *old));
        }
        // Nothing half-written stays behind either.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")),
                                std::filesystem::directory_iterator()),
                  old ? 1 : 0);
    }
}

} // namespace
} // namespace orvo::test
