#pragma once

#include <kestrum/propstore/propfileresult.h>

#include <string>
#include <string_view>

namespace kestrum {
class CObject;
}

// The file side of property files: one limited read of the whole file, and a save that
// replaces the old file only when the new one is completely on disk. The format itself is the
// archive's.
namespace kestrum::propfile {

// fileName, or the default file name when it is empty: the program's path with extension.
std::string Resolve(const std::string& fileName, std::string_view extension);

// Fails when the file cannot be created (or is read-only); file errors after that raise
// CArchiveException and leave an existing file untouched.
[[nodiscard]] PropFileResult Save(CObject& object, const std::string& path);

// Fails when the file cannot be opened or read, is no regular file or is larger than
// kPropFileSizeLimit; errors in its content raise CArchiveException.
[[nodiscard]] PropFileResult Load(CObject& object, const std::string& path);

// The bool of Load and Save, with errno set to the reason of a failure, as callers
// of the bool forms read it.
bool Succeeded(const PropFileResult& result);

} // namespace kestrum::propfile
