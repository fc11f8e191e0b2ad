#include "output/pgs/pgsstream.h"

#include "output/bigendian.h"

#include <QRect>

#include <algorithm>
#include <array>

namespace orvo {
namespace {

constexpr std::uint8_t kPaletteSegment = 0x14;
constexpr std::uint8_t kObjectSegment = 0x15;
constexpr std::uint8_t kCompositionSegment = 0x16;
constexpr std::uint8_t kWindowSegment = 0x17;
constexpr std::uint8_t kEndSegment = 0x80;

constexpr std::uint8_t kEpochStart = 0x80;
constexpr std::uint8_t kNormalState = 0x00;
constexpr std::uint8_t kForcedObject = 0x40;
constexpr std::uint8_t kFirstFragment = 0x80;
constexpr std::uint8_t kLastFragment = 0x40;
// The most of an object's width, height and code that one segment carries.
constexpr std::size_t kLargestFragment = 0xFFEF;
constexpr std::size_t kLargestPalette = 256;
constexpr std::int64_t kLatestTime = 0xFFFFFFFF;
constexpr int kLargestVideoSide = 0xFFFF;

struct RateCode {
    int numerator;
    int denominator;
    std::uint8_t code;
};

// 29.97 has one byte whether its timecode drops frames or not; 30 has none.
constexpr std::array<RateCode, 6> kRateCodes{{
    {24000, 1001, 0x10},
    {24, 1, 0x20},
    {25, 1, 0x30},
    {30000, 1001, 0x40},
    {50, 1, 0x60},
    {60000, 1001, 0x70},
}};

void Put16(std::vector<std::uint8_t>& out, std::size_t value) {
    AppendBigEndian(out, value, 2);
}

std::int64_t Pixels(QSize size) {
    return std::int64_t{size.width()} * size.height();
}

// Ticks of the 90 kHz clock to clear a window at 32 million pixels a second.
std::int64_t WindowLead(QSize window) {
    return (Pixels(window) * 9 + 3199) / 3200;
}

// Ticks to decode an object at 16 million pixels a second.
std::int64_t DecodeLead(QSize object) {
    return (Pixels(object) * 9 + 1599) / 1600;
}

} // namespace

std::optional<std::uint8_t> PgsFrameRateCode(const FrameRate& rate) {
    for (const RateCode& named : kRateCodes) {
        if (std::int64_t{rate.numerator} * named.denominator ==
            std::int64_t{named.numerator} * rate.denominator) {
            return named.code;
        }
    }
    return std::nullopt;
}

PgsStreamWriter::PgsStreamWriter(QSize video, std::uint8_t rateCode)
    : m_video(video)
    , m_rateCode(rateCode) {}

bool PgsStreamWriter::Add(const PgsObject& object, std::int64_t start, std::int64_t end,
                          bool forced) {
    if (!Carries(object) || start < m_previousEnd || end <= start || end > kLatestTime) {
        return false;
    }
    const std::int64_t windowLead = WindowLead(object.size);
    const std::int64_t windowReady = std::max(m_previousEnd, start - windowLead);
    const std::int64_t decoding =
        std::max(m_previousEnd, start - windowLead - DecodeLead(object.size));
    AppendComposition(start, &object, forced);
    AppendWindow(windowReady, object);
    AppendPalette(decoding, object);
    AppendObject(decoding, object);
    AppendSegment(kEndSegment, windowReady, {});

    const std::int64_t cleared = std::max(start, end - windowLead);
    AppendComposition(end, nullptr, false);
    AppendWindow(cleared, object);
    AppendSegment(kEndSegment, cleared, {});
    m_previousEnd = end;
    return true;
}

bool PgsStreamWriter::Carries(const PgsObject& object) const {
    const bool videoSized =
        m_video.width() <= kLargestVideoSide && m_video.height() <= kLargestVideoSide;
    return IsPgsObjectSize(object.size) && videoSized &&
           QRect(QPoint(0, 0), m_video).contains(QRect(object.position, object.size)) &&
           !object.palette.empty() && object.palette.size() <= kLargestPalette &&
           object.lines.size() <= kPgsLongestObjectCode;
}

void PgsStreamWriter::AppendSegment(std::uint8_t type, std::int64_t pts,
                                    std::span<const std::uint8_t> payload) {
    m_bytes.insert(m_bytes.end(), {'P', 'G'});
    AppendBigEndian(m_bytes, static_cast<std::size_t>(pts), 4);
    AppendBigEndian(m_bytes, 0, 4); // no decoding time: players go by the presentation times
    m_bytes.push_back(type);
    Put16(m_bytes, payload.size());
    m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
}

void PgsStreamWriter::AppendComposition(std::int64_t pts, const PgsObject* shown, bool forced) {
    std::vector<std::uint8_t> payload;
    Put16(payload, static_cast<std::size_t>(m_video.width()));
    Put16(payload, static_cast<std::size_t>(m_video.height()));
    payload.push_back(m_rateCode);
    Put16(payload, m_composition++);
    payload.push_back(shown ? kEpochStart : kNormalState);
    payload.push_back(0x00); // not a palette update
    payload.push_back(0);    // palette 0
    payload.push_back(shown ? 1 : 0);
    if (shown) {
        Put16(payload, 0);    // object 0
        payload.push_back(0); // in window 0
        payload.push_back(forced ? kForcedObject : 0);
        Put16(payload, static_cast<std::size_t>(shown->position.x()));
        Put16(payload, static_cast<std::size_t>(shown->position.y()));
    }
    AppendSegment(kCompositionSegment, pts, payload);
}

void PgsStreamWriter::AppendWindow(std::int64_t pts, const PgsObject& object) {
    std::vector<std::uint8_t> payload{1, 0}; // one window, 0
    Put16(payload, static_cast<std::size_t>(object.position.x()));
    Put16(payload, static_cast<std::size_t>(object.position.y()));
    Put16(payload, static_cast<std::size_t>(object.size.width()));
    Put16(payload, static_cast<std::size_t>(object.size.height()));
    AppendSegment(kWindowSegment, pts, payload);
}

void PgsStreamWriter::AppendPalette(std::int64_t pts, const PgsObject& object) {
    std::vector<std::uint8_t> payload{0, 0}; // palette 0, version 0
    for (const PgsPaletteEntry& entry : object.palette) {
        payload.insert(payload.end(), {entry.index, entry.y, entry.cr, entry.cb, entry.alpha});
    }
    AppendSegment(kPaletteSegment, pts, payload);
}

void PgsStreamWriter::AppendObject(std::int64_t pts, const PgsObject& object) {
    std::vector<std::uint8_t> data;
    data.reserve(4 + object.lines.size());
    Put16(data, static_cast<std::size_t>(object.size.width()));
    Put16(data, static_cast<std::size_t>(object.size.height()));
    data.insert(data.end(), object.lines.begin(), object.lines.end());

    std::span<const std::uint8_t> rest(data);
    std::vector<std::uint8_t> payload;
    bool first = true;
    do {
        const std::size_t take = std::min(kLargestFragment, rest.size());
        payload.clear();
        Put16(payload, 0);    // object 0
        payload.push_back(0); // version 0
        payload.push_back(static_cast<std::uint8_t>((first ? kFirstFragment : 0) |
                                                    (take == rest.size() ? kLastFragment : 0)));
        if (first) {
            AppendBigEndian(payload, data.size(), 3);
        }
        payload.insert(payload.end(), rest.begin(),
                       rest.begin() + static_cast<std::ptrdiff_t>(take));
        AppendSegment(kObjectSegment, pts, payload);
        rest = rest.subspan(take);
        first = false;
    } while (!rest.empty());
}

} // namespace orvo
