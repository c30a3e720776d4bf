#include "settings/Directories.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace cx {

namespace {

namespace fs = std::filesystem;

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// Moves one file without replacing a file already at the target: the folder's
// own copy is newer than the one left behind by an older installation. Across
// file systems the file is copied and the original removed, so the settings
// arrive even when the program and data folders sit on different disks.
void MoveWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    std::error_code ec;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without the no-replace flag.
        if (!fs::exists(to, ec) && !ec) fs::rename(from, to, ec);
        return;
    }
    if (errno != EXDEV) return;  // missing source, existing target, no rights: skipped
    if (!fs::copy_file(from, to, fs::copy_options::skip_existing, ec) || ec) return;
    fs::remove(from, ec);
}

}  // namespace

std::vector<std::string> MovedSettingsFiles(bool withViewerFiles) {
    std::vector<std::string> files = {"CXServer.ini",   "CXClient.ini",   "CXDisplay.ini",
                                      "Calorix8h.log6", "Calorix7d.log6", "Calorix1a.log6",
                                      "CXLight.txt",    "Stats.txt",      "Stats24.txt"};
    if (withViewerFiles) {
        files.insert(files.end(), {"Stats7.txt", "Stats31.txt", "Stats365.txt", "Text.txt"});
    }
    return files;
}

std::string SharedSettingsFolder(std::string_view dataFolder) {
    return WithSlash(std::string(dataFolder)) + "Calorix/";
}

std::string ResolveSettingsDirectory(const std::string& programDirectory,
                                     const std::string& dataFolder, const tEventLog& events,
                                     bool withViewerFiles) {
    const std::string fallback = WithSlash(programDirectory);
    if (dataFolder.empty()) return fallback;
    const std::string folder = SharedSettingsFolder(dataFolder);
    if (!EnsureDirectory(folder)) {
        events.WriteEvent("gsd cannot create the settings folder " + folder);
        return fallback;
    }
    std::error_code ec;
    if (fs::equivalent(folder, fallback, ec)) return folder;
    if (!fs::exists(fs::path(folder) / "Calorix8h.log6", ec)) {
        for (const std::string& name : MovedSettingsFiles(withViewerFiles)) {
            MoveWithoutReplacing(fs::path(fallback) / name, fs::path(folder) / name);
        }
    }
    return folder;
}

std::string ResolveSettingsDirectory(const std::string& programDirectory, const tEventLog& events,
                                     bool withViewerFiles) {
    return ResolveSettingsDirectory(programDirectory, AllUsersDataFolder(), events,
                                    withViewerFiles);
}

std::string ChooseSettingsDirectory(const std::string& programDirectory,
                                    const std::string& dataFolder, const tEventLog& events,
                                    bool withViewerFiles) {
    const std::string program = WithSlash(programDirectory);
    std::error_code ec;
    if (fs::exists(fs::path(program) / kOldSettingsDirMarker, ec)) return program;
    return ResolveSettingsDirectory(program, dataFolder, events, withViewerFiles);
}

std::string EnterSettingsDirectory(const std::string& programDirectory, const tEventLog& events,
                                   bool withViewerFiles) {
    std::string dir =
        ChooseSettingsDirectory(programDirectory, AllUsersDataFolder(), events, withViewerFiles);
    if (chdir(dir.c_str()) != 0) {
        events.WriteEvent("gsd cannot enter " + dir + ": " + std::strerror(errno));
    }
    return dir;
}

}  // namespace cx
