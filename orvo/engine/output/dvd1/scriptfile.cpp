#include "output/dvd1/scriptfile.h"

#include "output/imagename.h"

#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <array>
#include <cstdio>

namespace orvo {
namespace {

constexpr char kTab = '\t';
constexpr const char* kLineEnd = "\r\n";

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
    text += ImageFileTitle(imgName, number, "bmp") + kLineEnd;
    return text;
}

std::vector<ScriptEntry> ScriptEntries(const SubtitleStore& store, int startIndex) {
    std::vector<ScriptEntry> entries;
    entries.reserve(store.size());
    int number = startIndex;
    for (const std::string& line : store) {
        entries.push_back({&line, number++});
    }
    return entries;
}

bool WriteScriptFile(const std::string& path, const std::string& header, const SubtitleStore& store,
                     const std::string& imgName, int startIndex) {
    return !ReplaceScriptFile(path, header, ScriptEntries(store, startIndex), imgName);
}

std::error_code ReplaceScriptFile(const std::string& path, const std::string& header,
                                  std::span<const ScriptEntry> entries,
                                  const std::string& imgName) {
    std::string text = header + kLineEnd;
    for (const ScriptEntry& entry : entries) {
        text += FormatScriptLine(*entry.line, entry.number, imgName);
    }
    return kestrum::ReplaceFile(path, [&text](int fd) {
        return kestrum::WriteAll(fd,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    });
}

} // namespace orvo
