#pragma once
// Files and folders that the reading pass reads every 20 s, kept open between
// passes. Opening, reading to the end and closing a /proc or /sys file costs
// four system calls; reading a held one again from its start costs one. The
// kernel regenerates the content of its files on every read at offset 0, and a
// file of a device that went away answers with an error, which reopens the
// path. Files of ordinary file systems (the fake trees of the tests, or a
// --root tree) are checked for replacement on every read, so a file that was
// deleted or renamed over is never read stale.
#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace cx {

// One held file. Read() opens the path on first use, when the path changes or
// when the held file is gone, and reads the whole content into `buffer`,
// reusing its capacity.
class tHeldFile {
public:
    tHeldFile() = default;
    tHeldFile(tHeldFile&& other) noexcept;
    tHeldFile& operator=(tHeldFile&& other) noexcept;
    tHeldFile(const tHeldFile&) = delete;
    tHeldFile& operator=(const tHeldFile&) = delete;
    ~tHeldFile() { Close(); }

    // False (and an empty buffer) when the file cannot be opened or read.
    bool Read(const std::string& path, std::string& buffer);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

private:
    bool Open(const std::string& path);
    // Reads the open file; false on an error or when an ordinary file was
    // replaced since it was opened.
    bool ReadOpen(std::string& buffer);

    int m_fd = -1;
    bool m_sysfs = false;   // one attribute per file: a short read is all of it
    bool m_kernel = false;  // /proc or /sys: content made anew on each read
    std::string m_path;
};

// Held files by path, for readers whose set of files follows the devices
// found. A file that cannot be opened is not held; one that stops answering is
// let go. The number held is bounded, so a machine whose devices come and go
// never runs out of descriptors.
class tHeldFiles {
public:
    bool Read(const std::string& path, std::string& buffer);
    // The file's content as one integer (a sysfs attribute such as "42000\n").
    bool ReadInteger(const std::string& path, int64_t& value, std::string& buffer);
    void Clear() { m_files.clear(); }
    size_t Count() const { return m_files.size(); }

private:
    static constexpr size_t kMaximumHeld = 256;
    std::unordered_map<std::string, tHeldFile> m_files;
};

// A folder held open and listed again from its start on each call: the names
// except "." and "..", sorted, reusing `names`. False (and no names) when the
// folder cannot be opened.
class tHeldFolder {
public:
    tHeldFolder() = default;
    tHeldFolder(const tHeldFolder&) = delete;
    tHeldFolder& operator=(const tHeldFolder&) = delete;
    ~tHeldFolder() { Close(); }

    bool List(const std::string& path, std::vector<std::string>& names);
    void Close();
    // True when the folder last listed is one of the kernel's own (/proc,
    // /sys), not a copy in an ordinary folder.
    bool IsKernelFolder() const { return m_dir != nullptr && m_kernel; }

private:
    bool Open(const std::string& path);

    DIR* m_dir = nullptr;
    bool m_kernel = false;
    std::string m_path;
};

}  // namespace cx
