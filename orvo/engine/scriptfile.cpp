#include "scriptfile.h"

#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <array>
#include <cerrno>
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
    text += imgName + "." + std::to_string(number) + ".bmp" + kLineEnd;
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
    return WriteScriptFile(path, header, ScriptEntries(store, startIndex), imgName);
}

// errno tells a caller why it failed. The text is built whole and then replaces the old file
// in one step: a run that is killed leaves the old script or the new one, never half of it.
bool WriteScriptFile(const std::string& path, const std::string& header,
                     std::span<const ScriptEntry> entries, const std::string& imgName) {
    std::string text = header + kLineEnd;
    for (const ScriptEntry& entry : entries) {
        text += FormatScriptLine(*entry.line, entry.number, imgName);
    }
    const std::error_code error = kestrum::ReplaceFile(path, [&text](int fd) {
        return kestrum::WriteAll(fd,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    });
    errno = error.value();
    return !error;
}

} // namespace orvo
