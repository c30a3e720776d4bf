// Where the programs and their data live: the executable's folder, the data
// folder of the user (or the machine, for root) and the private runtime folder.
#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <system_error>

#include "platform/SystemInfo.h"

namespace cx {

namespace {

std::string WithTrailingSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// The home folder: $HOME, else the password database's entry.
std::string HomeFolder() {
    std::string home = EnvironmentValue("HOME");
    if (!home.empty()) return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

// Makes `dir` a private folder of this user: created with mode 0700 when
// missing; refused when it is a link, not a folder, or someone else's.
bool EnsurePrivateFolder(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0) return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return false;
    if ((info.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
    return true;
}

// Whether `dir` is a folder owned by this user, as a runtime folder must be.
bool IsOwnFolder(const std::string& dir) {
    struct stat info {};
    return ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

}  // namespace

std::string ProgramDirectory() {
    std::string target(PATH_MAX, '\0');
    ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    if (length <= 0) {
        std::error_code ec;
        return WithTrailingSlash(std::filesystem::current_path(ec).string());
    }
    target.resize(static_cast<size_t>(length));
    // An executable replaced while it runs reads as "<path> (deleted)".
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() &&
        target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0) {
        target.resize(target.size() - deleted.size());
    }
    return WithTrailingSlash(std::filesystem::path(target).parent_path().string());
}

std::string AllUsersDataFolder() {
    if (geteuid() == 0) return "/var/lib";
    // Relative values of the XDG variables are invalid and ignored.
    std::string dataHome = EnvironmentValue("XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == '/') return dataHome;
    std::string home = HomeFolder();
    if (home.empty() || home.front() != '/') return {};
    return WithTrailingSlash(home) + ".local/share";
}

std::string RuntimeFolder() {
    std::string runtimeDir = EnvironmentValue("XDG_RUNTIME_DIR");
    if (!runtimeDir.empty() && runtimeDir.front() == '/' && IsOwnFolder(runtimeDir)) {
        std::string dir = WithTrailingSlash(runtimeDir) + "calorix";
        return EnsurePrivateFolder(dir) ? dir : std::string();
    }
    std::string dir = "/tmp/calorix-" + std::to_string(geteuid());
    return EnsurePrivateFolder(dir) ? dir : std::string();
}

bool EnsureDirectory(const std::filesystem::path& dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

}  // namespace cx
