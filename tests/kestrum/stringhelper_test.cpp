#include <kestrum/util/cstringhelper.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using kestrum::CStringHelper;

struct CharCountCase {
    char ch;
    std::string s;
    int expected;
};

TEST(StringHelperCharCount, CountsEveryByteEqualToTheCharacter) {
    const CharCountCase cases[] = {
        {'a', "", 0},
        {'a', "banana", 3},
        {'x', "banana", 0},
        {'\t', "\t\t\t", 3},
        {'\\', "C:\\subs\\film.txt", 2},
        // Every byte is a character of its own: the second byte of UTF-8 "é" counts alone.
        {'\xA9', "caf\xC3\xA9", 1},
        {'\xE9', "caf\xC3\xA9", 0},
    };
    const CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetCharCount(c.ch, c.s), c.expected) << "'" << c.s << "'";
    }
}

struct SegmentCountCase {
    std::string s;
    char sep;
    int expected;
};

TEST(StringHelperSegmentCount, IsSeparatorsPlusOne) {
    const SegmentCountCase cases[] = {
        {"", '\t', 1},       {"a", '\t', 1},    {"1\t00:01\t00:02\tHello", '\t', 4},
        {"a\tb\t", '\t', 3}, {"\t\t", '\t', 3}, {"a\tb,c", ',', 2},
    };
    const CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetSegmentCount(c.s, c.sep), c.expected) << "'" << c.s << "'";
    }
}

struct SegmentCase {
    int index;
    std::string s;
    char sep;
    std::string expected;
};

TEST(StringHelperSegment, PicksTheTextBetweenSeparators) {
    const std::string line = "1\t00:01\t00:02\tHello";
    const SegmentCase cases[] = {
        {0, line, '\t', "1"},    {1, line, '\t', "00:01"},   {3, line, '\t', "Hello"},
        {0, "a,b\tc", ',', "a"}, {1, "a,b\tc", ',', "b\tc"},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetSegment(c.index, c.s, c.sep), c.expected)
            << c.index << " of '" << c.s << "'";
    }
}

TEST(StringHelperSegment, EmptySegmentsAndTheEnd) {
    const SegmentCase cases[] = {
        {4, "1\t00:01\t00:02\tHello", '\t', ""}, // one beyond the last
        {100, "a\tb", '\t', ""},
        {1, "a\t\tc", '\t', ""}, // between two adjacent separators
        {2, "a\t\tc", '\t', "c"},
        {0, "\ta", '\t', ""},    // before a leading separator
        {2, "a\tb\t", '\t', ""}, // after a trailing separator
        {3, "a\tb\t", '\t', ""},
        {0, "", '\t', ""},
        {1, "", '\t', ""},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetSegment(c.index, c.s, c.sep), c.expected)
            << c.index << " of '" << c.s << "'";
    }
}

TEST(StringHelperSegment, NegativeIndexGivesTheFirstSegment) {
    const SegmentCase cases[] = {
        {-1, "a\tb", '\t', "a"},      {-5, "first\tsecond\tthird", '\t', "first"},
        {INT_MIN, "a\tb", '\t', "a"}, {-1, "", '\t', ""},
        {-1, "\tb", '\t', ""},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetSegment(c.index, c.s, c.sep), c.expected)
            << c.index << " of '" << c.s << "'";
    }
}

struct PathCase {
    std::string path;
    std::string expected;
};

TEST(StringHelperFileTitle, IsTheTextAfterTheLastSeparator) {
    const PathCase cases[] = {
        {"C:\\subs\\film.txt", "film.txt"},
        {"film.txt", "film.txt"},
        {"C:\\subs\\", ""},
        {"", ""},
        {"C:film.txt", "C:film.txt"}, // a drive colon is an ordinary character
        // On this platform the forward slash separates too, alone or mixed with backslashes.
        {"/home/a/film.txt", "film.txt"},
        {"/home/a/", ""},
        {"/mnt/c\\subs/film.txt", "film.txt"},
        {"a/b\\c", "c"},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetFileTitle(c.path), c.expected) << "'" << c.path << "'";
    }
}

TEST(StringHelperFilePath, IsTheFolderWithTheSeparatorItEndsIn) {
    const PathCase cases[] = {
        {"C:\\subs\\film.txt", "C:\\subs\\"},
        {"film.txt", ""},
        {"", ""},
        {"C:\\subs\\", "C:\\subs\\"},
        {"/home/a/film.txt", "/home/a/"},
        {"/film", "/"},
        {"C:\\subs/film.txt", "C:\\subs/"},
        {"a/b\\c", "a/b\\"},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.GetFilePath(c.path), c.expected) << "'" << c.path << "'";
    }
}

struct ExtensionCase {
    std::string path;
    std::string ext;
    std::string expected;
};

