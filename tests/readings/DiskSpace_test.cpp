#include "readings/DiskSpace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

TEST(DiskSpaceTest, ParsesMountsAndKeepsTheirEscapes) {
    std::vector<tMountEntry> entries;
    ParseMounts("/dev/sda1 / ext4 rw 0 0\nbroken-line\n/dev/sdb1 /media/My\\040Disk vfat rw 0 0",
                entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].mountPoint, "/media/My\\040Disk");
    EXPECT_EQ(entries[1].fileSystem, "vfat");
    EXPECT_EQ(UnescapeMountField("/media/My\\040Disk\\011x\\9"), "/media/My Disk\tx\\9");
    EXPECT_EQ(UnescapeUdevName("My\\x20Data\\x2"), "My Data\\x2");
}

TEST(DiskSpaceTest, FileSystemKinds) {
    const std::pair<const char*, tDriveType> cases[] = {
        {"ext4", tDriveType::Fixed},       {"btrfs", tDriveType::Fixed},
        {"vfat", tDriveType::Fixed},       {"nfs4", tDriveType::Remote},
        {"cifs", tDriveType::Remote},      {"fuse.sshfs", tDriveType::Remote},
        {"tmpfs", tDriveType::RAMDisk},    {"ramfs", tDriveType::RAMDisk},
        {"proc", tDriveType::Skipped},     {"sysfs", tDriveType::Skipped},
        {"iso9660", tDriveType::Skipped},  {"udf", tDriveType::Skipped},
        {"squashfs", tDriveType::Skipped}, {"overlay", tDriveType::Skipped},
    };
    for (const auto& [name, type] : cases) EXPECT_EQ(ClassifyFileSystem(name), type) << name;
}

// A machine with a system disk, a boot partition, a USB stick, a CD, a
// network share, a RAM disk, a mount point with a blank and an over-mount.
class DiskSpaceTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        root.Write("proc/self/mounts",
                   "/dev/sda2 / ext4 rw 0 0\n"
                   "proc /proc proc rw 0 0\n"
                   "/dev/sda1 /boot/efi vfat rw 0 0\n"
                   "/dev/sdb1 /media/USB\\040Stick vfat rw 0 0\n"
                   "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                   "server:/export /mnt/nas nfs4 rw 0 0\n"
                   "tmpfs /tmp tmpfs rw 0 0\n"
                   "tmpfs /run tmpfs rw 0 0\n"
                   "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                   "tmpfs /dev/shm tmpfs rw 0 0\n"
                   "tmpfs /runner tmpfs rw 0 0\n"
                   "/dev/sda3 /home/My\\040Files ext4 rw 0 0\n"
                   "/dev/sda4 /srv ext4 rw 0 0\n"
                   "overlay /srv overlay rw 0 0\n");
        namespace fs = std::filesystem;
        for (const char* dir : {"boot/efi", "mnt/nas", "tmp", "home/My Files", "srv", "runner",
                                "dev/disk/by-label", "sys/block/sdb/sdb1", "sys/class/block"})
            fs::create_directories(root / dir);
        fs::create_symlink("../../sda2", root / "dev/disk/by-label/System");
        fs::create_symlink("../../sda3", root / "dev/disk/by-label/My\\x20Data");
        root.Write("sys/block/sdb/removable", "1\n");
        fs::create_symlink("../../block/sdb/sdb1", root / "sys/class/block/sdb1");
    }

    test::tTempDir root;
};

TEST_F(DiskSpaceTreeTest, ListsDrivesBindsFreeSlotsAndReadsTheirSpace) {
    test::tSystemReaderHarness h(root.Path().string());
    h.settings.driveDisk[1] = "/tmp Scratch";     // bound by the user
    h.settings.driveDisk[7] = "/media/gone Old";  // no longer mounted
    tDiskSource source;
    source.Read(h.context);

    std::vector<std::string> names;
    for (const tDiskMon& d : h.rs.diskMon) names.push_back(d.name);
    // The system's runtime RAM disks (/run, /dev/shm) are no drives; /runner is.
    EXPECT_EQ(names, (std::vector<std::string>{"/", "/boot/efi", "/mnt/nas", "/tmp", "/runner",
                                               "/home/My\\040Files"}));
    EXPECT_EQ(h.rs.diskMon[0].volumeLabel, "System");
    EXPECT_EQ(h.rs.diskMon[5].volumeLabel, "My Data");

    EXPECT_EQ(h.settings.driveDisk[0], "/ / System");
    EXPECT_EQ(h.settings.driveDisk[1], "/tmp Scratch");
    EXPECT_EQ(h.settings.driveDisk[2], "/boot/efi /boot/efi ");
    EXPECT_EQ(h.settings.driveDisk[3], "/mnt/nas /mnt/nas ");
    EXPECT_EQ(h.settings.driveDisk[4], "/runner /runner ");
    EXPECT_EQ(h.settings.driveDisk[5], "/home/My\\040Files /home/My\\040Files My Data");
    EXPECT_TRUE(h.settings.driveDisk[6].empty());

    EXPECT_EQ(h.rs.diskSlots[0].label, " / System");
    EXPECT_EQ(h.rs.diskSlots[1].label, " Scratch");
    for (int j : {0, 1, 5}) {
        EXPECT_GT(h.rs.diskSlots[j].total, 0) << j;
        EXPECT_LE(h.rs.diskSlots[j].free, h.rs.diskSlots[j].total) << j;
    }
    EXPECT_EQ(h.rs.diskSlots[6].total, 0);
    EXPECT_EQ(h.rs.diskSlots[7].total, 0);
    EXPECT_EQ(h.rs.diskSlots[7].free, 0);
    EXPECT_NE(h.EventText().find("ERROR during statvfs on \"/media/gone\": not mounted"),
              std::string::npos);
}

TEST_F(DiskSpaceTreeTest, ASecondScanKeepsTheBindings) {
    test::tSystemReaderHarness h(root.Path().string());
    tDiskSource source;
    source.Read(h.context);
    const auto bound = h.settings.driveDisk;
    source.Read(h.context);
    EXPECT_EQ(h.settings.driveDisk, bound);
    EXPECT_EQ(h.rs.diskMon.size(), 6u);
}

TEST(DiskSpaceTest, MissingMountsFileGivesAnEmptyList) {
    test::tTempDir root;
    test::tSystemReaderHarness h(root.Path().string());
    h.rs.diskMon.push_back({"/old", ""});
    tDiskSource source;
    source.Read(h.context);
    EXPECT_TRUE(h.rs.diskMon.empty());
}

}  // namespace
}  // namespace cx
