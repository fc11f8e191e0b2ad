#include "output/dvdsubpicture.h"

#include "input/medialibraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace orvo {
namespace {

// Every byte of the line ORed together; a line of background alone is found by the C
// library's memcmp, which compares many bytes at once, as most lines of a subtitle are.
uchar LineBits(const uchar* line, const std::vector<uchar>& background) {
    if (std::memcmp(line, background.data(), background.size()) == 0) {
        return 0;
    }
    uchar bits = 0;
    for (std::size_t x = 0; x < background.size(); ++x) {
        bits |= line[x];
    }
    return bits;
}

// The largest unit: its size field has 16 bits.
constexpr std::size_t kMaxUnitSize = 65535;
// The encoder refuses a picture unless its buffer holds four bits a pixel, the worst coding,
// although a subtitle's runs take far less: the buffer is that size, and the unit's own limit
// is checked on the result.
constexpr std::size_t kCommandRoom = 1024;
// The longest a unit can show its picture: the hide command's delay has 16 bits of 1024 ticks
// of the 90 kHz clock. A longer time would wrap around and hide the subtitle early.
constexpr std::int64_t kLongestShownMs = std::int64_t{65535} * 1024 / 90;

// The cropped pixels, one byte each, rows without padding.
std::vector<std::uint8_t> CroppedPixels(const QImage& indexed, const QRect& box) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(box.width()) * static_cast<std::size_t>(box.height()));
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        pixels.insert(pixels.end(), line + box.left(), line + box.left() + box.width());
    }
    return pixels;
}

} // namespace

std::array<QRgb, 16> DvdPaletteOf(const DvdColourSet& colours) {
    std::array<QRgb, 16> palette{};
    palette.fill(qRgb(0, 0, 0));
    std::copy(colours.begin(), colours.end(), palette.begin());
    return palette;
}

std::string DvdPaletteText(const DvdColourSet& colours) {
    std::string text;
    for (const QRgb colour : DvdPaletteOf(colours)) {
        char entry[8];
        std::snprintf(entry, sizeof entry, "%06x", colour & 0xFFFFFFu);
        text += text.empty() ? "" : ", ";
        text += entry;
    }
    return text;
}

std::optional<QRect> SubpictureBounds(const QImage& classes, CanvasRows rows) {
    if (classes.format() != QImage::Format_Indexed8 || classes.isNull()) {
        return std::nullopt;
    }
    const int width = classes.width();
    const std::vector<uchar> background(static_cast<std::size_t>(width), 0);
    QRect bounds;
    const auto [top, bottom] = rows.ClampedTo(classes.height());
    for (int y = top; y < bottom; ++y) {
        const uchar* line = classes.constScanLine(y);
        const uchar bits = LineBits(line, background);
        if (bits >= kDvdClassCount) {
            return std::nullopt;
        }
        if (bits == 0) {
            continue;
        }
        const auto isInk = [](uchar index) { return index != 0; };
        const uchar* first = std::find_if(line, line + width, isInk);
        const auto last =
            std::find_if(std::reverse_iterator(line + width), std::reverse_iterator(first), isInk);
        bounds |= QRect(QPoint(static_cast<int>(first - line), y),
                        QPoint(static_cast<int>(last.base() - line) - 1, y));
    }
    return bounds.isEmpty() ? QRect(0, 0, 1, 1) : bounds;
}

void DvdSubpictureEncoder::CodecDeleter::operator()(AVCodecContext* codec) const {
    Av().avcodec_free_context(&codec);
}

DvdSubpictureEncoder::DvdSubpictureEncoder(QSize size, const DvdColourSet& colours)
    : m_size(size)
    , m_colours(colours)
    , m_buffer(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()) /
                   2 +
               kCommandRoom) {
    if (OpenMediaLibraries(MediaUse::Coding, &m_problem) == nullptr) {
        return;
    }
    const AVCodec* encoder = Av().avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    if (encoder == nullptr) {
        m_problem = "the system's codec library has no DVD subtitle encoder";
        return;
    }
    m_codec.reset(Av().avcodec_alloc_context3(encoder));
    if (!m_codec) {
        m_problem = "out of memory";
        return;
    }
    m_codec->width = size.width();
    m_codec->height = size.height();
    m_codec->time_base = AVRational{1, 1000};
    AVDictionary* options = nullptr;
    Av().av_dict_set(&options, "palette", DvdPaletteText(colours).c_str(), 0);
    const int opened = Av().avcodec_open2(m_codec.get(), encoder, &options);
    Av().av_dict_free(&options);
    if (opened < 0) {
        m_problem = "the DVD subtitle encoder did not start";
        m_codec.reset();
    }
}

DvdSubpictureEncoder::~DvdSubpictureEncoder() = default;

std::optional<std::vector<std::uint8_t>> DvdSubpictureEncoder::Encode(const QImage& indexed,
                                                                      std::int64_t durationMs,
                                                                      bool forced,
                                                                      CanvasRows rows) {
    if (!m_codec || indexed.size() != m_size || indexed.format() != QImage::Format_Indexed8) {
        return std::nullopt;
    }
    // A picture without text still shows and hides: one transparent pixel.
    // Any index past the four would come out transparent, drawn wrong without a word.
    const std::optional<QRect> box = SubpictureBounds(indexed, rows);
    if (!box) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> pixels = CroppedPixels(indexed, *box);
    // The encoder reads a whole 256-entry palette, as the libraries do for every 8-bit picture,
    // whatever the count of colours says: the entries past the four are transparent.
    std::array<std::uint32_t, AVPALETTE_COUNT> argb{};
    for (std::size_t i = 0; i < m_colours.size(); ++i) {
        argb[i] = (i == 0 ? 0x00000000u : 0xFF000000u) | (m_colours[i] & 0xFFFFFFu);
    }

    AVSubtitleRect rect{};
    rect.type = SUBTITLE_BITMAP;
    rect.x = box->left();
    rect.y = box->top();
    rect.w = box->width();
    rect.h = box->height();
    rect.nb_colors = 4;
    rect.flags = forced ? AV_SUBTITLE_FLAG_FORCED : 0;
    rect.data[0] = pixels.data();
    rect.linesize[0] = box->width();
    rect.data[1] = reinterpret_cast<std::uint8_t*>(argb.data());
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle subtitle{};
    subtitle.format = 0; // bitmap
    subtitle.start_display_time = 0;
    subtitle.end_display_time =
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(durationMs, 0, kLongestShownMs));
    subtitle.num_rects = 1;
    subtitle.rects = rects;
    const int size = Av().avcodec_encode_subtitle(m_codec.get(), m_buffer.data(),
                                                  static_cast<int>(m_buffer.size()), &subtitle);
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxUnitSize) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(m_buffer.begin(), m_buffer.begin() + size);
}

} // namespace orvo
