// Runs the real orvo --batch on a scratch copy of one golden case and compares every file it
// writes with the expected file of the same name in the case's folder:
//   golden_runner CASE_FOLDER ORVO_PROGRAM
// A case folder holds the inputs (one subtitle file: a list *.txt or a file of another kind, the
// look look.cfg and the lines look.set that made it) and, beside them, the expected outputs.
#include "common/childprogram.h"
#include "common/filecontent.h"
#include "common/imageprobes.h"
#include "common/samebytes.h"
#include "common/tempdir.h"

#include <kestrum-gui/logfont.h>
#include <kestrum/propstore/carchive.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cpropdb.h>

#include <QImage>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;

fs::path g_case;
std::string g_program;

const std::string kLook = "look.cfg";
const std::string kLookLines = "look.set";

// The case's subtitle file: its only file with the extension of a list or a subtitle file.
std::string ListName() {
    const std::set<std::string> extensions = {".txt", ".srt", ".vtt", ".ass", ".ssa", ".sub"};
    std::string list;
    for (const auto& entry : fs::directory_iterator(g_case)) {
        // A .sub beside its .idx is the packs a VobSub run wrote, not a list.
        const fs::path index = fs::path(entry.path()).replace_extension(".idx");
        if (entry.path().extension() == ".sub" && fs::exists(index)) {
            continue;
        }
        if (extensions.contains(entry.path().extension().string())) {
            EXPECT_TRUE(list.empty()) << "more than one list in " << g_case;
            list = entry.path().filename().string();
        }
    }
    return list;
}

std::set<std::string> FileNames(const fs::path& folder, const std::set<std::string>& inputs) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!inputs.contains(name)) {
            names.insert(name);
        }
    }
    return names;
}

// How the case draws its text: antialiased edges depend on the FreeType version, unlike bare
// pixels of a font that every machine of this project has.
struct Look {
    bool antialiased = true;
    std::string face;
    kestrum::COLORREF background = 0;
    kestrum::COLORREF text = 0;
    int height = 576;
};

// From the expected list configuration file, which holds the whole look the run used, defaults
// included.
std::optional<Look> ReadLook(const std::string& list) {
    kestrum::CPropDb db;
    if (!db.Load((g_case / fs::path(list).replace_extension(".cfg")).string())) {
        return std::nullopt;
    }
    Look look;
    look.antialiased = db.ReadPropBool("", "AntiAlias", 0, false) != 0;
    const std::uint8_t* blob = db.ReadPropBlob("", "Font");
    if (blob != nullptr) {
        const auto font = kestrum::LOGFONT::FromBytes({blob, db.GetBlobSize("", "Font")});
        look.face = font ? std::string(font->faceName.data()) : std::string();
    }
    look.background = static_cast<kestrum::COLORREF>(db.ReadPropInt("", "BkgColor", 0, false));
    look.text = static_cast<kestrum::COLORREF>(db.ReadPropInt("", "TextColor", 0, false));
    look.height = db.ReadPropBool("", "PAL", 1, false) != 0 ? 576 : 480;
    return look;
}

// A property file starts with the path of the program that wrote it, which differs from build
// to build; the rest must be the same byte for byte.
struct PropertyFile {
    std::string writer;
    Bytes rest;
};

std::optional<PropertyFile> SplitWriter(const Bytes& file) {
    try {
        kestrum::CArchive ar{std::span<const std::uint8_t>(file)};
        std::string writer = ar.ReadString();
        const auto rest = static_cast<std::ptrdiff_t>(ar.GetRemaining());
        return PropertyFile{std::move(writer), Bytes(file.end() - rest, file.end())};
    } catch (const kestrum::CArchiveException&) {
        return std::nullopt;
    }
}

void ExpectSamePropertyFile(const std::string& actualPath, const std::string& expectedPath) {
    const std::optional<PropertyFile> actual = SplitWriter(testsupport::ReadFile(actualPath));
    const std::optional<PropertyFile> expected = SplitWriter(testsupport::ReadFile(expectedPath));
    ASSERT_TRUE(actual) << actualPath << " does not start with a string";
    ASSERT_TRUE(expected) << expectedPath << " does not start with a string";
    EXPECT_EQ(actual->writer, fs::canonical(g_program).string());
    EXPECT_TRUE(testsupport::SameBytes(actual->rest, expected->rest));
}

bool ComparedByteForByte(const Look& look) {
    return !look.antialiased && look.face.starts_with("Liberation ");
}

