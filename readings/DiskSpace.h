#pragma once
// The disk step: the mounted file systems from /proc/self/mounts, their
// volume labels from /dev/disk/by-label, the binding of the eight disk slots
// and each slot's size and free space from statvfs.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

// What kind of drive a file system counts as.
enum class tDriveType {
    Fixed,    // a local block-device file system
    Remote,   // a network file system
    RAMDisk,  // tmpfs, ramfs
    Skipped,  // pseudo, optical and image file systems
};

// One line of /proc/self/mounts; the mount point keeps the file's escapes
// ("\040" for a blank), so an identity made of it still splits at a blank.
struct tMountEntry {
    std::string device;
    std::string mountPoint;
    std::string fileSystem;
};

// The lines of a mounts file; lines with fewer than three fields are skipped.
void ParseMounts(std::string_view text, std::vector<tMountEntry>& entries);

tDriveType ClassifyFileSystem(std::string_view fileSystem);

// Undoes the octal escapes of /proc/self/mounts ("\040" is a blank).
std::string UnescapeMountField(std::string_view text);

// Undoes udev's "\x20" escapes in the names under /dev/disk/by-label.
std::string UnescapeUdevName(std::string_view text);

class tDiskSource : public IReadingSource {
public:
    // The disk list, the binding of free slots and the free space of every
    // bound slot. One slot's failure is logged as "fdm1 ", the step's as "fdm2 ".
    void Read(tReadingContext& context) override;

private:
    // The drives of this scan in mount order, after over-mounts and skipped
    // kinds are taken out.
    void ListDrives(const std::string& root);
    bool IsRemovable(const std::string& root, const std::string& device) const;
    std::string LabelOf(const std::string& root, const std::string& device) const;
    void ReadSlot(tReadingContext& context, int slot);
    // True when the mount table or the label folder differ from the last
    // pass's (or the root changed): only then is the drive list built again.
    bool MountsChanged(const std::string& root);

    struct tDrive {
        std::string name;  // the mount point as /proc/self/mounts writes it
        std::string device;
        std::string label;
    };
    // What a slot's identity means, worked out when the identity changes.
    struct tSlotPlan {
        std::string identity;
        std::string drive;     // the identity up to its first blank
        std::string label;     // the identity from its first blank on
        std::string statPath;  // the unescaped mount point under the root
        bool planned = false;
    };
    std::vector<tMountEntry> m_mounts;
    std::vector<tDrive> m_drives;
    // Device name -> label of /dev/disk/by-label, read once per scan.
    std::vector<std::pair<std::string, std::string>> m_labels;
    std::array<tSlotPlan, 8> m_plans;
    tHeldFile m_mountsFile;
    tHeldFolder m_labelFolder;
    std::vector<std::string> m_labelNames, m_lastLabelNames;
    std::string m_root, m_mountsPath, m_labelPath;
    std::string m_buffer, m_lastMounts;
    bool m_listed = false;
};

}  // namespace cx
