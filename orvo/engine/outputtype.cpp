#include "outputtype.h"

#include <array>
#include <utility>

namespace orvo {
namespace {

constexpr const char* kKey = "OutputType";
constexpr int kAbsent = -1;

// The types a run can write so far, by their command line names.
constexpr std::array<std::pair<std::string_view, OutputType>, 2> kNames{{
    {"dvd-1", OutputType::Dvd1},
    {"spumux", OutputType::Spumux},
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
