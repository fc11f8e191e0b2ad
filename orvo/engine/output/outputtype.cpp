#include "output/outputtype.h"

#include "model/storedkeys.h"

#include <array>
#include <utility>

namespace orvo {
namespace {

constexpr int kAbsent = -1;
constexpr const char* kDefaultLanguage = "en";

// The types a run can write, by their command line names.
constexpr std::array<std::pair<std::string_view, OutputType>, 3> kNames{{
    {"dvd-1", OutputType::Dvd1},
    {"spumux", OutputType::Spumux},
    {"vobsub", OutputType::VobSub},
}};

} // namespace

OutputType ReadOutputType(kestrum::CPropDb& db) {
    const int stored = db.ReadPropInt("", keys::kOutputType, kAbsent, false);
    for (const auto& entry : kNames) {
        if (stored == static_cast<int>(entry.second)) {
            return entry.second;
        }
    }
    return OutputType::Dvd1;
}

void WriteOutputType(kestrum::CPropDb& db, OutputType type) {
    if (type == OutputType::Dvd1 && !db.IsKey("", keys::kOutputType)) {
        return;
    }
    db.WritePropInt("", keys::kOutputType, static_cast<int>(type));
}

std::string ReadIndexLanguage(kestrum::CPropDb& db) {
    return db.ReadPropString("", keys::kLanguage, kDefaultLanguage, false);
}

void WriteIndexLanguage(kestrum::CPropDb& db, const std::string& language) {
    if (language == kDefaultLanguage && !db.IsKey("", keys::kLanguage)) {
        return;
    }
    db.WritePropString("", keys::kLanguage, language);
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
