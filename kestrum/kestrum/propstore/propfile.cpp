#include "propfile.h"

#include "kestrum/propstore/carchive.h"
#include "kestrum/propstore/carchiveexception.h"
#include "kestrum/util/cstringhelper.h"
#include "kestrum/util/fileio.h"
#include "kestrum/util/modulefilename.h"

#include <cerrno>
#include <new>
#include <unistd.h>
#include <vector>

namespace kestrum::propfile {
namespace {

using Cause = CArchiveException::Cause;

// Settings files must survive a power cut; a killed save must not leave its temporary file
// for good; and a file the user may write stays writable even in a folder the user may not.
constexpr ReplaceOptions kSaveOptions{
    .sync = true, .keepMode = true, .removeStale = true, .inPlaceWhenFolderLocked = true};

PropFileResult Failed(std::error_code error, std::string message) {
    return {error, std::move(message)};
}

PropFileResult Failed(std::error_code error) {
    return Failed(error, error.message());
}

std::vector<std::uint8_t> Serialized(CObject& object) {
    std::vector<std::uint8_t> bytes;
    CArchive ar(bytes);
    object.Serialize(ar);
    return bytes;
}

} // namespace

std::string Resolve(const std::string& fileName, std::string_view extension) {
    if (!fileName.empty()) {
        return fileName;
    }
    CStringHelper helper;
    return helper.ChangeFileExtension(ModuleFileName(), std::string(extension));
}

PropFileResult Save(CObject& object, const std::string& path) {
    try {
        // A file the user made read-only stays as it is, as it would if we wrote into it.
        if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0) {
            return Failed({errno, std::system_category()});
        }
        const std::vector<std::uint8_t> bytes = Serialized(object);
        // Whether the file was created: a failure before is "cannot be created", one after a
        // file error.
        bool created = false;
        const std::error_code error = ReplaceFile(
            path,
            [&](int fd) {
                created = true;
                return WriteAll(fd, bytes);
            },
            kSaveOptions);
        if (!error) {
            return {};
        }
        if (!created) {
            return Failed(error);
        }
        throw CArchiveException(Cause::FileError, error.message());
    } catch (const std::bad_alloc&) {
        throw CArchiveException(Cause::OutOfMemory);
    }
}

PropFileResult Load(CObject& object, const std::string& path) {
    try {
        const ReadResult read = ReadFileLimited(path, kPropFileSizeLimit);
        if (!read) {
            return Failed(read.error, read.Message());
        }
        CArchive ar{std::span<const std::uint8_t>(read.bytes)};
        object.Serialize(ar);
        return {};
    } catch (const std::bad_alloc&) {
        throw CArchiveException(Cause::OutOfMemory);
    }
}

bool Succeeded(const PropFileResult& result) {
    if (result.error) {
        errno = result.error.value();
    }
    return !result.error;
}

} // namespace kestrum::propfile
