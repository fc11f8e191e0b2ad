#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

// The drive types of the path tree, numbered as the drive-type query of the system the
// format comes from numbers them. Mount points take the place of drive letters here.
enum class DriveType : int {
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

struct CMountPoint {
    std::string path; // the folder the file system is mounted on, "/" for the root
    DriveType type = DriveType::Fixed;

    bool operator==(const CMountPoint&) const = default;
};

// The type of a file system mounted from device on path with type fsType; none for file
// systems that hold no user folders (proc, sysfs, cgroup and the like, or anything mounted
// below /proc, /sys or /dev). isRemovableDevice is asked about the device of a block file
// system that is not mounted where removable media are.
KESTRUM_WIDGETS_EXPORT std::optional<DriveType>
ClassifyMount(std::string_view device, std::string_view path, std::string_view fsType,
              const std::function<bool(std::string_view device)>& isRemovableDevice);

// The mount points of a mount table in the format of /proc/self/mounts: "/" first, then the
// others in table order, each once (a folder mounted over takes the type of its last mount).
KESTRUM_WIDGETS_EXPORT std::vector<CMountPoint>
ParseMountTable(std::string_view table,
                const std::function<bool(std::string_view device)>& isRemovableDevice);

// Whether the block device (/dev/sdb1) says of itself, or of the disk it is part of, that
// its medium can be removed.
KESTRUM_WIDGETS_EXPORT bool IsRemovableBlockDevice(std::string_view device);

// This machine's mount points of folders that exist, from /proc/self/mounts.
KESTRUM_WIDGETS_EXPORT std::vector<CMountPoint> ReadMountTable();

// The file-system id of the file system holding path (statvfs f_fsid), which changes with the
// medium; none when path cannot be reached.
KESTRUM_WIDGETS_EXPORT std::optional<std::uint64_t> FileSystemId(const std::string& path);

} // namespace kestrum
