#include "readings/HeldFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr long kProcMagic = 0x9fa0;       // PROC_SUPER_MAGIC
constexpr long kSysfsMagic = 0x62656572;  // SYSFS_MAGIC
// The first read asks for this much: a sysfs attribute never exceeds a page,
// and most /proc files fit.
constexpr size_t kInitialCapacity = 4096 + 1;

long FileSystemOf(int fd) {
    struct statfs info {};
    return fstatfs(fd, &info) == 0 ? static_cast<long>(info.f_type) : 0;
}

// pread that retries when a signal interrupts it.
ssize_t ReadAt(int fd, char* data, size_t size, size_t offset) {
    for (;;) {
        const ssize_t got = pread(fd, data, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) return got;
    }
}

// An ordinary file (or folder) whose last name was removed: deleted, or
// renamed over by a new one. Gives the file's size otherwise.
bool WasReplaced(int fd, size_t& size) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_nlink == 0) return true;
    size = info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0;
    return false;
}

bool WasReplaced(int fd) {
    size_t size = 0;
    return WasReplaced(fd, size);
}

}  // namespace

tHeldFile::tHeldFile(tHeldFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_sysfs(other.m_sysfs),
      m_kernel(other.m_kernel),
      m_path(std::move(other.m_path)) {}

tHeldFile& tHeldFile::operator=(tHeldFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_sysfs = other.m_sysfs;
        m_kernel = other.m_kernel;
        m_path = std::move(other.m_path);
    }
    return *this;
}

void tHeldFile::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

bool tHeldFile::Open(const std::string& path) {
    Close();
    m_path = path;
    m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return false;
    const long type = FileSystemOf(m_fd);
    m_sysfs = type == kSysfsMagic;
    m_kernel = m_sysfs || type == kProcMagic;
    return true;
}

bool tHeldFile::ReadOpen(std::string& buffer) {
    // An ordinary file tells its size: the read that reaches it has all of it.
    size_t knownSize = 0;
    if (!m_kernel && WasReplaced(m_fd, knownSize)) return false;
    if (buffer.capacity() < kInitialCapacity) buffer.reserve(kInitialCapacity);
    if (buffer.capacity() <= knownSize) buffer.reserve(knownSize + 1);
    size_t used = 0;
    for (;;) {
        if (used == buffer.capacity()) buffer.reserve(buffer.capacity() * 2);
        // Grow the string over its whole capacity so pread() can fill it.
        buffer.resize(buffer.capacity());
        const size_t wanted = buffer.size() - used;
        const ssize_t got = ReadAt(m_fd, buffer.data() + used, wanted, used);
        if (got < 0) {
            buffer.clear();
            return false;
        }
        used += static_cast<size_t>(got);
        // An attribute is made in one piece: a read that did not fill the
        // buffer has all of it. Other files are read until their end.
        const bool shortRead = static_cast<size_t>(got) < wanted;
        if (got == 0 || (shortRead && (m_sysfs || (!m_kernel && used >= knownSize)))) break;
    }
    buffer.resize(used);
    return true;
}

bool tHeldFile::Read(const std::string& path, std::string& buffer) {
    if (m_fd >= 0 && path == m_path) {
        if (ReadOpen(buffer)) return true;
        // Gone (a removed device answers with an error) or replaced: the
        // path may lead to its successor.
    }
    if (!Open(path) || !ReadOpen(buffer)) {
        Close();
        buffer.clear();
        return false;
    }
    return true;
}

bool tHeldFiles::Read(const std::string& path, std::string& buffer) {
    auto it = m_files.find(path);
    if (it != m_files.end()) {
        if (it->second.Read(path, buffer)) return true;
        m_files.erase(it);
        return false;
    }
    tHeldFile file;
    if (!file.Read(path, buffer)) return false;
    if (m_files.size() >= kMaximumHeld) m_files.clear();
    m_files.emplace(path, std::move(file));
    return true;
}

bool tHeldFiles::ReadInteger(const std::string& path, int64_t& value, std::string& buffer) {
    return Read(path, buffer) && ParseInteger(buffer, value);
}

void tHeldFolder::Close() {
    if (m_dir != nullptr) closedir(m_dir);
    m_dir = nullptr;
}

bool tHeldFolder::Open(const std::string& path) {
    Close();
    m_path = path;
    m_dir = opendir(path.c_str());
    if (m_dir == nullptr) return false;
    const long type = FileSystemOf(dirfd(m_dir));
    m_kernel = type == kSysfsMagic || type == kProcMagic;
    return true;
}

bool tHeldFolder::List(const std::string& path, std::vector<std::string>& names) {
    const bool held =
        m_dir != nullptr && path == m_path && (m_kernel || !WasReplaced(dirfd(m_dir)));
    if (held) {
        rewinddir(m_dir);
    } else if (!Open(path)) {
        names.clear();
        return false;
    }
    // The names overwrite the strings of the last listing, so an unchanged
    // folder costs no allocation.
    size_t count = 0;
    errno = 0;
    while (const dirent* entry = readdir(m_dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (count < names.size())
            names[count].assign(name);
        else
            names.emplace_back(name);
        ++count;
    }
    if (errno != 0) {
        // A folder that went away while it was listed.
        Close();
        names.clear();
        return false;
    }
    names.resize(count);
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace cx
