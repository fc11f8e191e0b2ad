#include "output/listedimages.h"

#include "output/imagename.h"

#include <kestrum/util/fileio.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace orvo {
namespace {

// A script of a long film is a few hundred kilobytes; a larger file of the name is no listing.
constexpr std::size_t kMaxListingBytes = std::size_t{16} << 20;

// Whether file names image number first .. first + count - 1 of the series.
bool IsOfSeries(std::string_view file, const ImageSeries& series) {
    const std::string suffix = "." + series.extension;
    if (!file.starts_with(series.name + ".") || !file.ends_with(suffix) ||
        file.size() <= series.name.size() + 1 + suffix.size()) {
        return false;
    }
    const std::string_view digits =
        file.substr(series.name.size() + 1, file.size() - series.name.size() - 1 - suffix.size());
    // The run writes its numbers without leading zeros.
    if (digits.size() > 1 && digits.front() == '0') {
        return false;
    }
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() && end == digits.data() + digits.size() && number >= series.first &&
           number - series.first < series.count;
}

// A script names each image in the last field of its line.
int CountInScript(std::string_view text, const ImageSeries& series) {
    int count = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::size_t tab = line.rfind('\t');
        count += tab != std::string_view::npos && IsOfSeries(line.substr(tab + 1), series);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return count;
}

// The authoring tool's control file names each image in an image attribute.
int CountInAttributes(std::string_view text, const ImageSeries& series) {
    constexpr std::string_view kImage = "image=\"";
    int count = 0;
    for (std::size_t at = text.find(kImage); at != std::string_view::npos;
         at = text.find(kImage, at)) {
        at += kImage.size();
        const std::size_t end = text.find('"', at);
        if (end == std::string_view::npos) {
            break;
        }
        count += IsOfSeries(text.substr(at, end - at), series);
        at = end;
    }
    return count;
}

// A Blu-ray listing names each image in a Graphic element.
int CountInGraphics(std::string_view text, const ImageSeries& series) {
    constexpr std::string_view kClose = "</Graphic>";
    int count = 0;
    for (std::size_t at = text.find("<Graphic "); at != std::string_view::npos;
         at = text.find("<Graphic ", at)) {
        const std::size_t name = text.find('>', at);
        const std::size_t end = text.find(kClose, at);
        if (name == std::string_view::npos || end == std::string_view::npos || end < name) {
            break;
        }
        count += IsOfSeries(text.substr(name + 1, end - name - 1), series);
        at = end + kClose.size();
    }
    return count;
}

int CountInControl(std::string_view text, const ImageSeries& series) {
    return CountInAttributes(text, series) + CountInGraphics(text, series);
}

std::string ImageName(const ImageSeries& series, int number) {
    return ImageFileTitle(series.name, number, series.extension);
}

} // namespace

std::vector<std::string> OtherListingsOfImages(const std::string& folder,
                                               const std::vector<std::string>& ownListings,
                                               const ImageSeries& series) {
    std::vector<std::string> found;
    if (series.count <= 0) {
        return found;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? "." : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        const fs::path& path = entry->path();
        const std::string extension = path.extension().string();
        const bool script = extension == ".sst";
        if ((!script && extension != ".xml") ||
            std::any_of(ownListings.begin(), ownListings.end(), [&](const std::string& listing) {
                std::error_code ignored;
                return fs::equivalent(path, listing, ignored);
            })) {
            continue;
        }
        const kestrum::ReadResult read = kestrum::ReadFileLimited(path.string(), kMaxListingBytes);
        if (!read) {
            continue;
        }
        const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()),
                                    read.bytes.size());
        const int count = script ? CountInScript(text, series) : CountInControl(text, series);
        if (count > 0) {
            found.push_back(path.filename().string() + " names " + std::to_string(count) +
                            " of the images this run replaces (" + ImageName(series, series.first) +
                            " to " + ImageName(series, series.first + series.count - 1) + ")");
        }
    }
    // In the order of their names, whatever order the folder keeps.
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace orvo
