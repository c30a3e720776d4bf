// Whole-file reads and torn-free whole-file writes over plain POSIX calls, so
// that every failure is seen where it happens and reported with errno's text.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace cx {

namespace {

// Closes a descriptor when its owner goes out of scope.
class tFd {
public:
    explicit tFd(int fd) : m_fd(fd) {}
    ~tFd() { Close(); }
    tFd(const tFd&) = delete;
    tFd& operator=(const tFd&) = delete;
    int Get() const { return m_fd; }
    // Closes now; false when close reports an error (a delayed write error on some file systems).
    bool Close() {
        if (m_fd < 0) return true;
        int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }

private:
    int m_fd;
};

void SetError(std::string* error, const std::string& step) {
    if (error != nullptr) *error = step + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view content) {
    const char* data = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// The hidden name beside `file` that its temporary files start with; six
// random characters follow.
std::string TemporaryNamePrefix(const std::filesystem::path& file) {
    std::string prefix(1, '.');
    prefix.append(file.filename().string());
    prefix.append(".tmp-");
    return prefix;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    tFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;

    std::string content;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        content.reserve(static_cast<size_t>(info.st_size));
    }
    // Read until the end rather than trusting st_size: /proc files report 0.
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<size_t>(got));
    }
    return content;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view content, mode_t mode,
                         bool forceMode, std::string* error) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";

    // An existing file keeps its permission bits; a symbolic link is written
    // through, so the file it names is replaced and the link stays.
    std::filesystem::path target = file;
    std::error_code ec;
    if (std::filesystem::is_symlink(file, ec)) {
        std::filesystem::path resolved = std::filesystem::canonical(file, ec);
        if (!ec) {
            target = resolved;
            folder = target.parent_path();
        }
    }
    mode_t finalMode = mode;
    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        if (error != nullptr) *error = "target is a directory";
        return false;
    }
    if (exists && !forceMode) finalMode = existing.st_mode & 07777;

    std::string tempName = (folder / TemporaryNamePrefix(target)).string() + "XXXXXX";
    tFd fd(::mkstemp(tempName.data()));
    if (fd.Get() < 0) {
        SetError(error, "create temporary file");
        return false;
    }

    auto fail = [&](const std::string& step) {
        SetError(error, step);
        fd.Close();
        ::unlink(tempName.c_str());
        return false;
    };

    if (::fchmod(fd.Get(), finalMode) != 0) return fail("set mode");
    if (exists && geteuid() == 0) {
        // Root rewriting a user's file must not hand it over to root.
        if (::fchown(fd.Get(), existing.st_uid, existing.st_gid) != 0) return fail("set owner");
    }
    if (!WriteAll(fd.Get(), content)) return fail("write");
    if (::fsync(fd.Get()) != 0) return fail("flush");
    if (!fd.Close()) {
        SetError(error, "close");
        ::unlink(tempName.c_str());
        return false;
    }
    if (::rename(tempName.c_str(), target.c_str()) != 0) {
        SetError(error, "rename");
        ::unlink(tempName.c_str());
        return false;
    }

    // The rename is durable only once the folder itself is flushed. The new
    // content is in place already, so a failure here is not a failed write.
    tFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.Get() >= 0) ::fsync(dirFd.Get());
    return true;
}

bool AppendLineToFile(const std::filesystem::path& file, std::string_view line) {
    tFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (fd.Get() < 0) return false;
    std::string text(line);
    text += '\n';
    return WriteAll(fd.Get(), text) && fd.Close();
}

int RemoveLeftoverTemporaryFiles(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const std::string prefix = TemporaryNamePrefix(file);
    std::error_code ec;
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!entry.is_regular_file(ec)) continue;
        if (std::filesystem::remove(entry.path(), ec)) ++removed;
    }
    return removed;
}

}  // namespace cx
