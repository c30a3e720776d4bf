// Single-instance locks as flock locks on files in the runtime folder. The
// files stay when released: removing them would let two processes lock two
// different files of the same name.
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

#include "platform/Paths.h"

namespace cx {

namespace {

// The lock file of a name, or empty when the name cannot be one plain file name.
std::string LockPath(const std::string& name, const std::string& runtimeFolder) {
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos) return {};
    const std::string folder = runtimeFolder.empty() ? RuntimeFolder() : runtimeFolder;
    if (folder.empty()) return {};
    return folder + "/" + name + ".lock";
}

}  // namespace

tInstanceLock::tInstanceLock(const std::string& name, std::string runtimeFolder) {
    const std::string path = LockPath(name, runtimeFolder);
    if (path.empty()) return;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

tInstanceLock::~tInstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool tInstanceLock::IsTaken(const std::string& name, std::string runtimeFolder) {
    const std::string path = LockPath(name, runtimeFolder);
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;  // never taken since the folder was made
    int rc;
    do {
        rc = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    const bool taken = rc != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return taken;
}

}  // namespace cx
