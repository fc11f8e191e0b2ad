#include "kestrum-widgets/pathtree/mounttable.h"

#include <kestrum/util/fileio.h>

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <unordered_map>

namespace kestrum {

namespace {

// Kernel and support file systems: they hold no folders a user would choose.
constexpr std::array<std::string_view, 24> kPseudoTypes = {
    "proc",       "sysfs",      "devtmpfs", "devpts",      "cgroup",          "cgroup2",
    "securityfs", "debugfs",    "tracefs",  "configfs",    "pstore",          "bpf",
    "mqueue",     "hugetlbfs",  "fusectl",  "binfmt_misc", "autofs",          "efivarfs",
    "selinuxfs",  "rpc_pipefs", "nsfs",     "rootfs",      "fuse.gvfsd-fuse", "fuse.portal",
};
constexpr std::array<std::string_view, 3> kSystemFolders = {"/proc", "/sys", "/dev"};
constexpr std::array<std::string_view, 2> kRemovableFolders = {"/media", "/run/media"};
constexpr std::array<std::string_view, 2> kOpticalTypes = {"iso9660", "udf"};
constexpr std::array<std::string_view, 2> kRamTypes = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 18> kRemoteTypes = {
    "nfs",         "nfs4",      "cifs",           "smb3",        "smbfs",       "ncpfs",
    "afs",         "9p",        "ceph",           "glusterfs",   "davfs",       "fuse.sshfs",
    "fuse.rclone", "fuse.s3fs", "fuse.glusterfs", "fuse.cephfs", "fuse.davfs2", "fuse.curlftpfs",
};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool IsBelow(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

template <std::size_t N>
bool IsBelowAny(const std::array<std::string_view, N>& folders, std::string_view path) {
    return std::any_of(folders.begin(), folders.end(),
                       [&](std::string_view folder) { return IsBelow(path, folder); });
}

// The table escapes blanks, tabs, new lines and backslashes in names as three octal digits.
std::string Unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            text.push_back(static_cast<char>(((field[i + 1] - '0') << 6) |
                                             ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

// The system's small text files (the mount table, flags under /sys); empty when unreadable.
std::string ReadFile(const std::string& path) {
    constexpr std::size_t kLimit = 16 << 20;
    const ReadResult read = ReadFileLimited(path, kLimit);
    return std::string(read.bytes.begin(), read.bytes.end());
}

std::string_view FileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::optional<DriveType>
ClassifyMount(std::string_view device, std::string_view path, std::string_view fsType,
              const std::function<bool(std::string_view device)>& isRemovableDevice) {
    if (Contains(kPseudoTypes, fsType) || IsBelowAny(kSystemFolders, path)) {
        return std::nullopt;
    }
    if (Contains(kOpticalTypes, fsType)) {
        return DriveType::CdRom;
    }
    if (Contains(kRemoteTypes, fsType)) {
        return DriveType::Remote;
    }
    if (Contains(kRamTypes, fsType)) {
        return DriveType::RamDisk;
    }
    if (IsBelowAny(kRemovableFolders, path) ||
        (device.starts_with("/dev/") && isRemovableDevice(device))) {
        return DriveType::Removable;
    }
    return DriveType::Fixed;
}

std::vector<CMountPoint>
ParseMountTable(std::string_view table,
                const std::function<bool(std::string_view device)>& isRemovableDevice) {
    std::vector<CMountPoint> mounts;
    // Where each path stands in mounts: a host with thousands of mounts (containers) would
    // otherwise cost a search of all earlier ones per line.
    std::unordered_map<std::string, std::size_t> known;
    std::istringstream lines{std::string(table)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string path;
        std::string type;
        if (!(fields >> device >> path >> type)) {
            continue;
        }
        path = Unescape(path);
        const std::optional<DriveType> driveType =
            ClassifyMount(Unescape(device), path, type, isRemovableDevice);
        if (!driveType) {
            continue;
        }
        const auto [at, added] = known.try_emplace(path, mounts.size());
        if (added) {
            mounts.push_back({path, *driveType});
        } else {
            mounts[at->second].type = *driveType;
        }
    }
    std::stable_partition(mounts.begin(), mounts.end(),
                          [](const CMountPoint& mount) { return mount.path == "/"; });
    return mounts;
}

bool IsRemovableBlockDevice(std::string_view device) {
    const std::string block = "/sys/class/block/" + std::string(FileName(device));
    // A partition has no flag of its own; its disk is the folder above it.
    for (const char* flag : {"/removable", "/../removable"}) {
        const std::string text = ReadFile(block + flag);
        if (!text.empty()) {
            return text.front() == '1';
        }
    }
    return false;
}

std::vector<CMountPoint> ReadMountTable() {
    std::vector<CMountPoint> mounts =
        ParseMountTable(ReadFile("/proc/self/mounts"), IsRemovableBlockDevice);
    // Files can be mounted too (a container's /etc/hosts); only folders can be browsed.
    std::erase_if(mounts, [](const CMountPoint& mount) {
        std::error_code error;
        return !std::filesystem::is_directory(mount.path, error);
    });
    return mounts;
}

std::optional<std::uint64_t> FileSystemId(const std::string& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.f_fsid);
}

} // namespace kestrum
