#include "output/pgs/pgsformat.h"

#include "model/canvasspec.h"
#include "model/texts.h"
#include "output/bluray/blurayvideo.h"
#include "output/pgs/pgsoutput.h"
#include "output/runfiles.h"

#include <array>

namespace orvo {
namespace {

constexpr std::array<std::string_view, 1> kListings{"sup"};
constexpr std::array<std::string_view, 1> kOptions{"forced"};

// A disc must play the picture at the rate, the subtitles must follow one another, and the
// stream must not replace a list that has its name.
std::optional<std::string> Preflight(const OutputContext& context) {
    if (auto problem = BluRayVideoProblem(CanvasOf(context.look), context.parameters.frameRate)) {
        return problem;
    }
    const std::string stream = ListingPath(context.parameters, kListings[0]);
    if (IsTheList(stream, context.parameters)) {
        return "The subtitles cannot be written to " + stream + ": " + texts::kIsTheList + ".";
    }
    const ShownTimes shown = TimesShownOnDisc(context.store, context.times);
    if (!shown.problem.empty()) {
        return shown.problem;
    }
    return std::nullopt;
}

std::unique_ptr<RunOutput> MakeOutput(const OutputContext& context) {
    // Every rate a disc plays has its byte: the check before the run made sure of it.
    return std::make_unique<PgsOutput>(context, TimesShownOnDisc(context.store, context.times),
                                       PgsFrameRateCode(context.parameters.frameRate).value());
}

} // namespace

const OutputFormat kPgsFormat{
    OutputType::Pgs,
    "pgs",
    "PGS (.sup)",
    "LIST.sup for Blu-ray discs and Matroska files, in full colour, timed alike",
    "a presentation graphics stream",
    "subtitles",
    texts::kSubtitlesInStream,
    /*needsTimes=*/true,
    /*needsHeader=*/false,
    ColourModel::FullColour,
    /*highDefinition=*/true,
    /*canForce=*/true,
    /*imageExtension=*/{},
    /*defaultImageName=*/{},
    kListings,
    kOptions,
    Preflight,
    MakeOutput,
};

} // namespace orvo
