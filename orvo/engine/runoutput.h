#pragma once

#include "generationrun.h"
#include "subtitlerenderer.h"

#include <QImage>

#include <cstddef>
#include <string>

namespace orvo {

// What a run writes for each subtitle, by output type.
class RunOutput {
public:
    virtual ~RunOutput();

    // The file of subtitle number, as the run names it in its messages.
    virtual std::string ImageFileName(int number) const = 0;

    // Draws the subtitle's text on the canvas as its file will hold it.
    virtual RenderResult Draw(const std::string& text, QImage& canvas) = 0;

    enum class Saved {
        Written,
        Failed,   // told to the host
        TestMode, // nothing written; the picture may still be listed
    };

    // Writes the picture just drawn of the subtitle at index in the store.
    virtual Saved Save(const QImage& canvas, std::size_t index, int number,
                       GenerationHost& host) = 0;
};

} // namespace orvo
