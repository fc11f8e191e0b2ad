#include "output/spumux/spumuxformat.h"

#include "model/canvasspec.h"
#include "model/texts.h"
#include "output/runfiles.h"
#include "output/spumux/spumuxoutput.h"

#include <array>

namespace orvo {
namespace {

constexpr std::array<std::string_view, 1> kListings{"xml"};

} // namespace

const OutputFormat kSpumuxFormat{
    OutputType::Spumux,
    "spumux",
    "spumux",
    "LIST.xml and PNGs in the DVD colours for the DVD authoring tool, with times from the "
    "timecodes",
    "one PNG per subtitle and a control file",
    "images",
    texts::kPicturesListed,
    /*needsTimes=*/true,
    /*needsHeader=*/false,
    ColourModel::DvdClasses,
    /*highDefinition=*/false,
    /*canForce=*/false,
    "png",
    /*defaultImageName=*/{},
    kListings,
    /*options=*/{},
    /*Preflight=*/nullptr,
    [](const OutputContext& context) -> std::unique_ptr<RunOutput> {
        const RunParameters& parameters = context.parameters;
        return std::make_unique<SpumuxOutput>(
            context.look,
            SpumuxWriter::Options{ListFolder(parameters), parameters.ImgName,
                                  ListingPath(parameters, kListings[0]), CanvasOf(context.look),
                                  context.testMode},
            context.times, parameters.LastPath);
    },
};

} // namespace orvo
