// Which mount points the path tree lists, with which type, in which order.
#include <kestrum-widgets/pathtree/mounttable.h>

#include <QTest>

#include <optional>

using kestrum::CMountPoint;
using kestrum::DriveType;

Q_DECLARE_METATYPE(std::optional<DriveType>)

namespace {

// sdb is the one removable disk of these tables.
bool IsSdb(std::string_view device) {
    return device.starts_with("/dev/sdb");
}

} // namespace

class MountTableTest : public QObject {
    Q_OBJECT

private slots:
    void classify_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("type");
        QTest::addColumn<std::optional<DriveType>>("expected");

        const std::optional<DriveType> none;
        QTest::newRow("root disk") << "/dev/sda2"
                                   << "/"
                                   << "ext4" << std::optional(DriveType::Fixed);
        QTest::newRow("container root") << "overlay"
                                        << "/"
                                        << "overlay" << std::optional(DriveType::Fixed);
        QTest::newRow("stick under /media") << "/dev/sdc1"
                                            << "/media/anna/STICK"
                                            << "vfat" << std::optional(DriveType::Removable);
        QTest::newRow("stick under /run/media") << "/dev/sdc1"
                                                << "/run/media/anna/STICK"
                                                << "exfat" << std::optional(DriveType::Removable);
        QTest::newRow("removable device elsewhere")
            << "/dev/sdb1"
            << "/mnt/card"
            << "ext4" << std::optional(DriveType::Removable);
        QTest::newRow("optical iso9660") << "/dev/sr0"
                                         << "/media/anna/DISC"
                                         << "iso9660" << std::optional(DriveType::CdRom);
        QTest::newRow("optical udf") << "/dev/sr0"
                                     << "/mnt/dvd"
                                     << "udf" << std::optional(DriveType::CdRom);
        QTest::newRow("nfs") << "server:/export"
                             << "/net/home"
                             << "nfs4" << std::optional(DriveType::Remote);
        QTest::newRow("cifs") << "//server/share"
                              << "/mnt/share"
                              << "cifs" << std::optional(DriveType::Remote);
        QTest::newRow("sshfs") << "anna@host:"
                               << "/home/anna/remote"
                               << "fuse.sshfs" << std::optional(DriveType::Remote);
        QTest::newRow("tmpfs") << "tmpfs"
                               << "/tmp"
                               << "tmpfs" << std::optional(DriveType::RamDisk);
        QTest::newRow("ramfs") << "none"
                               << "/mnt/ram"
                               << "ramfs" << std::optional(DriveType::RamDisk);
        QTest::newRow("proc") << "proc"
                              << "/proc"
                              << "proc" << none;
        QTest::newRow("cgroup") << "cgroup"
                                << "/sys/fs/cgroup/cpu"
                                << "cgroup" << none;
        QTest::newRow("tmpfs below /dev") << "tmpfs"
                                          << "/dev/shm"
                                          << "tmpfs" << none;
        QTest::newRow("tmpfs below /sys") << "tmpfs"
                                          << "/sys/fs/cgroup"
                                          << "tmpfs" << none;
        QTest::newRow("a folder named like /devices is no system folder")
            << "/dev/sda3"
            << "/devices"
            << "ext4" << std::optional(DriveType::Fixed);
    }

    void classify() {
        QFETCH(QString, device);
        QFETCH(QString, path);
        QFETCH(QString, type);
        QFETCH(std::optional<DriveType>, expected);
        QCOMPARE(kestrum::ClassifyMount(device.toStdString(), path.toStdString(),
                                        type.toStdString(), IsSdb),
                 expected);
    }

    void rootFirstEachOnceWithEscapes() {
        const char* table = "tmpfs /run tmpfs rw 0 0\n"
                            "proc /proc proc rw 0 0\n"
                            "/dev/sdc1 /media/anna/MY\\040STICK vfat rw 0 0\n"
                            "/dev/sda2 / ext4 rw 0 0\n"
                            "/dev/sda3 /data ext4 rw 0 0\n"
                            "server:/x /data nfs rw 0 0\n"
                            "broken line\n";
        const std::vector<CMountPoint> expected = {
            {"/", DriveType::Fixed},
            {"/run", DriveType::RamDisk},
            {"/media/anna/MY STICK", DriveType::Removable},
            // Mounted over: the last mount is the one seen there.
            {"/data", DriveType::Remote},
        };
        QCOMPARE(kestrum::ParseMountTable(table, IsSdb), expected);
    }

    void thisMachineListsRootFirst() {
        const std::vector<CMountPoint> mounts = kestrum::ReadMountTable();
        QVERIFY(!mounts.empty());
        QCOMPARE(mounts.front().path, std::string("/"));
        QVERIFY(kestrum::FileSystemId("/").has_value());
        QVERIFY(!kestrum::FileSystemId("/no/such/folder/anywhere").has_value());
    }
};

QTEST_MAIN(MountTableTest)
#include "mounttable_test.moc"
