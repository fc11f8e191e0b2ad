#pragma once

#include "model/subtitle.h"
#include "render/subtitlerenderer.h"
#include "run/generationhost.h"
#include "run/runparameters.h"

#include <QImage>
#include <QPoint>
#include <QSize>

#include <any>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace orvo {

// One subtitle drawn and encoded, ready to be written in its turn.
struct EncodedSubtitle {
    RenderResult rendered;
    // What the output writes of it: the bitmap, the PNG or the subpicture unit; empty in test
    // mode.
    std::vector<std::uint8_t> bytes;
    QPoint offset; // where a cropped picture stands in the frame
    QSize size;    // of a cropped picture, where its output lists it
    // What the type made of it besides bytes, for its writer alone: a stream's coded object.
    std::any coded;
    std::string reason; // why it could not be encoded; empty when it could
    // The canvas as drawn, when the host shows each subtitle and the drawing was not on its
    // own canvas.
    QImage shown;
};

// Draws and encodes subtitles on one thread: its own canvas, fonts and encoder state.
class SubtitleEncoder {
public:
    virtual ~SubtitleEncoder();

    // The subtitle at index in the store drawn on canvas and encoded.
    virtual EncodedSubtitle Encode(const Subtitle& subtitle, std::size_t index, QImage& canvas) = 0;

    // Whether the run shows each canvas drawn: an encoder that draws in colours of its own
    // then leaves the canvas as the subtitle will look, which costs writing all of it.
    void SetCanvasShown(bool shown) { m_canvasShown = shown; }

protected:
    bool CanvasShown() const { return m_canvasShown; }

private:
    bool m_canvasShown = false;
};

// What a run of one output type writes: its first files, one image for each subtitle, its last
// files. Encoders may work on several threads at once; the output writes their results on the
// run's thread, in the order of the store. A file that cannot be written is told to the host
// and counted in the outcome.
class RunOutput {
public:
    virtual ~RunOutput();

    // Before the list configuration file and the first subtitle: false stops the run, when the
    // list's folder takes no file (see StopForFolder).
    virtual bool Begin(GenerationHost& host, RunOutcome& outcome) = 0;

    // The file of subtitle number, as the run names it in its messages.
    virtual std::string ImageFileName(int number) const = 0;

    // An encoder for one thread that draws with renderer. Safe to call from any thread.
    virtual std::unique_ptr<SubtitleEncoder>
    MakeEncoder(const SubtitleRenderer& renderer) const = 0;

    enum class Saved {
        Written,
        Failed,        // told to the host
        FolderRefused, // told to the host: the folder takes no new file (see IsFolderRefusal)
        TestMode,      // nothing written; the picture may still be listed
    };

    // Writes the subtitle at index in the store, as number.
    virtual Saved Save(const EncodedSubtitle& encoded, std::size_t index, int number,
                       GenerationHost& host) = 0;

    // After the last subtitle drawn, also of a stopped run: written holds those whose images
    // reached their files.
    virtual void Finish(std::span<const NumberedSubtitle> written, GenerationHost& host,
                        RunOutcome& outcome) = 0;

protected:
    // For an output that writes streams, not files: what Save gives for a subtitle that is not
    // added, in test mode or as its encoder could not code it (the host is told why); none for
    // one to add.
    std::optional<Saved> NotAdded(const EncodedSubtitle& encoded, int number, bool testMode,
                                  GenerationHost& host) const;
};

} // namespace orvo
