#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

// A folder of the test's own under the system's temporary folder, removed with everything in it.
// Throws when the folder cannot be made: a test without its folder would work among the user's
// files.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Makes folder the current folder for a scope, for code that writes beside relative paths.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder);
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    ~CurrentFolder();

private:
    std::filesystem::path m_previous;
};

} // namespace testsupport
