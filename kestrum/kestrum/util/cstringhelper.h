#pragma once

#include <kestrum/kestrum_export.h>

#include <string>

namespace kestrum {

// Splits lines into fields at a separator and takes file paths apart. Every byte is one
// character. Text results live in the helper's one buffer: each such call overwrites what
// the previous one returned, so a caller that needs two results copies the first.
//
// Both the backslash and the forward slash separate folders, so that paths written on either
// kind of system come apart the same way.
class KESTRUM_EXPORT CStringHelper {
public:
    CStringHelper();
    CStringHelper(const CStringHelper& other);
    CStringHelper& operator=(const CStringHelper& other);
    virtual ~CStringHelper();

    // How many characters of s equal ch.
    int GetCharCount(char ch, const std::string& s) const;
    // Separators plus one: never less than 1.
    int GetSegmentCount(const std::string& s, char sep) const;
    // The segment numbered index from 0; empty beyond the last one, segment 0 for a negative
    // index.
    const std::string& GetSegment(int index, const std::string& s, char sep);
    // The text after the last separator, extension included.
    const std::string& GetFileTitle(const std::string& path);
    // The folder part with the separator it ends in; empty when there is no folder.
    const std::string& GetFilePath(const std::string& path);
    // path with the extension of its last component replaced by ext (given without point); a
    // name without extension gets "." and ext appended. A point in a folder name never counts.
    const std::string& ChangeFileExtension(const std::string& path, const std::string& ext);

private:
    std::string m_buffer;
};

} // namespace kestrum
