#include "output/vobsub/vobsubwriter.h"

#include "output/vobsub/programstream.h"

#include <kestrum/util/fileio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <span>

namespace orvo {
namespace {

std::error_code ReplaceWith(const std::string& path, std::span<const std::uint8_t> bytes) {
    return kestrum::ReplaceFile(path, [bytes](int fd) { return kestrum::WriteAll(fd, bytes); });
}

bool SameColours(const DvdColourSet& a, const DvdColourSet& b) {
    return std::equal(a.begin(), a.end(), b.begin(),
                      [](QRgb x, QRgb y) { return (x & RGB_MASK) == (y & RGB_MASK); });
}

// Times before the video's start are its start.
std::int64_t StartMs(std::int64_t startMicroseconds) {
    return std::max<std::int64_t>(startMicroseconds / 1000, 0);
}

} // namespace

bool IsIndexLanguage(std::string_view code) {
    if (code.size() < 2 || code.size() > 3) {
        return false;
    }
    for (const char c : code) {
        if (c < 'a' || c > 'z') {
            return false;
        }
    }
    return true;
}

std::string FormatIndexTime(std::int64_t milliseconds) {
    const std::int64_t ms = std::max<std::int64_t>(milliseconds, 0);
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

std::string IndexHeader(QSize size, const DvdColourSet& colours, const std::string& language) {
    std::string text = "# VobSub index file, v7 (do not modify this line!)\n";
    text += "size: " + std::to_string(size.width()) + "x" + std::to_string(size.height()) + "\n";
    text += "palette: " + DvdPaletteText(colours) + "\n";
    text += "langidx: 0\n";
    text += "id: " + language + ", index: 0\n";
    return text;
}

std::string IndexEntry(std::int64_t milliseconds, std::uint64_t filePosition) {
    char position[24];
    std::snprintf(position, sizeof position, "%09llx",
                  static_cast<unsigned long long>(filePosition));
    return "timestamp: " + FormatIndexTime(milliseconds) + ", filepos: " + position + "\n";
}

VobSubWriter::VobSubWriter(const VobSubSettings& settings)
    : m_settings(settings) {
    if (!IsIndexLanguage(settings.language)) {
        m_problem = "the language must be two or three lowercase letters, not \"" +
                    settings.language + "\"";
    }
}

std::optional<std::vector<std::uint8_t>> EncodeVobSubUnit(DvdSubpictureEncoder& encoder,
                                                          const Subpicture& subpicture,
                                                          const VobSubSettings& settings) {
    // The palette is the index's, one for every subtitle: a picture meant for other colours
    // would show in the wrong ones.
    if (!SameColours(subpicture.colours, settings.colours)) {
        return std::nullopt;
    }
    return encoder.Encode(subpicture.classes,
                          subpicture.endMicroseconds / 1000 - StartMs(subpicture.startMicroseconds),
                          settings.forced, subpicture.rows);
}

bool VobSubWriter::Add(std::span<const std::uint8_t> unit, std::int64_t startMicroseconds) {
    if (!m_problem.empty()) {
        return false;
    }
    const std::int64_t start = StartMs(startMicroseconds);
    m_scratch.clear();
    AppendSubpicturePacks(m_scratch, unit, start * (kProgramStreamClock / 1000));
    const std::uint64_t position = m_packs.Size();
    if (!m_packs.Append(m_scratch)) {
        return false;
    }
    m_index.push_back({start, position});
    return true;
}

std::string VobSubWriter::AddFailure() const {
    if (!m_problem.empty()) {
        return m_problem;
    }
    return "its packs cannot be kept in a temporary file: " + m_packs.Error().message();
}

std::error_code VobSubWriter::Write(const std::string& base, std::string* failed) const {
    const auto fail = [failed](std::string file, std::error_code error) {
        if (failed != nullptr) {
            *failed = std::move(file);
        }
        return error;
    };
    const std::string packsPath = base + ".sub";
    if (!m_problem.empty()) {
        return fail(base + ".idx", std::make_error_code(std::errc::invalid_argument));
    }
    if (m_packs.Error()) {
        return fail(packsPath, m_packs.Error());
    }
    if (const std::error_code error =
            kestrum::ReplaceFile(packsPath, [this](int fd) { return m_packs.CopyTo(fd); })) {
        return fail(packsPath, error);
    }
    std::string index = IndexHeader(m_settings.size, m_settings.colours, m_settings.language);
    for (const IndexedUnit& unit : m_index) {
        index += IndexEntry(unit.startMs, unit.filePosition);
    }
    const std::string indexPath = base + ".idx";
    const std::error_code error = ReplaceWith(
        indexPath, std::span(reinterpret_cast<const std::uint8_t*>(index.data()), index.size()));
    // The packs are new now: an old index would place its subtitles in them at the wrong
    // positions, so it goes. A folder of that name stays, and the error is reported either way.
    if (error && !std::filesystem::is_directory(indexPath)) {
        std::error_code ignored;
        std::filesystem::remove(indexPath, ignored);
    }
    return error ? fail(indexPath, error) : error;
}

} // namespace orvo
