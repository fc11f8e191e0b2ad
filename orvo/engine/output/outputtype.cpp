#include "output/outputtype.h"

#include <array>
#include <utility>

namespace orvo {
namespace {

constexpr const char* kKey = "OutputType";
constexpr int kAbsent = -1;
constexpr const char* kLanguageKey = "Language";
constexpr const char* kDefaultLanguage = "en";

// The types a run can write, by their command line names.
constexpr std::array<std::pair<std::string_view, OutputType>, 3> kNames{{
    {"dvd-1", OutputType::Dvd1},
    {"spumux", OutputType::Spumux},
    {"vobsub", OutputType::VobSub},
}};

} // namespace

OutputType ReadOutputType(kestrum::CPropDb& db) {
    const int stored = db.ReadPropInt("", kKey, kAbsent, false);
    for (const auto& entry : kNames) {
        if (stored == static_cast<int>(entry.second)) {
            return entry.second;
        }
    }
    return OutputType::Dvd1;
}

void WriteOutputType(kestrum::CPropDb& db, OutputType type) {
    if (type == OutputType::Dvd1 && !db.IsKey("", kKey)) {
        return;
    }
    db.WritePropInt("", kKey, static_cast<int>(type));
}

std::string ReadIndexLanguage(kestrum::CPropDb& db) {
    return db.ReadPropString("", kLanguageKey, kDefaultLanguage, false);
}

void WriteIndexLanguage(kestrum::CPropDb& db, const std::string& language) {
    if (language == kDefaultLanguage && !db.IsKey("", kLanguageKey)) {
        return;
    }
    db.WritePropString("", kLanguageKey, language);
}

std::optional<OutputType> FindOutputType(std::string_view name) {
    for (const auto& [typeName, type] : kNames) {
        if (name == typeName) {
            return type;
        }
    }
    return std::nullopt;
}

std::string OutputTypeNames() {
    std::string names;
    for (const auto& entry : kNames) {
        names += (names.empty() ? "" : ", ") + std::string(entry.first);
    }
    return names;
}

} // namespace orvo
