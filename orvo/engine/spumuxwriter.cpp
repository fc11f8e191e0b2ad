#include "spumuxwriter.h"

#include "subpicturepng.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <utility>

namespace orvo {
namespace {

constexpr int kFrameWidth = 720;
constexpr int kPalHeight = 576;
constexpr int kNtscHeight = 480;

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::int64_t Hundredths(std::int64_t microseconds) {
    return std::max<std::int64_t>(0, (microseconds + 5000) / 10000);
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

std::string EscapeXmlAttribute(std::string_view text) {
    // A raw tab or line break in an attribute is read back as a space: they go as references.
    static constexpr std::pair<char, std::string_view> kReferences[] = {
        {'&', "&amp;"},   {'<', "&lt;"},  {'>', "&gt;"},   {'"', "&quot;"},
        {'\'', "&apos;"}, {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"},
    };
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto* reference = std::find_if(std::begin(kReferences), std::end(kReferences),
                                             [c](const auto& entry) { return entry.first == c; });
        if (reference == std::end(kReferences)) {
            escaped += c;
        } else {
            escaped += reference->second;
        }
    }
    return escaped;
}

std::string FormatSpumuxControl(const std::vector<SpumuxEntry>& entries, bool pal) {
    std::string text = "<subpictures format=\"";
    text += pal ? "PAL" : "NTSC";
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

SpumuxWriter::SpumuxWriter(Options options)
    : m_options(std::move(options)) {}

std::error_code SpumuxWriter::Encode(const Subpicture& subpicture, SpumuxPicture& picture) const {
    const QImage& classes = subpicture.classes;
    if (classes.width() != kFrameWidth ||
        classes.height() != (m_options.pal ? kPalHeight : kNtscHeight)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const std::optional<QRect> bounds = SubpictureBounds(classes);
    // The tool drops a subpicture that does not end after its start without counting it as
    // skipped, so that its report would hide the loss.
    if (!bounds ||
        Hundredths(subpicture.endMicroseconds) <= Hundredths(subpicture.startMicroseconds)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    picture.offset = bounds->topLeft();
    picture.startMicroseconds = subpicture.startMicroseconds;
    picture.endMicroseconds = subpicture.endMicroseconds;
    picture.png.clear();
    if (!m_options.testMode) {
        picture.png = EncodeSubpicturePng(subpicture, *bounds);
        if (picture.png.empty()) {
            return std::make_error_code(std::errc::invalid_argument);
        }
    }
    return {};
}

std::error_code SpumuxWriter::Add(const SpumuxPicture& picture, int number) {
    const std::string image = m_options.imageName + "." + std::to_string(number) + ".png";
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
    const std::string text = FormatSpumuxControl(m_entries, m_options.pal);
    return kestrum::ReplaceFile(m_options.controlPath,
                                [&text](int fd) { return kestrum::WriteAll(fd, AsBytes(text)); });
}

} // namespace orvo
