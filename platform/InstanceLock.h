#pragma once
// The single-instance locks of the programs ("Calorix", "CXOptions",
// "CXSysInfo"): a lock on the file "<name>.lock" in the runtime folder, held
// for as long as the object lives and released by the kernel when the
// process dies, however it dies.
#include <string>

namespace cx {

class tInstanceLock {
public:
    // Tries to take the lock; IsHeld() tells whether it was free. An empty
    // folder means RuntimeFolder().
    explicit tInstanceLock(const std::string& name, std::string runtimeFolder = {});
    ~tInstanceLock();
    tInstanceLock(const tInstanceLock&) = delete;
    tInstanceLock& operator=(const tInstanceLock&) = delete;

    bool IsHeld() const { return m_fd >= 0; }

    // Whether some process holds the named lock right now.
    static bool IsTaken(const std::string& name, std::string runtimeFolder = {});

private:
    int m_fd = -1;
};

}  // namespace cx
