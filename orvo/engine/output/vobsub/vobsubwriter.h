#pragma once

#include "output/dvdsubpicture.h"
#include "output/spoolfile.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvo {

struct VobSubSettings {
    QSize size; // the picture size, 720 x 576 or 720 x 480
    DvdColourSet colours;
    std::string language; // the index's language code: "en"
    bool forced = false;  // every subtitle shown even where the player's subtitles are off
};

// Whether a language code can stand in the index's language line: two or three lowercase
// letters, so that no text of an option reaches the file beyond its field.
bool IsIndexLanguage(std::string_view code);

// HH:MM:SS:mmm, the index's form of a time in milliseconds; hours past 99 take more digits.
std::string FormatIndexTime(std::int64_t milliseconds);

// The index's lines before its timestamps: size, sixteen-colour palette and language.
std::string IndexHeader(QSize size, const DvdColourSet& colours, const std::string& language);

// One timestamp line: the time a subtitle is shown and where its first pack starts.
std::string IndexEntry(std::int64_t milliseconds, std::uint64_t filePosition);

// The unit of a subpicture, coded by an encoder of one thread, that shows it from its start to
// its end, forced when the settings say; none when its colours are not the palette's or it
// cannot be coded.
std::optional<std::vector<std::uint8_t>> EncodeVobSubUnit(DvdSubpictureEncoder& encoder,
                                                          const Subpicture& subpicture,
                                                          const VobSubSettings& settings);

// Builds a DVD subtitle pair, the index (.idx) and the packs (.sub), subtitle by subtitle, and
// writes both at the end: each file is replaced whole, the packs first, so that a
// killed run leaves the old files or an index that lists only packs that are there, and an
// index that cannot be replaced after its packs were is removed rather than left pointing into
// them.
class VobSubWriter {
public:
    explicit VobSubWriter(const VobSubSettings& settings);

    // Why nothing can be written (an unusable language code); empty when ready. The units come
    // coded by the run's workers, each with its own encoder.
    const std::string& Problem() const { return m_problem; }

    // Adds a unit that EncodeVobSubUnit coded, shown from startMicroseconds; false when the
    // writer cannot write, and from then on.
    [[nodiscard]] bool Add(std::span<const std::uint8_t> unit, std::int64_t startMicroseconds);
    // Why Add failed: the problem, or why the packs cannot be kept until the end.
    std::string AddFailure() const;

    int Count() const { return static_cast<int>(m_index.size()); }

    // Writes BASE.sub, then BASE.idx listing the subtitles added so far. On failure, failed
    // gets the file that could not be written.
    [[nodiscard]] std::error_code Write(const std::string& base,
                                        std::string* failed = nullptr) const;

private:
    struct IndexedUnit {
        std::int64_t startMs;
        std::uint64_t filePosition;
    };
    VobSubSettings m_settings;
    std::string m_problem;
    SpoolFile m_packs;
    std::vector<std::uint8_t> m_scratch;
    std::vector<IndexedUnit> m_index;
};

} // namespace orvo