TEST(StringHelperChangeFileExtension, ReplacesTheExtensionOfTheLastComponent) {
    const ExtensionCase cases[] = {
        {"C:\\subs\\film.txt", "sst", "C:\\subs\\film.sst"},
        {"film.", "sst", "film.sst"},
        {"archive.tar.gz", "zip", "archive.tar.zip"},
        {"/home/a/film.txt", "cfg", "/home/a/film.cfg"},
        {"film.txt", "", "film."},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.ChangeFileExtension(c.path, c.ext), c.expected) << "'" << c.path << "'";
    }
}

TEST(StringHelperChangeFileExtension, NameWithoutExtensionGetsOneAppended) {
    const ExtensionCase cases[] = {
        {"film", "cfg", "film.cfg"},
        {"/opt/orvo/bin/orvo", "cfg", "/opt/orvo/bin/orvo.cfg"},
        // A point in a folder name does not start an extension.
        {"C:\\my.subs\\film", "cfg", "C:\\my.subs\\film.cfg"},
        {"/home/a/.config/film", "cfg", "/home/a/.config/film.cfg"},
        // A leading point names a hidden file.
        {"/home/a/.bashrc", "cfg", "/home/a/.bashrc.cfg"},
        {".bashrc", "cfg", ".bashrc.cfg"},
        {"C:\\subs\\.hidden", "sst", "C:\\subs\\.hidden.sst"},
    };
    CStringHelper helper;
    for (const auto& c : cases) {
        EXPECT_EQ(helper.ChangeFileExtension(c.path, c.ext), c.expected) << "'" << c.path << "'";
    }
}

struct TextCall {
    const char* name;
    const std::string& (*call)(CStringHelper&);
    const char* expected;
};

// Every text-returning operation, each with a result of its own.
const TextCall kTextCalls[] = {
    {"GetSegment",
     [](CStringHelper& h) -> const std::string& { return h.GetSegment(1, "one\ttwo", '\t'); },
     "two"},
    {"GetFileTitle",
     [](CStringHelper& h) -> const std::string& { return h.GetFileTitle("/a/title"); }, "title"},
    {"GetFilePath",
     [](CStringHelper& h) -> const std::string& { return h.GetFilePath("/folder/x"); }, "/folder/"},
    {"ChangeFileExtension",
     [](CStringHelper& h) -> const std::string& { return h.ChangeFileExtension("x.a", "b"); },
     "x.b"},
};

TEST(StringHelperBuffer, EveryResultLivesInTheOneBuffer) {
    for (const auto& earlier : kTextCalls) {
        for (const auto& later : kTextCalls) {
            if (&earlier == &later) {
                continue;
            }
            CStringHelper helper;
            const std::string& first = earlier.call(helper);
            ASSERT_EQ(first, earlier.expected) << earlier.name;
            const std::string& second = later.call(helper);
            EXPECT_EQ(&second, &first) << earlier.name << " then " << later.name;
            EXPECT_EQ(first, later.expected) << earlier.name << " then " << later.name;
        }
    }
}

TEST(StringHelperBuffer, EmptyResultOverwritesTheBufferToo) {
    CStringHelper helper;
    const std::string& result = helper.GetFileTitle("C:\\subs\\film.txt");
    helper.GetSegment(5, "a\tb", '\t');
    EXPECT_EQ(result, "");
    helper.GetFileTitle("film.txt");
    helper.GetFilePath("film.txt");
    EXPECT_EQ(result, "");
}

TEST(StringHelperBuffer, AssignmentCopiesTheBuffer) {
    CStringHelper source;
    source.GetFileTitle("C:\\subs\\film.txt");
    CStringHelper target;
    const std::string& seen = target.GetFileTitle("other");
    target = source;
    EXPECT_EQ(seen, "film.txt");
}

TEST(StringHelperBuffer, CopyConstructionCopiesTheBuffer) {
    CStringHelper source;
    source.GetFileTitle("C:\\subs\\film.txt");
    const CStringHelper copy(source);
    // The copy's buffer is seen through a helper whose result it is assigned over.
    CStringHelper target;
    const std::string& seen = target.GetFileTitle("other");
    target = copy;
    EXPECT_EQ(seen, "film.txt");
}

TEST(StringHelperBuffer, CopyHasABufferOfItsOwn) {
    CStringHelper source;
    const std::string& original = source.GetFileTitle("C:\\subs\\film.txt");
    {
        CStringHelper copy(source);
        copy.GetFileTitle("C:\\other.txt");
        CStringHelper assigned;
        assigned = source;
        assigned.GetFilePath("C:\\x\\y");
    }
    EXPECT_EQ(original, "film.txt");
}

TEST(StringHelperBuffer, SelfAssignmentKeepsTheResult) {
    CStringHelper helper;
    const std::string& result = helper.GetFileTitle("C:\\subs\\film.txt");
    auto& same = helper;
    helper = same;
    EXPECT_EQ(result, "film.txt");
}

} // namespace
