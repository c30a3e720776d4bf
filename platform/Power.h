#pragma once
// Power capabilities and actions. The real backend talks to systemd-logind;
// the recording backend only writes down what it was asked, and every test
// uses it: setting CALORIX_POWER_RECORD=<file> in the environment makes
// DefaultPowerBackend() a recording backend that appends one line per call
// to that file, so even programs started by a test never act for real.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cx {

// Flags of SetExecutionState, as the system's callers pass them.
inline constexpr uint32_t ES_SYSTEM_REQUIRED = 0x00000001;
inline constexpr uint32_t ES_DISPLAY_REQUIRED = 0x00000002;
inline constexpr uint32_t ES_CONTINUOUS = 0x80000000;

// Exit flags of ShutdownWindows.
inline constexpr uint16_t EWX_SHUTDOWN = 1;
inline constexpr uint16_t EWX_FORCE = 4;
inline constexpr uint16_t EWX_POWEROFF = 8;

struct tPowerCapabilities {
    bool hibernateAllowed = false;
    bool suspendAllowed = false;
};

class IPowerBackend {
public:
    virtual ~IPowerBackend() = default;
    virtual tPowerCapabilities Capabilities() = 0;
    // Whether this process may power the machine off (logind's CanPowerOff).
    virtual bool EnableShutdownPrivilege() = 0;
    // Powers off; `force` skips the inhibitors of other programs.
    virtual void PowerOff(bool force) = 0;
    // Suspends to RAM, or hibernates.
    virtual void Suspend(bool hibernate, bool force) = 0;
    // Holds or releases a keep-awake request; returns the previous state
    // (0 when none was held or the service is unavailable).
    virtual uint32_t SetExecutionState(uint32_t flags) = 0;
};

// Answers from the fields below and records every action (not the queries).
// SetExecutionState keeps the standing request as the real backend does.
class tRecordingPowerBackend : public IPowerBackend {
public:
    tPowerCapabilities capabilities;
    bool privilege = true;
    // "PowerOff force=1", "Suspend hibernate=0 force=0", "SetExecutionState 0x80000001"
    std::vector<std::string> calls;
    std::string recordFile;  // when set, each call is also appended there

    tPowerCapabilities Capabilities() override;
    bool EnableShutdownPrivilege() override;
    void PowerOff(bool force) override;
    void Suspend(bool hibernate, bool force) override;
    uint32_t SetExecutionState(uint32_t flags) override;

private:
    uint32_t m_state = 0;
    void Record(const std::string& line);
};

// systemd-logind on the system bus. Capabilities are CanHibernate and
// CanSuspend ("yes" or "challenge"), the privilege is CanPowerOff; the
// actions are never interactive and, unless forced, respect other programs'
// inhibitors. A keep-awake request holds a "sleep:idle" inhibitor. Without a
// reachable bus every question answers "not allowed" and every action does
// nothing.
class tLogindPowerBackend : public IPowerBackend {
public:
    tLogindPowerBackend() = default;
    ~tLogindPowerBackend() override;
    tLogindPowerBackend(const tLogindPowerBackend&) = delete;
    tLogindPowerBackend& operator=(const tLogindPowerBackend&) = delete;

    tPowerCapabilities Capabilities() override;
    bool EnableShutdownPrivilege() override;
    void PowerOff(bool force) override;
    void Suspend(bool hibernate, bool force) override;
    uint32_t SetExecutionState(uint32_t flags) override;

private:
    std::mutex m_mutex;
    uint32_t m_state = 0;
    int m_inhibitFd = -1;
};

// The backend of this process: logind, or the recording one when
// CALORIX_POWER_RECORD is set (looked at each call; each thread then has its
// own recording backend, all appending to that file).
IPowerBackend& DefaultPowerBackend();

}  // namespace cx
