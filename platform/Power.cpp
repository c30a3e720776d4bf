// Power capabilities and actions through systemd-logind on the system bus,
// and the recording backend that tests and test-started programs use.
#include "platform/Power.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/AtomicFile.h"

namespace cx {

namespace {

constexpr const char* kLogindService = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";
// Makes logind honour other programs' block inhibitors even for root; the
// default of root is to override them, which only a forced action may do.
constexpr uint64_t kCheckInhibitorsFlag = 1;
constexpr uint64_t kMethodTimeoutMicroseconds = 10 * 1000 * 1000;

// One connection to the system bus for the length of one request.
class tSystemBus {
public:
    tSystemBus() {
        if (sd_bus_open_system(&m_bus) < 0) {
            m_bus = nullptr;
            return;
        }
        // A hung service must not hang the caller for the library's default 25 s.
        sd_bus_set_method_call_timeout(m_bus, kMethodTimeoutMicroseconds);
    }
    ~tSystemBus() {
        if (m_bus != nullptr) sd_bus_flush_close_unref(m_bus);
    }
    tSystemBus(const tSystemBus&) = delete;
    tSystemBus& operator=(const tSystemBus&) = delete;
    sd_bus* Get() const { return m_bus; }

private:
    sd_bus* m_bus = nullptr;
};

// A reply and the error of one call, released together.
struct tCall {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    ~tCall() {
        sd_bus_error_free(&error);
        if (reply != nullptr) sd_bus_message_unref(reply);
    }
};

// Asks one of logind's Can... questions; "yes" and "challenge" (allowed after
// the user authenticates) count as allowed, anything else and every failure not.
bool LogindAllows(const char* method) {
    tSystemBus bus;
    if (bus.Get() == nullptr) return false;
    tCall call;
    if (sd_bus_call_method(bus.Get(), kLogindService, kLogindPath, kLogindManager, method,
                           &call.error, &call.reply, "") < 0) {
        return false;
    }
    const char* answer = nullptr;
    if (sd_bus_message_read(call.reply, "s", &answer) < 0 || answer == nullptr) return false;
    const std::string text = answer;
    return text == "yes" || text == "challenge";
}

// Calls PowerOff, Suspend or Hibernate. Without `force` the ...WithFlags form
// asks logind to respect inhibitors; a logind that lacks it gets the plain
// call. The result is not examined: a refused action simply does not happen.
void LogindAct(const std::string& method, bool force) {
    tSystemBus bus;
    if (bus.Get() == nullptr) return;
    if (!force) {
        tCall call;
        const std::string withFlags = method + "WithFlags";
        if (sd_bus_call_method(bus.Get(), kLogindService, kLogindPath, kLogindManager,
                               withFlags.c_str(), &call.error, &call.reply, "t",
                               kCheckInhibitorsFlag) >= 0 ||
            !sd_bus_error_has_name(&call.error, SD_BUS_ERROR_UNKNOWN_METHOD)) {
            return;
        }
    }
    tCall call;
    sd_bus_call_method(bus.Get(), kLogindService, kLogindPath, kLogindManager, method.c_str(),
                       &call.error, &call.reply, "b", 0);
}

std::string FlagsText(uint32_t flags) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", flags);
    return text;
}

// The standing keep-awake request after a call with `flags`: a continuous
// call with a required flag sets it, a continuous call without clears it,
// and a one-time call leaves it.
uint32_t NextState(uint32_t current, uint32_t flags) {
    if ((flags & ES_CONTINUOUS) == 0) return current;
    return (flags & (ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED)) != 0 ? flags : 0;
}

}  // namespace

// Queries only answer; the record holds what would have acted on the machine.
tPowerCapabilities tRecordingPowerBackend::Capabilities() {
    return capabilities;
}

bool tRecordingPowerBackend::EnableShutdownPrivilege() {
    return privilege;
}

void tRecordingPowerBackend::PowerOff(bool force) {
    Record(std::string("PowerOff force=") + (force ? "1" : "0"));
}

void tRecordingPowerBackend::Suspend(bool hibernate, bool force) {
    Record(std::string("Suspend hibernate=") + (hibernate ? "1" : "0") +
           " force=" + (force ? "1" : "0"));
}

uint32_t tRecordingPowerBackend::SetExecutionState(uint32_t flags) {
    Record("SetExecutionState " + FlagsText(flags));
    const uint32_t previous = m_state;
    m_state = NextState(m_state, flags);
    return previous;
}

void tRecordingPowerBackend::Record(const std::string& line) {
    calls.push_back(line);
    if (!recordFile.empty()) AppendLineToFile(recordFile, line);
}

tLogindPowerBackend::~tLogindPowerBackend() {
    if (m_inhibitFd >= 0) ::close(m_inhibitFd);
}

tPowerCapabilities tLogindPowerBackend::Capabilities() {
    tPowerCapabilities result;
    result.hibernateAllowed = LogindAllows("CanHibernate");
    result.suspendAllowed = LogindAllows("CanSuspend");
    return result;
}

bool tLogindPowerBackend::EnableShutdownPrivilege() {
    return LogindAllows("CanPowerOff");
}

void tLogindPowerBackend::PowerOff(bool force) {
    LogindAct("PowerOff", force);
}

void tLogindPowerBackend::Suspend(bool hibernate, bool force) {
    LogindAct(hibernate ? "Hibernate" : "Suspend", force);
}

uint32_t tLogindPowerBackend::SetExecutionState(uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint32_t previous = m_state;
    const uint32_t next = NextState(m_state, flags);
    if (next != 0 && m_inhibitFd < 0) {
        // logind holds the inhibitor for as long as we keep its descriptor open.
        tSystemBus bus;
        if (bus.Get() == nullptr) return 0;
        tCall call;
        if (sd_bus_call_method(bus.Get(), kLogindService, kLogindPath, kLogindManager, "Inhibit",
                               &call.error, &call.reply, "ssss", "sleep:idle", "Calorix",
                               "Keeping the machine awake while Calorix needs it", "block") < 0) {
            return 0;
        }
        int fd = -1;
        if (sd_bus_message_read(call.reply, "h", &fd) < 0 || fd < 0) return 0;
        // The descriptor belongs to the reply message; keep a copy of our own.
        m_inhibitFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (m_inhibitFd < 0) return 0;
    } else if (next == 0 && m_inhibitFd >= 0) {
        ::close(m_inhibitFd);
        m_inhibitFd = -1;
    }
    m_state = next;
    return previous;
}

IPowerBackend& DefaultPowerBackend() {
    static tLogindPowerBackend logind;
    const char* record = std::getenv("CALORIX_POWER_RECORD");
    if (record == nullptr || *record == '\0') return logind;
    // Each thread records into its own list; the file gets every line.
    thread_local tRecordingPowerBackend recording;
    recording.recordFile = record;
    return recording;
}

}  // namespace cx
