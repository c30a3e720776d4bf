// Autostart entries in the XDG form: a desktop entry named calorix.desktop in
// the machine-wide or the user's autostart folder.
#include "platform/Autostart.h"

#include <unistd.h>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"

namespace cx {

namespace {

constexpr const char* kEntryName = "calorix.desktop";

// The Exec value for a command line: each word quoted by the desktop entry
// rules where it needs it, then escaped as a string value of the file.
std::string ExecValue(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        if (IsPlainCommandWord(word)) {
            line += word;
            continue;
        }
        line += '"';
        for (char c : word) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') line += '\\';
            line += c;
        }
        line += '"';
    }
    std::string value;
    for (char c : line) {
        if (c == '\\') {
            value += "\\\\";
        } else if (c == '%') {
            // A lone percent sign would start a field code.
            value += "%%";
        } else {
            value += c;
        }
    }
    return value;
}

bool RemoveEntry(const std::filesystem::path& folder) {
    std::error_code ec;
    const std::filesystem::path entry = folder / kEntryName;
    std::filesystem::remove(entry, ec);
    return !std::filesystem::exists(std::filesystem::symlink_status(entry, ec));
}

}  // namespace

tAutostartFolders DefaultAutostartFolders() {
    tAutostartFolders folders;
    folders.machine = "/etc/xdg/autostart";
    const std::string configHome = EnvironmentValue("XDG_CONFIG_HOME");
    const std::string home = EnvironmentValue("HOME");
    // Relative values of the XDG variables are invalid and ignored.
    if (!configHome.empty() && configHome.front() == '/') {
        folders.user = std::filesystem::path(configHome) / "autostart";
    } else if (!home.empty()) {
        folders.user = std::filesystem::path(home) / ".config" / "autostart";
    }
    return folders;
}

tAutostart::tAutostart(tAutostartFolders folders) : m_folders(std::move(folders)) {}

bool tAutostart::CanOpenMachineEntry() const {
    if (m_folders.machine.empty() || !EnsureDirectory(m_folders.machine)) return false;
    return ::access(m_folders.machine.c_str(), W_OK | X_OK) == 0;
}

bool tAutostart::MachineEntryExists() const {
    std::error_code ec;
    return !m_folders.machine.empty() &&
           std::filesystem::is_regular_file(m_folders.machine / kEntryName, ec);
}

bool tAutostart::WriteMachineEntry(const std::string& command) const {
    // A line break would end the Exec line and let the rest pose as keys.
    if (command.find_first_of("\r\n") != std::string::npos) return false;
    const std::vector<std::string> words = SplitCommandLine(command);
    if (words.empty() || m_folders.machine.empty() || !EnsureDirectory(m_folders.machine)) {
        return false;
    }
    const std::string content =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Calorix\n"
        "Exec=" +
        ExecValue(words) +
        "\n"
        "X-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomically(m_folders.machine / kEntryName, content, 0644);
}

bool tAutostart::DeleteMachineEntry() const {
    return m_folders.machine.empty() || RemoveEntry(m_folders.machine);
}

bool tAutostart::DeleteUserEntry() const {
    return m_folders.user.empty() || RemoveEntry(m_folders.user);
}

}  // namespace cx
