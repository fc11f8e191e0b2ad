#include "output/spumux/spumuxwriter.h"

#include "output/imagename.h"

#include "output/palettepng.h"
#include "output/xmltext.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <utility>

namespace orvo {
namespace {

std::int64_t Hundredths(std::int64_t microseconds) {
    return std::max<std::int64_t>(0, (microseconds + 5000) / 10000);
}

// Why a subpicture cannot be a picture of the control file. Each compares equal to
// invalid_argument, as the picture given was the fault, and says which fault it was.
enum class PictureFault { NotAFrame = 1, ForeignClass, NoDuration, PngFailed };

class PictureFaultCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "orvo.spumux.picture"; }
    std::string message(int fault) const override {
        switch (static_cast<PictureFault>(fault)) {
        case PictureFault::NotAFrame:
            return "the picture is not a frame of the four classes";
        case PictureFault::ForeignClass:
            return "the picture holds a colour beyond its four classes";
        case PictureFault::NoDuration:
            return "it does not end after it starts, to the hundredth of a second";
        case PictureFault::PngFailed:
            return "the picture cannot be encoded as a PNG";
        }
        return "unknown picture fault";
    }
    std::error_condition default_error_condition(int /*fault*/) const noexcept override {
        return std::errc::invalid_argument;
    }
};

std::error_code MakeError(PictureFault fault) {
    static const PictureFaultCategory category;
    return {static_cast<int>(fault), category};
}

} // namespace

std::string SpumuxTime(std::int64_t microseconds) {
    const std::int64_t hundredths = Hundredths(microseconds);
    std::array<char, 40> text{};
    std::snprintf(
        text.data(), text.size(), "%02lld:%02lld:%02lld.%02lld",
        static_cast<long long>(hundredths / 360000), static_cast<long long>(hundredths / 6000 % 60),
        static_cast<long long>(hundredths / 100 % 60), static_cast<long long>(hundredths % 100));
    return text.data();
}

std::string FormatSpumuxControl(const std::vector<SpumuxEntry>& entries, const CanvasSpec& canvas) {
    std::string text = "<subpictures format=\"";
    text += canvas.name;
    text += "\">\n <stream>\n";
    for (const SpumuxEntry& entry : entries) {
        text += "  <spu start=\"" + SpumuxTime(entry.startMicroseconds) + "\" end=\"" +
                SpumuxTime(entry.endMicroseconds) + "\" image=\"" +
                EscapeXmlAttribute(entry.image) + "\" xoffset=\"" +
                std::to_string(entry.offset.x()) + "\" yoffset=\"" +
                std::to_string(entry.offset.y()) + "\"/>\n";
    }
    text += " </stream>\n</subpictures>\n";
    return text;
}

std::vector<std::uint8_t> EncodeSubpicturePng(const Subpicture& subpicture, const QRect& bounds) {
    // Whatever alpha the class colours carry, the video shows through the background only.
    DvdColourSet colours{};
    std::transform(subpicture.colours.begin(), subpicture.colours.end(), colours.begin(),
                   [](QRgb colour) { return 0xFF000000u | colour; });
    colours[0] &= 0x00FFFFFFu;
    constexpr int kBitsPerPixel = 2;
    return EncodePalettePng(subpicture.classes, bounds, colours, kBitsPerPixel);
}

SpumuxWriter::SpumuxWriter(Options options)
    : m_options(std::move(options)) {}

std::error_code SpumuxWriter::Encode(const Subpicture& subpicture, SpumuxPicture& picture) const {
    const QImage& classes = subpicture.classes;
    if (classes.format() != QImage::Format_Indexed8 || classes.size() != m_options.canvas.Size()) {
        return MakeError(PictureFault::NotAFrame);
    }
    const std::optional<QRect> bounds = SubpictureBounds(classes, subpicture.rows);
    // The tool drops a subpicture that does not end after its start without counting it as
    // skipped, so that its report would hide the loss.
    if (!bounds) {
        return MakeError(PictureFault::ForeignClass);
    }
    if (Hundredths(subpicture.endMicroseconds) <= Hundredths(subpicture.startMicroseconds)) {
        return MakeError(PictureFault::NoDuration);
    }
    picture.offset = bounds->topLeft();
    picture.startMicroseconds = subpicture.startMicroseconds;
    picture.endMicroseconds = subpicture.endMicroseconds;
    picture.png.clear();
    if (!m_options.testMode) {
        picture.png = EncodeSubpicturePng(subpicture, *bounds);
        if (picture.png.empty()) {
            return MakeError(PictureFault::PngFailed);
        }
    }
    return {};
}

std::error_code SpumuxWriter::Add(const SpumuxPicture& picture, int number) {
    const std::string image = ImageFileTitle(m_options.imageName, number, "png");
    if (!m_options.testMode) {
        const std::error_code error =
            m_replacer.Replace(m_options.folder + image,
                               [&picture](int fd) { return kestrum::WriteAll(fd, picture.png); });
        if (error) {
            return error;
        }
    }
    m_entries.push_back(
        {image, picture.offset, picture.startMicroseconds, picture.endMicroseconds});
    return {};
}

std::error_code SpumuxWriter::Add(const Subpicture& subpicture, int number) {
    SpumuxPicture picture;
    const std::error_code error = Encode(subpicture, picture);
    return error ? error : Add(picture, number);
}

std::error_code SpumuxWriter::WriteControl() const {
    const std::string text = FormatSpumuxControl(m_entries, m_options.canvas);
    return kestrum::ReplaceFile(m_options.controlPath,
                                [&text](int fd) { return kestrum::WriteText(fd, text); });
}

} // namespace orvo
