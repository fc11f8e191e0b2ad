#pragma once

#include <kestrum-widgets/common/cimagelist.h>
#include <kestrum-widgets/pathtree/mounttable.h>
#include <kestrum/kestrum_widgets_export.h>

#include <QTreeWidget>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrum {

// A tree of the machine's mount points and their folders, for choosing a folder. A folder's
// subfolders are read only when it is opened; until then an empty placeholder child gives it
// an expand button. Before anything inside a removable or optical mount is used, the file
// system's id is compared with the one seen last, so that a changed or missing medium closes
// the mount instead of showing folders that are no longer there. Folders deleted meanwhile
// disappear when they are opened or selected.
//
// The tree reacts to its own itemExpanded, itemCollapsed and currentItemChanged signals; the
// checks on selection run from the event loop, right after the change, so that a parent
// connected to currentItemChanged sees the notification too (the settings dialog marks its
// page as edited by it).
class KESTRUM_WIDGETS_EXPORT CPathTree : public QTreeWidget {
    Q_OBJECT

public:
    // Pictures of the strip, in its order.
    enum Image : int {
        kFixedImage = 0, // also the placeholder's
        kRemovableImage = 1,
        kCdRomImage = 2,
        kRemoteImage = 3,
        kRamDiskImage = 4,
        kFolderImage = 5,
        kOpenFolderImage = 6,
    };

    explicit CPathTree(QWidget* parent = nullptr);
    ~CPathTree() override;

    // Empties the tree and lists this machine's mount points, "/" first; the number listed.
    // path has no effect.
    unsigned InitTree(const std::string& path = {});
    // The same for the given mount points.
    unsigned InitTree(std::span<const CMountPoint> mounts);

    // Opens the tree along path ("/home/anna/subs"; names compared ignoring case, "/" and
    // "\" both separating them) and, when select is set, selects the folder reached. 1 when
    // the whole path was found; otherwise the tree stays opened as far as it got and 0.
    int ExpandPath(std::string_view path, bool select);

    // The full path of item: "/" or "/media/stick" for a mount, "/home/anna" for a folder;
    // "" for no item.
    std::string GetPathFromItem(const QTreeWidgetItem* item) const;
    // The full path of the selected item, "" when none is selected.
    std::string GetCurrentPath() const;

protected:
    // The id of the medium in the mount at root, none when no medium is there. Virtual so
    // that a medium change can be simulated without one.
    virtual std::optional<std::uint64_t> GetSerialNumber(const std::string& root) const;

private:
    bool AddDriveNode(const CMountPoint& mount);
    void AddDummyNode(QTreeWidgetItem* item);
    void SetButtonState(QTreeWidgetItem* item, const std::string& path);
    static bool HasSubdirectory(const std::string& path);
    bool IsMediaValid(const QTreeWidgetItem* item);
    QTreeWidgetItem* GetDriveNode(QTreeWidgetItem* item) const;
    unsigned DeleteChildren(QTreeWidgetItem* item);
    bool IsPathValid(const QTreeWidgetItem* item, const std::string& path) const;
    unsigned AddDirectoryNodes(QTreeWidgetItem* item, const std::string& path);
    bool IsDriveNode(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* FindItem(QTreeWidgetItem* parent, std::string_view name) const;
    void UpdateButtonState(QTreeWidgetItem* item, const std::string& path);
    void ResetDrive(QTreeWidgetItem* item);
    bool Revalidate(QTreeWidgetItem* item, const std::string& path);
    // Collapses item without reacting to it.
    void CollapseQuietly(QTreeWidgetItem* item);
    QTreeWidgetItem* FindDriveForPath(std::string_view path, std::string_view& rest) const;

    void OnItemExpanded(QTreeWidgetItem* item);
    void OnItemCollapsed(QTreeWidgetItem* item);
    void OnSelchanged();

    CImageList m_ImageList;
    // The medium id last seen in each removable or optical mount, by mount path.
    std::map<std::string, std::uint64_t> m_serials;
};

} // namespace kestrum
