#include "output/outputtype.h"

#include "model/storedkeys.h"
#include "output/outputformat.h"

namespace orvo {
namespace {

constexpr int kAbsent = -1;

} // namespace

OutputType ReadOutputType(kestrum::CPropDb& db) {
    const int stored = db.ReadPropInt("", keys::kOutputType, kAbsent, false);
    for (const OutputFormat* format : OutputFormats()) {
        if (stored == static_cast<int>(format->type)) {
            return format->type;
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

} // namespace orvo
