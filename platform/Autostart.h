#pragma once
// Start with the session: the Run value of the system becomes an XDG autostart
// entry. The machine-wide form is /etc/xdg/autostart/calorix.desktop; the older
// per-user form is ~/.config/autostart/calorix.desktop.
#include <filesystem>
#include <string>

namespace cx {

struct tAutostartFolders {
    std::filesystem::path machine;  // default /etc/xdg/autostart
    std::filesystem::path user;     // default $XDG_CONFIG_HOME/autostart or ~/.config/autostart
};

// The real folders of this machine and user.
tAutostartFolders DefaultAutostartFolders();

class tAutostart {
public:
    explicit tAutostart(tAutostartFolders folders = DefaultAutostartFolders());

    // Whether the machine-wide folder can be "opened for full access": it
    // exists (or can be created) and this process may write to it.
    bool CanOpenMachineEntry() const;
    bool MachineEntryExists() const;
    // Writes the entry that starts `command` (the quoted program path); false on failure.
    bool WriteMachineEntry(const std::string& command) const;
    // Removes the entry; true when it is gone afterwards.
    bool DeleteMachineEntry() const;
    // Removes the older per-user entry; true when it is gone afterwards.
    bool DeleteUserEntry() const;

    const tAutostartFolders& Folders() const { return m_folders; }

private:
    tAutostartFolders m_folders;
};

}  // namespace cx
