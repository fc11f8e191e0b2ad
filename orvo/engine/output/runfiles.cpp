#include "output/runfiles.h"

#include "model/texts.h"

#include <kestrum/util/cstringhelper.h>
#include <kestrum/util/fileio.h>

#include <algorithm>
#include <cerrno>

namespace orvo {

std::string ListFolder(const RunParameters& parameters) {
    return kestrum::CStringHelper().GetFilePath(parameters.LastPath);
}

std::string ListingPath(const RunParameters& parameters, std::string_view extension) {
    return kestrum::CStringHelper().ChangeFileExtension(parameters.LastPath,
                                                        std::string(extension));
}

bool IsTheList(const std::string& path, const RunParameters& parameters) {
    return kestrum::IsSameFile(path, parameters.LastPath);
}

void RemoveStaleRunTemporaries(const RunParameters& parameters,
                               std::span<const std::string_view> listings,
                               std::string_view imageExtension) {
    kestrum::CStringHelper helper;
    std::vector<std::string> names;
    for (const std::string_view extension : listings) {
        names.push_back(helper.GetFileTitle(ListingPath(parameters, extension)));
    }
    const std::string imagePrefix = parameters.ImgName + ".";
    const std::string imageSuffix = "." + std::string(imageExtension);
    const std::string folder = ListFolder(parameters);
    kestrum::RemoveStaleTemporaries(folder.empty() ? "." : folder, [&](std::string_view base) {
        return std::find(names.begin(), names.end(), base) != names.end() ||
               (!imageExtension.empty() && base.starts_with(imagePrefix) &&
                base.ends_with(imageSuffix));
    });
}

bool IsFolderRefusal(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::no_space_on_device ||
           error == std::error_condition(EDQUOT, std::generic_category());
}

bool StopForFolder(const std::string& file, RunOutcome& outcome) {
    // A folder with room for an empty file may have none for a picture.
    constexpr std::size_t kPictureBytes = 4096;
    const std::error_code error = kestrum::TryCreateBeside(file, kPictureBytes);
    if (!IsFolderRefusal(error)) {
        return false;
    }
    const std::string folder = kestrum::CStringHelper().GetFilePath(file);
    outcome.folderStop = "Stopped: no file can be written in " +
                         (folder.empty() ? std::string(".") : folder) + " (" + error.message() +
                         ").";
    return true;
}

void CountFailure(const std::string& file, const std::string& reason, GenerationHost& host,
                  RunOutcome& outcome) {
    host.WriteFailed(file, reason);
    ++outcome.filesNotWritten;
}

} // namespace orvo
