#include "output/dvd1/scriptfile.h"

#include "output/imagename.h"

#include <kestrum/util/fileio.h>

#include <array>
#include <cstdio>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr const char* kLineEnd = "\r\n";

} // namespace

// The times go into the script as the list wrote them, whether or not they are timecodes.
std::string FormatScriptLine(const Subtitle& subtitle, int number, const std::string& imgName) {
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%04d\t", number);
    return digits.data() + subtitle.start.text + kTab + subtitle.end.text + kTab +
           ImageFileTitle(imgName, number, "bmp") + kLineEnd;
}

std::vector<NumberedSubtitle> ScriptEntries(const SubtitleStore& store, int startIndex) {
    std::vector<NumberedSubtitle> entries;
    entries.reserve(store.size());
    int number = startIndex;
    for (const Subtitle& subtitle : store) {
        entries.push_back({&subtitle, number++});
    }
    return entries;
}

bool WriteScriptFile(const std::string& path, const std::string& header, const SubtitleStore& store,
                     const std::string& imgName, int startIndex) {
    return !ReplaceScriptFile(path, header, ScriptEntries(store, startIndex), imgName);
}

std::error_code ReplaceScriptFile(const std::string& path, const std::string& header,
                                  std::span<const NumberedSubtitle> entries,
                                  const std::string& imgName) {
    std::string text = header + kLineEnd;
    for (const NumberedSubtitle& entry : entries) {
        text += FormatScriptLine(*entry.subtitle, entry.number, imgName);
    }
    return kestrum::ReplaceFile(path, [&text](int fd) {
        return kestrum::WriteAll(fd,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    });
}

} // namespace orvo
