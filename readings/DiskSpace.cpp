#include "readings/DiskSpace.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

struct tFileSystemKind {
    std::string_view name;
    tDriveType type;
};

// File systems that count as drives; everything else (proc, sysfs, cgroup,
// overlay, squashfs images, iso9660 and udf discs, autofs, ...) is skipped.
constexpr tFileSystemKind kKinds[] = {
    {"ext2", tDriveType::Fixed},        {"ext3", tDriveType::Fixed},
    {"ext4", tDriveType::Fixed},        {"xfs", tDriveType::Fixed},
    {"btrfs", tDriveType::Fixed},       {"f2fs", tDriveType::Fixed},
    {"jfs", tDriveType::Fixed},         {"reiserfs", tDriveType::Fixed},
    {"zfs", tDriveType::Fixed},         {"bcachefs", tDriveType::Fixed},
    {"vfat", tDriveType::Fixed},        {"msdos", tDriveType::Fixed},
    {"exfat", tDriveType::Fixed},       {"ntfs", tDriveType::Fixed},
    {"ntfs3", tDriveType::Fixed},       {"fuseblk", tDriveType::Fixed},
    {"hfs", tDriveType::Fixed},         {"hfsplus", tDriveType::Fixed},
    {"nilfs2", tDriveType::Fixed},      {"nfs", tDriveType::Remote},
    {"nfs4", tDriveType::Remote},       {"cifs", tDriveType::Remote},
    {"smb3", tDriveType::Remote},       {"smbfs", tDriveType::Remote},
    {"fuse.sshfs", tDriveType::Remote}, {"ceph", tDriveType::Remote},
    {"glusterfs", tDriveType::Remote},  {"fuse.glusterfs", tDriveType::Remote},
    {"afs", tDriveType::Remote},        {"9p", tDriveType::Remote},
    {"tmpfs", tDriveType::RAMDisk},     {"ramfs", tDriveType::RAMDisk},
};

// The system's own runtime folders: a RAM disk there holds sockets, locks and
// shared memory, not files a user keeps, and would only crowd the disk slots.
bool IsSystemRuntimeFolder(std::string_view mountPoint) {
    for (const std::string_view folder : {"/dev", "/run", "/sys", "/proc"}) {
        if (mountPoint.starts_with(folder) &&
            (mountPoint.size() == folder.size() || mountPoint[folder.size()] == '/'))
            return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The kernel's name of a block device ("sda1", "dm-0"), following links such
// as /dev/mapper/root -> ../dm-0 inside the root folder.
std::string KernelDeviceName(const std::string& root, const std::string& device) {
    if (!device.starts_with("/dev/")) return {};
    std::error_code ec;
    const std::filesystem::path resolved =
        std::filesystem::weakly_canonical(RootedPath(root, UnescapeMountField(device)), ec);
    if (ec) return std::filesystem::path(device).filename().string();
    return resolved.filename().string();
}

}  // namespace

void ParseMounts(std::string_view text, std::vector<tMountEntry>& entries) {
    entries.clear();
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        std::array<std::string_view, 3> fields;
        size_t count = 0;
        while (count < fields.size()) {
            const size_t start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos) break;
            line.remove_prefix(start);
            const size_t end = std::min(line.find_first_of(" \t"), line.size());
            fields[count++] = line.substr(0, end);
            line.remove_prefix(end);
        }
        if (count < fields.size()) continue;
        entries.push_back({std::string(fields[0]), std::string(fields[1]), std::string(fields[2])});
    }
}

tDriveType ClassifyFileSystem(std::string_view fileSystem) {
    for (const tFileSystemKind& kind : kKinds)
        if (kind.name == fileSystem) return kind.type;
    return tDriveType::Skipped;
}

std::string UnescapeMountField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
            text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UnescapeUdevName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool tDiskSource::IsRemovable(const std::string& root, const std::string& device) const {
    const std::string name = KernelDeviceName(root, device);
    if (name.empty()) return false;
    if (name.starts_with("sr")) return true;  // optical drives
    const std::string block = RootedPath(root, "/sys/class/block/") + name;
    std::string buffer;
    int64_t removable = 0;
    // A partition's flag sits on its disk, the directory above it.
    if (ReadIntegerFile(block + "/removable", removable, buffer) ||
        ReadIntegerFile(block + "/../removable", removable, buffer))
        return removable == 1;
    return false;
}

std::string tDiskSource::LabelOf(const std::string& root, const std::string& device) const {
    const std::string name = KernelDeviceName(root, device);
    if (name.empty()) return {};
    for (const auto& [labelDevice, label] : m_labels)
        if (labelDevice == name) return label;
    return {};
}

