#include "output/bdn/bdnformat.h"

#include "model/canvasspec.h"
#include "model/storedkeys.h"
#include "model/texts.h"
#include "output/bdn/bdnoutput.h"
#include "output/bluray/blurayvideo.h"
#include "output/runfiles.h"

#include <QLocale>
#include <QString>

#include <array>
#include <filesystem>

namespace orvo {
namespace {

constexpr std::array<std::string_view, 1> kListings{"xml"};
constexpr std::array<std::string_view, 2> kOptions{"lang", "forced"};
// Blu-ray authoring names languages by their three letters.
constexpr const char* kDefaultLanguage = "eng";

// The stored language in three letters: a list last run for VobSub, whose index takes two, may
// have stored "de", which a listing must say as "deu". A code Qt does not know stays as it is.
std::string ThreeLetterLanguage(const std::string& code) {
    if (code.size() != 2) {
        return code;
    }
    const QLocale::Language language =
        QLocale::codeToLanguage(QString::fromStdString(code), QLocale::ISO639Part1);
    const QString three = QLocale::languageToCode(language, QLocale::ISO639Part2T);
    return language == QLocale::AnyLanguage || three.size() != 3 ? code : three.toStdString();
}

// A disc must play the picture at the rate, and the subtitles must follow one another.
std::optional<std::string> Preflight(const OutputContext& context) {
    if (auto problem = BluRayVideoProblem(CanvasOf(context.look), context.parameters.frameRate)) {
        return problem;
    }
    const ShownTimes shown = TimesShownOnDisc(context.store, context.times);
    if (!shown.problem.empty()) {
        return shown.problem;
    }
    return std::nullopt;
}

std::unique_ptr<RunOutput> MakeOutput(const OutputContext& context) {
    const RunParameters& parameters = context.parameters;
    BdnTrack track{std::filesystem::path(parameters.LastPath).stem().string(),
                   ThreeLetterLanguage(
                       context.db.ReadPropString("", keys::kLanguage, kDefaultLanguage, false)),
                   CanvasOf(context.look), parameters.frameRate};
    return std::make_unique<BdnOutput>(context, TimesShownOnDisc(context.store, context.times),
                                       std::move(track));
}

} // namespace

const OutputFormat kBdnFormat{
    OutputType::Bdn,
    "bdn",
    "BDN XML",
    "LIST.xml and full-colour PNGs for Blu-ray authoring, with times from the timecodes",
    "one PNG per subtitle and a listing",
    "images",
    texts::kPicturesListed,
    /*needsTimes=*/true,
    /*needsHeader=*/false,
    ColourModel::FullColour,
    /*highDefinition=*/true,
    /*canForce=*/true,
    "png",
    /*defaultImageName=*/{},
    kListings,
    kOptions,
    Preflight,
    MakeOutput,
};

} // namespace orvo