// Edges may move by a pixel or two with another rasteriser, never more.
::testing::AssertionResult Near(const QRect& actual, const QRect& expected) {
    constexpr int kSlack = 2;
    const bool near = std::abs(actual.left() - expected.left()) <= kSlack &&
                      std::abs(actual.right() - expected.right()) <= kSlack &&
                      std::abs(actual.top() - expected.top()) <= kSlack &&
                      std::abs(actual.bottom() - expected.bottom()) <= kSlack;
    if (near && actual.isEmpty() == expected.isEmpty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << actual.left() << "," << actual.top() << ")-(" << actual.right() << ","
           << actual.bottom() << ") instead of (" << expected.left() << "," << expected.top()
           << ")-(" << expected.right() << "," << expected.bottom() << ")";
}

// What an antialiased bitmap must keep: its size, where the ink and the text colour lie, and
// about as many pixels of the text colour, which another text of the same size would not have.
void ExpectSameProperties(const std::string& actualPath, const std::string& expectedPath,
                          const Look& look) {
    const QImage actual(QString::fromStdString(actualPath));
    const QImage expected(QString::fromStdString(expectedPath));
    ASSERT_FALSE(actual.isNull()) << actualPath;
    ASSERT_FALSE(expected.isNull()) << expectedPath;
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_EQ(actual.depth(), expected.depth());
    const QColor background = kestrum::ToQColor(look.background);
    const QColor text = kestrum::ToQColor(look.text);
    EXPECT_TRUE(Near(testsupport::InkBounds(actual, background),
                     testsupport::InkBounds(expected, background)))
        << "ink of " << actualPath;
    EXPECT_TRUE(
        Near(testsupport::ColourBounds(actual, text), testsupport::ColourBounds(expected, text)))
        << "text colour of " << actualPath;
    const int textPixels = testsupport::CountPixels(actual, text, actual.rect());
    const int expectedTextPixels = testsupport::CountPixels(expected, text, expected.rect());
    EXPECT_NEAR(textPixels, expectedTextPixels, expectedTextPixels / 20 + 1)
        << "pixels of the text colour in " << actualPath;
}

// A PNG's bytes depend on the deflate library; its palette and pixels must not.
void ExpectSamePicture(const std::string& actualPath, const std::string& expectedPath) {
    const QImage actual(QString::fromStdString(actualPath));
    const QImage expected(QString::fromStdString(expectedPath));
    ASSERT_FALSE(actual.isNull()) << actualPath;
    ASSERT_FALSE(expected.isNull()) << expectedPath;
    EXPECT_EQ(actual.format(), expected.format());
    EXPECT_EQ(actual.colorTable(), expected.colorTable());
    EXPECT_TRUE(actual == expected) << actualPath << " differs from " << expectedPath;
}

TEST(GoldenRun, WritesTheExpectedFiles) {
    const std::string list = ListName();
    ASSERT_FALSE(list.empty()) << "no subtitle file in " << g_case;
    const std::optional<Look> look = ReadLook(list);
    ASSERT_TRUE(look) << "cannot read the list configuration file of " << list;

    const testsupport::TempDir scratch;
    for (const std::string& input : {list, kLook}) {
        fs::copy_file(g_case / input, scratch.Path() / input);
    }
    const testsupport::TempDir logs;
    std::vector<std::string> environment = testsupport::EnvironmentWithout({"QT_QPA_PLATFORM"});
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    const testsupport::ProgramOutcome orvo =
        testsupport::RunProgram({{g_program, "--batch", list, "--settings", kLook},
                                 scratch.Path().string(),
                                 environment,
                                 logs.File("stdout"),
                                 logs.File("stderr")});
    // 3: some subtitles needed more lines than the list gave, which cases may show.
    ASSERT_TRUE(orvo.status == 0 || orvo.status == 3) << orvo.status << ": " << orvo.err;

    const std::set<std::string> inputs = {list, kLook, kLookLines};
    const std::set<std::string> written = FileNames(scratch.Path(), inputs);
    ASSERT_EQ(written, FileNames(g_case, inputs));
    for (const std::string& name : written) {
        SCOPED_TRACE(name);
        const std::string actual = scratch.File(name);
        const std::string expected = (g_case / name).string();
        const fs::path extension = fs::path(name).extension();
        if (extension == ".bmp" && !ComparedByteForByte(*look)) {
            ExpectSameProperties(actual, expected, *look);
        } else if (extension == ".png") {
            ExpectSamePicture(actual, expected);
        } else if (extension == ".cfg") {
            ExpectSamePropertyFile(actual, expected);
        } else {
            EXPECT_TRUE(testsupport::SameBytes(testsupport::ReadFile(actual),
                                               testsupport::ReadFile(expected)));
        }
    }
}

// The bitmaps are meant for other programs: one that reads BMP files must read these as 4-bit
// pictures of the size the case draws.
TEST(GoldenRun, ExpectedBitmapsOpenInImageMagick) {
    const std::optional<Look> look = ReadLook(ListName());
    ASSERT_TRUE(look) << "cannot read the list configuration file";
    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed: the expected bitmaps are not "
                        "checked by another program";
    }
    const testsupport::TempDir logs;
    for (const auto& entry : fs::directory_iterator(g_case)) {
        if (entry.path().extension() != ".bmp") {
            continue;
        }
        const std::string path = entry.path().string();
        const testsupport::ProgramOutcome identified =
            testsupport::RunProgram({{identify.toStdString(), "-format", "%m %w %h %z", path},
                                     g_case.string(),
                                     testsupport::EnvironmentWithout({}),
                                     logs.File("stdout"),
                                     logs.File("stderr")});
        EXPECT_EQ(identified.status, 0) << identified.err;
        EXPECT_EQ(identified.out, "BMP3 720 " + std::to_string(look->height) + " 4") << path;
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CASE_FOLDER ORVO_PROGRAM\n", argv[0]);
        return 2;
    }
    g_case = fs::absolute(argv[1]);
    g_program = fs::absolute(argv[2]).string();
    return RUN_ALL_TESTS();
}