void tDiskSource::ListDrives(const std::string& root) {
    m_drives.clear();
    m_labels.clear();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(RootedPath(root, "/dev/disk/by-label"), ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::read_symlink(it->path(), linkError);
        if (linkError) continue;
        m_labels.emplace_back(target.filename().string(),
                              UnescapeUdevName(it->path().filename().string()));
    }
    // A later mount over the same mount point hides the earlier one.
    for (size_t i = 0; i < m_mounts.size(); ++i) {
        const tMountEntry& m = m_mounts[i];
        const bool hidden =
            std::any_of(m_mounts.begin() + i + 1, m_mounts.end(),
                        [&](const tMountEntry& later) { return later.mountPoint == m.mountPoint; });
        if (hidden) continue;
        const tDriveType type = ClassifyFileSystem(m.fileSystem);
        if (type == tDriveType::Skipped) continue;
        if (type == tDriveType::RAMDisk && IsSystemRuntimeFolder(m.mountPoint)) continue;
        if (type == tDriveType::Fixed && IsRemovable(root, m.device)) continue;
        m_drives.push_back({m.mountPoint, m.device, {}});
    }
}

bool tDiskSource::MountsChanged(const std::string& root) {
    if (!m_listed || root != m_root) {
        m_root = root;
        m_mountsPath = RootedPath(root, "/proc/self/mounts");
        m_labelPath = RootedPath(root, "/dev/disk/by-label");
        m_listed = false;
    }
    if (!m_mountsFile.Read(m_mountsPath, m_buffer)) m_buffer.clear();
    m_labelFolder.List(m_labelPath, m_labelNames);
    if (m_listed && m_buffer == m_lastMounts && m_labelNames == m_lastLabelNames) return false;
    m_lastMounts = m_buffer;
    m_lastLabelNames = m_labelNames;
    m_listed = true;
    return true;
}

void tDiskSource::ReadSlot(tReadingContext& context, int slot) {
    tDiskSlotReading& reading = context.rs.diskSlots[slot];
    reading.total = 0;
    reading.free = 0;
    const std::string& identity = context.settings.driveDisk[slot];
    if (identity.empty()) return;
    tSlotPlan& plan = m_plans[slot];
    if (!plan.planned || plan.identity != identity) {
        const size_t blank = identity.find(' ');
        plan.identity = identity;
        plan.drive = identity.substr(0, blank);
        plan.label = blank == std::string::npos ? std::string() : identity.substr(blank);
        plan.statPath = RootedPath(context.root, UnescapeMountField(plan.drive));
        plan.planned = true;
    }
    const std::string& drive = plan.drive;
    reading.label = plan.label;

    // An unmounted mount point is a plain folder of the file system below it:
    // its figures would belong to another drive.
    const bool mounted = std::any_of(m_mounts.begin(), m_mounts.end(),
                                     [&](const tMountEntry& m) { return m.mountPoint == drive; });
    std::string error;
    struct statvfs fs {};
    if (!mounted) {
        error = "not mounted";
    } else if (statvfs(plan.statPath.c_str(), &fs) != 0) {
        error = std::strerror(errno);
    } else {
        const auto unit = static_cast<uint64_t>(fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize);
        reading.total = static_cast<int64_t>(static_cast<uint64_t>(fs.f_blocks) * unit / 1024);
        reading.free = static_cast<int64_t>(static_cast<uint64_t>(fs.f_bavail) * unit / 1024);
        return;
    }
    context.events.WriteEvent("ERROR during statvfs on \"" + drive + "\": " + error);
}

void tDiskSource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    tSettings& settings = context.settings;
    try {
        if (MountsChanged(context.root)) {
            for (tSlotPlan& plan : m_plans) plan.planned = false;  // the root may have moved
            m_mounts.clear();
            ParseMounts(m_buffer, m_mounts);
            ListDrives(context.root);
            for (tDrive& drive : m_drives) drive.label = LabelOf(context.root, drive.device);
        }
        rs.diskMon.resize(m_drives.size());
        for (size_t i = 0; i < m_drives.size(); ++i) {
            const tDrive& drive = m_drives[i];
            tDiskMon& entry = rs.diskMon[i];
            entry.name = drive.name;
            entry.volumeLabel = drive.label;
            for (int j = 0; j < static_cast<int>(kDiskSlots); ++j) {
                std::string& identity = settings.driveDisk[j];
                // The identity is the mount point alone or followed by a blank.
                if (identity.starts_with(drive.name) &&
                    (identity.size() == drive.name.size() || identity[drive.name.size()] == ' '))
                    break;
                if (identity.empty()) {
                    identity = drive.name + " " + drive.name + " " + drive.label;
                    rs.diskSlots[j].label = drive.label;
                    break;
                }
            }
        }
        for (int j = 0; j < static_cast<int>(kDiskSlots); ++j) {
            try {
                ReadSlot(context, j);
            } catch (const std::exception& e) {
                context.events.WriteEvent(std::string("fdm1 ") + e.what());
            }
        }
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("fdm2 ") + e.what());
    }
}

}  // namespace cx
