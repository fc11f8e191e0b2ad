#include "output/imagename.h"

#include <gtest/gtest.h>

#include <string>

namespace orvo::test {
namespace {

using namespace std::string_literals;

TEST(ImageName, RefusesNamesThatLeaveTheFolderHideFilesOrBreakScriptLines) {
    const struct {
        std::string name;
        const char* problem;
    } refused[] = {
        {"", "it is empty"},
        {std::string(201, 'a'), "it is longer than 200 bytes"},
        {".", "it names a folder"},
        {"..", "it names a folder"},
        {"../esc", "it contains a folder separator"},
        {"reel\\1", "it contains a folder separator"},
        {"../../notes.txt\0"s, "it contains a folder separator"},
        {"notes\0.txt"s, "it contains a NUL byte"},
        {"a\r\nb", "it contains a control character"},
        {"a\tb", "it contains a control character"},
        {"a\x7f", "it contains a control character"},
    };
    for (const auto& [name, problem] : refused) {
        EXPECT_EQ(ImageNameProblem(name), problem) << ImageNameRefusal(name, "");
    }
}

TEST(ImageName, TakesOrdinaryNamesUpTo200Bytes) {
    for (const std::string& name :
         {"OutputImg"s, "Reel 1"s, "caf\xc3\xa9"s, std::string(200, 'a')}) {
        EXPECT_EQ(ImageNameProblem(name), std::nullopt) << name;
    }
}

TEST(ImageName, RefusalNamesTheNameWithItsControlBytesEscaped) {
    EXPECT_EQ(ImageNameRefusal("a\r\nb", "it contains a control character"),
              "The image name \"a\\x0D\\x0Ab\" is refused: it contains a control character.");
}

} // namespace
} // namespace orvo::test
