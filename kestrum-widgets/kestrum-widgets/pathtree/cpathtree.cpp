#include "kestrum-widgets/pathtree/cpathtree.h"

#include "kestrum-widgets/common/treeitems.h"
#include <kestrum-gui/displaytext.h>

#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QSignalBlocker>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kestrum {

namespace {

constexpr int kDriveTypeRole = kNameRole + 1;
constexpr int kIconSize = 16;

// Both separators divide folders here, as everywhere in the library.
bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) {
            if (i > start) {
                names.push_back(path.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return names;
}

bool SameName(std::string_view a, std::string_view b) {
    return QString::compare(DecodeText(a), DecodeText(b), Qt::CaseInsensitive) == 0;
}

int DriveImage(DriveType type) {
    switch (type) {
    case DriveType::Removable:
        return CPathTree::kRemovableImage;
    case DriveType::CdRom:
        return CPathTree::kCdRomImage;
    case DriveType::Remote:
        return CPathTree::kRemoteImage;
    case DriveType::RamDisk:
        return CPathTree::kRamDiskImage;
    case DriveType::Fixed:
        break;
    }
    return CPathTree::kFixedImage;
}

bool HasMedium(DriveType type) {
    return type == DriveType::Removable || type == DriveType::CdRom;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

bool IsFolder(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_directory(error); // follows links, as a user opening it would
}

bool NameLess(const std::string& a, const std::string& b) {
    const int order = QString::compare(DecodeText(a), DecodeText(b), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

CPathTree::CPathTree(QWidget* parent)
    : QTreeWidget(parent)
    , m_ImageList(QStringLiteral(":/kestrum/pathtree/icons/pathtree.png"), kIconSize) {
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kIconSize, kIconSize));
    // Long folder names scroll sideways rather than being cut short.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this, &CPathTree::OnItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CPathTree::OnItemCollapsed);
    // Queued: the checks may delete the item that has just become current, which must not
    // happen while the view is still announcing it.
    connect(this, &QTreeWidget::currentItemChanged, this, &CPathTree::OnSelchanged,
            Qt::QueuedConnection);
}

CPathTree::~CPathTree() = default;

unsigned CPathTree::InitTree(const std::string& /*path*/) {
    const std::vector<CMountPoint> mounts = ReadMountTable();
    return InitTree(mounts);
}

unsigned CPathTree::InitTree(std::span<const CMountPoint> mounts) {
    clear();
    unsigned count = 0;
    for (const CMountPoint& mount : mounts) {
        count += AddDriveNode(mount) ? 1 : 0;
    }
    return count;
}

bool CPathTree::AddDriveNode(const CMountPoint& mount) {
    const int image = DriveImage(mount.type);
    QTreeWidgetItem* item = AppendItem(*this, nullptr, mount.path, image, image, &m_ImageList);
    item->setData(0, kDriveTypeRole, static_cast<int>(mount.type));
    // A medium is not touched before the user opens its mount.
    if (HasMedium(mount.type)) {
        AddDummyNode(item);
    } else {
        SetButtonState(item, mount.path);
    }
    return true;
}

void CPathTree::AddDummyNode(QTreeWidgetItem* item) {
    AppendItem(*this, item, {}, kFixedImage, kFixedImage, &m_ImageList);
}

void CPathTree::SetButtonState(QTreeWidgetItem* item, const std::string& path) {
    if (HasSubdirectory(path)) {
        AddDummyNode(item);
    }
}

bool CPathTree::HasSubdirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(path, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (IsFolder(*it)) {
            return true;
        }
    }
    return false;
}

bool CPathTree::IsMediaValid(const QTreeWidgetItem* item) {
    const QTreeWidgetItem* drive = GetDriveNode(const_cast<QTreeWidgetItem*>(item));
    if (!HasMedium(static_cast<DriveType>(drive->data(0, kDriveTypeRole).toInt()))) {
        return true;
    }
    const std::string root = GetItemName(*drive);
    const std::optional<std::uint64_t> serial = GetSerialNumber(root);
    if (!serial) {
        m_serials.erase(root);
        return false;
    }
    const auto known = m_serials.find(root);
    const bool changed = known != m_serials.end() && known->second != *serial;
    m_serials[root] = *serial;
    return !changed;
}

std::optional<std::uint64_t> CPathTree::GetSerialNumber(const std::string& root) const {
    return FileSystemId(root);
}

QTreeWidgetItem* CPathTree::GetDriveNode(QTreeWidgetItem* item) const {
    while (item->parent() != nullptr) {
        item = item->parent();
    }
    return item;
}

unsigned CPathTree::DeleteChildren(QTreeWidgetItem* item) {
    const QList<QTreeWidgetItem*> children = item->takeChildren();
    qDeleteAll(children);
    return static_cast<unsigned>(children.size());
}

bool CPathTree::IsPathValid(const QTreeWidgetItem* item, const std::string& path) const {
    if (IsDriveNode(item)) {
        return true;
    }
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

unsigned CPathTree::AddDirectoryNodes(QTreeWidgetItem* item, const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(path, error);
    if (error) {
        if (IsDriveNode(item)) {
            AddDummyNode(item);
        }
        return 0;
    }
    std::vector<std::string> names;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (IsFolder(*it)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end(), NameLess);
    for (const std::string& name : names) {
        QTreeWidgetItem* child =
            AppendItem(*this, item, name, kFolderImage, kOpenFolderImage, &m_ImageList);
        SetButtonState(child, JoinPath(path, name));
    }
    return static_cast<unsigned>(names.size());
}

bool CPathTree::IsDriveNode(const QTreeWidgetItem* item) const {
    return item != nullptr && item->parent() == nullptr;
}

// The name spelt exactly so first: on a case-sensitive file system "Case" and "case" are two
// folders. Only when there is none does a name that differs in case do, as for a path typed
// without care for case.
QTreeWidgetItem* CPathTree::FindItem(QTreeWidgetItem* parent, std::string_view name) const {
    QTreeWidgetItem* differingInCase = nullptr;
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        const std::string childName = GetItemName(*child);
        if (childName == name) {
            return child;
        }
        if (differingInCase == nullptr && SameName(childName, name)) {
            differingInCase = child;
        }
    }
    return differingInCase;
}

void CPathTree::UpdateButtonState(QTreeWidgetItem* item, const std::string& path) {
    if (!HasSubdirectory(path)) {
        DeleteChildren(item);
    } else if (item->childCount() == 0) {
        AddDummyNode(item);
    }
}

void CPathTree::CollapseQuietly(QTreeWidgetItem* item) {
    const QSignalBlocker blocker(this);
    item->setExpanded(false);
}

void CPathTree::ResetDrive(QTreeWidgetItem* item) {
    QTreeWidgetItem* drive = GetDriveNode(item);
    CollapseQuietly(drive);
    DeleteChildren(drive);
    AddDummyNode(drive);
}

// A changed medium resets its drive and a vanished folder leaves the tree; false when item
// was reset or removed and must not be touched any more.
bool CPathTree::Revalidate(QTreeWidgetItem* item, const std::string& path) {
    if (!IsMediaValid(item)) {
        ResetDrive(item);
        return false;
    }
    if (!IsPathValid(item, path)) {
        delete item;
        return false;
    }
    return true;
}

void CPathTree::OnItemExpanded(QTreeWidgetItem* item) {
    const std::string path = GetPathFromItem(item);
    if (!Revalidate(item, path)) {
        return;
    }
    DeleteChildren(item);
    if (AddDirectoryNodes(item, path) == 0) {
        // Refused: nothing to show, so the item ends closed (a drive keeps its placeholder
        // when it could not be read).
        CollapseQuietly(item);
    }
}

void CPathTree::OnItemCollapsed(QTreeWidgetItem* item) {
    const std::string path = GetPathFromItem(item);
    if (!Revalidate(item, path)) {
        return;
    }
    // The content is read again at the next expansion, so it shows folders made meanwhile.
    DeleteChildren(item);
    if (IsDriveNode(item)) {
        AddDummyNode(item);
    } else {
        SetButtonState(item, path);
    }
}

void CPathTree::OnSelchanged() {
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr) {
        return;
    }
    const std::string path = GetPathFromItem(item);
    if (!IsMediaValid(item)) {
        ResetDrive(item);
    } else if (!IsPathValid(item, path)) {
        delete item;
    } else if (!(item->isExpanded() && item->childCount() > 0)) {
        UpdateButtonState(item, path);
    }
}

std::string CPathTree::GetPathFromItem(const QTreeWidgetItem* item) const {
    std::string path;
    for (; item != nullptr; item = item->parent()) {
        std::string text = GetItemName(*item);
        if (!path.empty() && (text.empty() || text.back() != '/')) {
            text.push_back('/');
        }
        path.insert(0, text);
    }
    return path;
}

std::string CPathTree::GetCurrentPath() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? std::string() : GetPathFromItem(selected.front());
}

