#pragma once

#include <string>
#include <string_view>

namespace kestrum {
class CObject;
}

// The file side of property files: one read of the whole file, and a save that replaces the
// old file only when the new one is completely on disk. The format itself is the archive's.
namespace kestrum::propfile {

// fileName, or the default file name when it is empty: the program's path with extension.
std::string Resolve(const std::string& fileName, std::string_view extension);

// False when the file cannot be created; file errors after that raise CArchiveException and
// leave an existing file untouched.
bool Save(CObject& object, const std::string& path);

// False when the file cannot be opened; errors while reading raise CArchiveException.
bool Load(CObject& object, const std::string& path);

} // namespace kestrum::propfile
