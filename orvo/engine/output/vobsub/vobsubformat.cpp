#include "output/vobsub/vobsubformat.h"

#include "model/canvasspec.h"
#include "model/storedkeys.h"
#include "model/texts.h"
#include "output/runfiles.h"
#include "output/vobsub/vobsuboutput.h"
#include "render/dvdcolours.h"

#include <array>

namespace orvo {
namespace {

constexpr const char* kDefaultLanguage = "en";
constexpr std::array<std::string_view, 2> kListings{"idx", "sub"};
constexpr std::array<std::string_view, 2> kOptions{"lang", "forced"};

VobSubSettings SettingsOf(const OutputContext& context) {
    return {CanvasOf(context.look).Size(), DvdClassColours(context.look),
            ReadIndexLanguage(context.db), context.parameters.forced};
}

// Its packs would replace a list that has their name (a MicroDVD film.sub), and a language the
// index cannot hold or a missing encoder would leave the run with nothing to write.
std::optional<std::string> Preflight(const OutputContext& context) {
    const std::string packs = ListingPath(context.parameters, "sub");
    if (IsTheList(packs, context.parameters)) {
        return "The subtitles cannot be written to " + packs + ": " + texts::kIsTheList + ".";
    }
    const VobSubSettings vobSub = SettingsOf(context);
    std::string problem = VobSubWriter(vobSub).Problem();
    if (problem.empty()) {
        problem = DvdSubpictureEncoder(vobSub.size, vobSub.colours).Problem();
    }
    if (!problem.empty()) {
        return "The subtitles cannot be written: " + problem + ".";
    }
    return std::nullopt;
}

std::unique_ptr<RunOutput> MakeOutput(const OutputContext& context) {
    std::string base = ListingPath(context.parameters, "");
    base.pop_back();
    return std::make_unique<VobSubOutput>(context.look, SettingsOf(context), context.times, base,
                                          context.parameters.StartIndex, context.testMode);
}

} // namespace

const OutputFormat kVobSubFormat{
    OutputType::VobSub,
    "vobsub",
    "VobSub",
    "LIST.idx and LIST.sub for players, timed alike",
    "an index and its subpictures",
    "subtitles",
    texts::kSubtitlesCoded,
    /*needsTimes=*/true,
    /*needsHeader=*/false,
    ColourModel::DvdClasses,
    /*highDefinition=*/false,
    /*canForce=*/true,
    /*imageExtension=*/{},
    /*defaultImageName=*/{},
    kListings,
    kOptions,
    Preflight,
    MakeOutput,
};

std::string ReadIndexLanguage(kestrum::CPropDb& db) {
    return db.ReadPropString("", keys::kLanguage, kDefaultLanguage, false);
}

void WriteIndexLanguage(kestrum::CPropDb& db, const std::string& language) {
    if (language == kDefaultLanguage && !db.IsKey("", keys::kLanguage)) {
        return;
    }
    db.WritePropString("", keys::kLanguage, language);
}

} // namespace orvo
