#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include "model/canvasspec.h"
#include "output/dvdsubpicture.h"

#include <kestrum/util/fileio.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvo {

// HH:MM:SS.hh, rounded to the nearest hundredth: the authoring tool reads the last field after a
// colon as seconds, so that hundredths after a colon would shift the time by minutes. Hours past
// 99 take more digits; times before 0 are 0.
std::string SpumuxTime(std::int64_t microseconds);

// One subpicture that the control file lists.
struct SpumuxEntry {
    std::string image; // the PNG's bare file name: the tool opens it from its working folder
    QPoint offset;     // where the PNG's top left pixel stands in the frame
    std::int64_t startMicroseconds;
    std::int64_t endMicroseconds;
};

// The part of the subpicture within bounds as a PNG file: a palette image of two bits a pixel
// in the four class colours whose background entry is fully transparent. Empty when bounds does
// not lie within the picture or the picture cannot be encoded.
std::vector<std::uint8_t> EncodeSubpicturePng(const Subpicture& subpicture, const QRect& bounds);

// The control file: one stream, one spu per entry, in the given order.
std::string FormatSpumuxControl(const std::vector<SpumuxEntry>& entries, const CanvasSpec& canvas);

// A subpicture as the control file lists it and its PNG holds it.
struct SpumuxPicture {
    std::vector<std::uint8_t> png;
    QPoint offset; // where the PNG's top left pixel stands in the frame
    std::int64_t startMicroseconds = 0;
    std::int64_t endMicroseconds = 0;
};

// Writes a run's subpictures as NAME.N.png in a folder and, at the end, the control file that
// lists them. Only the pictures written are listed: a stopped run, or one whose picture could
// not be written, leaves a control file that the tool accepts whole.
class SpumuxWriter {
public:
    struct Options {
        std::string folder;             // the images' folder, with its closing slash or empty
        std::string imageName;          // NAME, checked by the caller as an image name
        std::string controlPath;        // LIST.xml
        CanvasSpec canvas = kPalCanvas; // the frame: its size and the format it names
        bool testMode = false;          // the control file but no picture
    };

    explicit SpumuxWriter(Options options);

    // The subpicture cropped to its bounds and encoded, without a PNG in test mode; safe on
    // any thread. An error that names the fault and compares equal to invalid_argument for a
    // picture that is not a whole frame of classes 0 to 3, does not end after its start
    // in hundredths of a second, or cannot be encoded as a PNG.
    [[nodiscard]] std::error_code Encode(const Subpicture& subpicture,
                                         SpumuxPicture& picture) const;

    // Writes an encoded picture as NAME.number.png and lists it; the file's error when it could
    // not be written.
    [[nodiscard]] std::error_code Add(const SpumuxPicture& picture, int number);

    // Encode, then Add.
    [[nodiscard]] std::error_code Add(const Subpicture& subpicture, int number);

    // Replaces the control file whole with the pictures listed so far.
    [[nodiscard]] std::error_code WriteControl() const;

private:
    Options m_options;
    std::vector<SpumuxEntry> m_entries;
    kestrum::FileReplacer m_replacer;
};

} // namespace orvo
