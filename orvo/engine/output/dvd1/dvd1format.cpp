#include "output/dvd1/dvd1format.h"

#include "model/texts.h"
#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/canvasencoder.h"
#include "output/dvd1/scriptfile.h"
#include "output/imagename.h"
#include "output/runfiles.h"
#include "render/owncanvasdrawer.h"

#include <kestrum-gui/colorref.h>
#include <kestrum/util/fileio.h>

#include <array>

namespace orvo {
namespace {

constexpr std::string_view kScriptExtension = "sst";
constexpr std::string_view kImageExtension = "bmp";

// Draws a subtitle and encodes it as its bitmap, on one thread.
class BitmapEncoder : public SubtitleEncoder {
public:
    BitmapEncoder(const RenderSettings& settings, const SubtitleRenderer& renderer, bool testMode)
        : m_drawer(settings, renderer)
        , m_encoder(kestrum::ToQColor(settings.BkgColor).rgb())
        , m_testMode(testMode) {}

    EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t /*index*/,
                           QImage& canvas) override {
        EncodedSubtitle encoded;
        encoded.rendered = m_drawer.Draw(subtitle, canvas);
        if (!m_testMode) {
            if (std::optional<Dib> dib = m_encoder.Encode(canvas, encoded.rendered.drawn)) {
                encoded.bytes = std::move(*dib);
            }
        }
        return encoded;
    }

private:
    OwnCanvasDrawer m_drawer;
    CanvasBitmapEncoder m_encoder;
    bool m_testMode;
};

// The script file, written before the bitmaps so that it lists every subtitle, and again after
// a stopped run so that it names only the bitmaps written.
class Dvd1Output : public RunOutput {
public:
    explicit Dvd1Output(const OutputContext& context)
        : m_look(context.look)
        , m_parameters(context.parameters)
        , m_store(context.store)
        , m_scriptPath(ListingPath(context.parameters, kScriptExtension))
        , m_header(context.header)
        , m_folder(ListFolder(context.parameters))
        , m_testMode(context.testMode) {}

    bool Begin(GenerationHost& host, RunOutcome& outcome) override {
        return WriteScript(ScriptEntries(m_store, m_parameters.StartIndex), host, outcome) ||
               !StopForFolder(m_scriptPath, outcome);
    }

    std::string ImageFileName(int number) const override {
        return m_folder + ImageFileTitle(m_parameters.ImgName, number, kImageExtension);
    }

    std::unique_ptr<SubtitleEncoder> MakeEncoder(const SubtitleRenderer& renderer) const override {
        return std::make_unique<BitmapEncoder>(m_look, renderer, m_testMode);
    }

    Saved Save(const EncodedSubtitle& encoded, std::size_t /*index*/, int number,
               GenerationHost& host) override {
        if (m_testMode) {
            return Saved::TestMode;
        }
        const std::string fileName = ImageFileName(number);
        // No bytes: the canvas could not be captured, and SaveDib says so.
        const DibSaveOutcome outcome =
            SaveDib(encoded.bytes.empty() ? nullptr : &encoded.bytes, fileName, &m_replacer);
        if (outcome.code != kDibWritten) {
            host.WriteFailed(fileName, outcome.Reason());
            return IsFolderRefusal(outcome.error) ? Saved::FolderRefused : Saved::Failed;
        }
        return Saved::Written;
    }

    void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                RunOutcome& outcome) override {
        // The script of a stopped run must not name bitmaps that were never written.
        if (outcome.stopped && !m_testMode) {
            WriteScript(written, host, outcome);
        }
    }

private:
    bool WriteScript(std::span<const NumberedSubtitle> entries, GenerationHost& host,
                     RunOutcome& outcome) const {
        if (IsTheList(m_scriptPath, m_parameters)) {
            CountFailure(m_scriptPath, texts::kIsTheList, host, outcome);
            return false;
        }
        if (const std::error_code error =
                ReplaceScriptFile(m_scriptPath, m_header, entries, m_parameters.ImgName)) {
            CountFailure(m_scriptPath, error.message(), host, outcome);
            return false;
        }
        return true;
    }

    const RenderSettings& m_look;
    const RunParameters& m_parameters;
    const SubtitleStore& m_store;
    std::string m_scriptPath;
    std::string m_header;
    std::string m_folder;
    bool m_testMode;
    kestrum::FileReplacer m_replacer;
};

constexpr std::array<std::string_view, 1> kListings{kScriptExtension};
constexpr std::array<std::string_view, 1> kOptions{"header"};

} // namespace

const OutputFormat kDvd1Format{
    OutputType::Dvd1,
    "dvd-1",
    "DVD-1",
    "the script file and bitmaps",
    "one bitmap per subtitle and a script file",
    "bitmaps",
    texts::kImagesGenerated,
    /*needsTimes=*/false,
    /*needsHeader=*/true,
    ColourModel::Standard,
    /*highDefinition=*/false,
    /*canForce=*/false,
    kImageExtension,
    // As every script file of the type has had it.
    texts::kDefaultImageName,
    kListings,
    kOptions,
    /*Preflight=*/nullptr,
    [](const OutputContext& context) -> std::unique_ptr<RunOutput> {
        return std::make_unique<Dvd1Output>(context);
    },
};

} // namespace orvo
