// Shell, power and idle helpers over the platform's backends.
#include "settings/ShellHelpers.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Idle.h"
#include "platform/Syslog.h"

namespace cx {
namespace {

constexpr std::string_view kAddressMark = "%1";

std::string ReplaceAll(std::string text, std::string_view mark, std::string_view replacement) {
    size_t at = 0;
    while ((at = text.find(mark, at)) != std::string::npos) {
        text.replace(at, mark.size(), replacement);
        at += replacement.size();
    }
    return text;
}

// Whether the privilege the power actions need is there on this platform.
bool MayAct(IPowerBackend& power) {
    const int platform = WindowsPlatform();
    if (platform == kPlatformPrivileges) return EnableShutdownPrivilege(power);
    return platform == kPlatformNoPrivileges;
}

}  // namespace

int WindowsPlatform() {
    return kPlatformPrivileges;
}

uint32_t SetExecutionState(IPowerBackend& power, uint32_t flags) {
    return power.SetExecutionState(flags);
}

std::vector<std::string> BrowserCommand(std::string_view commandLine, std::string_view address) {
    std::vector<std::string> words = SplitCommandLine(std::string(commandLine));
    bool placed = false;
    for (std::string& word : words) {
        if (word.find(kAddressMark) == std::string::npos) continue;
        word = ReplaceAll(std::move(word), kAddressMark, address);
        placed = true;
    }
    if (!placed && !words.empty()) words.emplace_back(address);
    return words;
}

void OpenURL(std::string_view address, const tRegistryValues& registry,
             IProcessLauncher& launcher) {
    const std::optional<std::string> command = registry.Read(kBrowserCommandKey, "@");
    std::vector<std::string> argv;
    if (command) argv = BrowserCommand(*command, address);
    if (argv.empty()) {
        ShellOpen(launcher, std::string(address));
        return;
    }
    launcher.Start(argv, {});
}

void OpenURL(std::string_view address) {
    OpenURL(address, tRegistryValues::Load(DefaultRegistryValuesFile()), DefaultLauncher());
}

bool OpenTextFile(std::string_view name, const std::string& settingsDir,
                  IProcessLauncher& launcher) {
    std::filesystem::path file(name);
    if (file.is_relative()) file = std::filesystem::path(settingsDir) / file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        // Opening for appending creates the file without touching one that
        // appeared meanwhile.
        std::ofstream create(file, std::ios::app | std::ios::binary);
        if (!create) return false;
    }
    return ShellOpen(launcher, file.string(), settingsDir);
}

void ReportWindowsEvent(int eventId, const std::string& text) {
    ReportSyslogWarning(eventId, text);
}

tPowerCapabilities PowerCapabilities(IPowerBackend& power) {
    try {
        return power.Capabilities();
    } catch (const std::exception&) {
        // A backend that cannot answer means neither action is offered.
        return tPowerCapabilities{};
    }
}

bool EnableShutdownPrivilege(IPowerBackend& power) {
    return power.EnableShutdownPrivilege();
}

void ShutdownWindows(IPowerBackend& power, uint16_t exitFlags) {
    if ((exitFlags & (EWX_SHUTDOWN | EWX_POWEROFF)) == 0) return;
    if (!MayAct(power)) return;
    power.PowerOff((exitFlags & EWX_FORCE) != 0);
}

void SuspendMachine(IPowerBackend& power, uint8_t kind, bool force) {
    SetExecutionState(power, ES_CONTINUOUS);
    if (!MayAct(power)) return;
    power.Suspend(kind != kSuspendStandby, force);
}

int64_t IdleSeconds(const tEventLog& events) {
    return IdleSeconds(events, IdleMilliseconds);
}

int64_t IdleSeconds(const tEventLog& events, const tIdleMillisecondsSource& idleMilliseconds) {
    try {
        const int64_t ms = idleMilliseconds();
        return ms < 0 ? -1 : ms / 1000;
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("gis ") + e.what());
        return -1;
    }
}

}  // namespace cx