QTreeWidgetItem* CPathTree::FindDriveForPath(std::string_view path, std::string_view& rest) const {
    const std::vector<std::string_view> names = SplitPath(path);
    QTreeWidgetItem* best = nullptr;
    std::size_t bestDepth = 0;
    bool bestExact = false;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* drive = topLevelItem(i);
        const std::string mountPath = GetItemName(*drive);
        const std::vector<std::string_view> mountNames = SplitPath(mountPath);
        const std::size_t depth = mountNames.size();
        if (depth > names.size() ||
            !std::equal(mountNames.begin(), mountNames.end(), names.begin(), SameName)) {
            continue;
        }
        // The deepest mount; of two as deep, the one spelt exactly as the path (as FindItem).
        const bool exact = std::equal(mountNames.begin(), mountNames.end(), names.begin());
        if (best == nullptr || depth > bestDepth || (depth == bestDepth && exact && !bestExact)) {
            best = drive;
            bestDepth = depth;
            bestExact = exact;
        }
    }
    if (best == nullptr) {
        return nullptr;
    }
    // What follows the mount's own names: from the start of the next name on.
    rest = bestDepth < names.size()
               ? path.substr(static_cast<std::size_t>(names[bestDepth].data() - path.data()))
               : std::string_view();
    return best;
}

int CPathTree::ExpandPath(std::string_view path, bool select) {
    if (path.empty() || !IsSeparator(path.front())) {
        return 0;
    }
    std::string_view rest;
    QTreeWidgetItem* item = FindDriveForPath(path, rest);
    if (item == nullptr) {
        return 0;
    }
    for (const std::string_view name : SplitPath(rest)) {
        // Expanding reads the folder, and may find it gone and remove the item.
        const QPersistentModelIndex index(indexFromItem(item));
        item->setExpanded(true);
        if (!index.isValid()) {
            return 0;
        }
        item = FindItem(item, name);
        if (item == nullptr) {
            return 0;
        }
    }
    const QPersistentModelIndex index(indexFromItem(item));
    item->setExpanded(true);
    if (!index.isValid()) {
        return 0;
    }
    if (select) {
        setCurrentItem(item);
        scrollToItem(item);
    }
    return 1;
}

} // namespace kestrum
