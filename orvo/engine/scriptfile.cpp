#include "orvo/engine/scriptfile.h"

#include <kestrum/util/cstringhelper.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr const char* kLineEnd = "\r\n";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool WriteText(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

} // namespace

std::string FormatScriptLine(const std::string& line, int number, const std::string& imgName) {
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%04d\t", number);
    kestrum::CStringHelper helper;
    std::string text = digits.data();
    text += helper.GetSegment(1, line, kTab);
    text += kTab;
    text += helper.GetSegment(2, line, kTab);
    text += kTab;
    text += imgName + "." + std::to_string(number) + ".bmp" + kLineEnd;
    return text;
}

// errno tells a caller why it failed, as after fopen or fwrite.
bool WriteScriptFile(const std::string& path, const std::string& header, const SubtitleStore& store,
                     const std::string& imgName, int startIndex) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    bool written = WriteText(file.get(), header) && WriteText(file.get(), kLineEnd);
    int number = startIndex;
    for (auto line = store.begin(); written && line != store.end(); ++line) {
        written = WriteText(file.get(), FormatScriptLine(*line, number++, imgName));
    }
    const int writeError = errno;
    // Buffered bytes reach the file only here, so a full disk may show only now.
    if (std::fclose(file.release()) != 0) {
        return false;
    }
    errno = writeError;
    return written;
}

} // namespace orvo
