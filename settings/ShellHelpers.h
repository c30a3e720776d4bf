#pragma once
// Small operating-system routines shared by the programs: the platform query,
// opening an address or a file with the user's programs, the system event
// log, the power actions and the user's idle time. Power actions go through an
// IPowerBackend and programs are started through an IProcessLauncher, so tests
// pass recording ones and nothing ever acts on the machine.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Power.h"
#include "platform/Processes.h"
#include "settings/EventLog.h"
#include "settings/RegistryValues.h"

namespace cx {

// Platform codes: 1 = the family without a privilege model, 2 = the family
// with one. This system always runs as 2: power actions need the privilege.
inline constexpr int kPlatformNoPrivileges = 1;
inline constexpr int kPlatformPrivileges = 2;
int WindowsPlatform();

// Holds or releases a keep-awake request; the previous state, 0 when the
// service is unavailable.
uint32_t SetExecutionState(IPowerBackend& power, uint32_t flags);

// Where the registered browser command lives among the registry values.
inline constexpr std::string_view kBrowserCommandKey =
    "HKEY_CLASSES_ROOT\\http\\shell\\open\\command";

// The program and arguments that open `address` with a browser command line:
// every "%1" becomes the address (a command without one gets the address as a
// last argument). The command is split into words before the address goes in,
// so an address with blanks or quotes always stays one argument.
std::vector<std::string> BrowserCommand(std::string_view commandLine, std::string_view address);

// Opens an address with the registered browser command, or with the desktop's
// "open" when none is registered. A failing start is ignored.
void OpenURL(std::string_view address, const tRegistryValues& registry, IProcessLauncher& launcher);

// Opens a text file with the desktop's "open", in the settings folder (where
// relative names are taken). A missing file is created empty first. False
// when the file could not be created or the opener could not start.
bool OpenTextFile(std::string_view name, const std::string& settingsDir,
                  IProcessLauncher& launcher);

// One warning in the system log (syslog, ident "Calorix"); errors are swallowed.
void ReportWindowsEvent(int eventId, const std::string& text);

// Whether hibernation and standby are possible; both false when asking fails.
tPowerCapabilities PowerCapabilities(IPowerBackend& power);

// Whether this process may power the machine off.
bool EnableShutdownPrivilege(IPowerBackend& power);

// Exit flags as the callers pass them (EWX_SHUTDOWN 1, EWX_FORCE 4,
// EWX_POWEROFF 8): a shut-down or power-off request powers the machine off,
// forced when EWX_FORCE is set, once the privilege is there. Other requests
// (log off, restart) are not offered here and do nothing.
void ShutdownWindows(IPowerBackend& power, uint16_t exitFlags);

// Suspend kinds: 1 = standby (suspend to RAM), anything else = hibernate.
inline constexpr uint8_t kSuspendStandby = 1;
// Withdraws any keep-awake request, then suspends or hibernates once the
// privilege is there.
void SuspendMachine(IPowerBackend& power, uint8_t kind, bool force);

// Whole seconds since the last keyboard or mouse input, or -1 when unknown. A
// failure of the query is logged as "gis ".
using tIdleMillisecondsSource = std::function<int64_t()>;
int64_t IdleSeconds(const tEventLog& events);
int64_t IdleSeconds(const tEventLog& events, const tIdleMillisecondsSource& idleMilliseconds);

}  // namespace cx
