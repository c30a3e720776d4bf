#include "settings/ShellHelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace cx {
namespace {

using tArgv = std::vector<std::string>;

tRegistryValues BrowserRegistry(const std::string& command) {
    return tRegistryValues::FromText(
        "[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\n@=" + command + "\n");
}

TEST(ShellHelpers, PlatformHasThePrivilegeModel) {
    EXPECT_EQ(WindowsPlatform(), 2);
}

TEST(ShellHelpers, BrowserCommandPlacesTheAddress) {
    const std::string url = "https://example.org/a?b=1&c=2";
    EXPECT_EQ(BrowserCommand("firefox", url), (tArgv{"firefox", url}));
    EXPECT_EQ(BrowserCommand("\"/opt/my browser/run\" -new-tab \"%1\"", url),
              (tArgv{"/opt/my browser/run", "-new-tab", url}));
    EXPECT_EQ(BrowserCommand("browser --url=%1 --again %1", url),
              (tArgv{"browser", "--url=" + url, "--again", url}));
    // An address with blanks and quotes stays one argument.
    EXPECT_EQ(BrowserCommand("browser %1", "x\" --evil \"y"), (tArgv{"browser", "x\" --evil \"y"}));
    EXPECT_TRUE(BrowserCommand("", url).empty());
}

TEST(ShellHelpers, OpenURLUsesTheRegisteredBrowserElseXdgOpen) {
    tRecordingLauncher launcher;
    OpenURL("http://a.example/", BrowserRegistry("chromium %1"), launcher);
    OpenURL("http://b.example/", BrowserRegistry("chromium"), launcher);
    OpenURL("http://c.example/", tRegistryValues(), launcher);
    OpenURL("http://d.example/", BrowserRegistry(""), launcher);
    ASSERT_EQ(launcher.started.size(), 4u);
    EXPECT_EQ(launcher.started[0], (tArgv{"chromium", "http://a.example/"}));
    EXPECT_EQ(launcher.started[1], (tArgv{"chromium", "http://b.example/"}));
    EXPECT_EQ(launcher.started[2], (tArgv{"xdg-open", "http://c.example/"}));
    EXPECT_EQ(launcher.started[3], (tArgv{"xdg-open", "http://d.example/"}));
}

TEST(ShellHelpers, OpenTextFileCreatesMissingFilesInTheSettingsFolder) {
    test::tTempDir dir;
    dir.Write("CXLight.txt", "kept");
    tRecordingLauncher launcher;
    EXPECT_TRUE(OpenTextFile("CXLight.txt", dir.Dir(), launcher));
    EXPECT_TRUE(OpenTextFile("notes.txt", dir.Dir(), launcher));
    EXPECT_EQ(dir.Read("CXLight.txt"), "kept");
    EXPECT_TRUE(std::filesystem::exists(dir / "notes.txt"));
    EXPECT_EQ(dir.Read("notes.txt"), "");
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[1], (tArgv{"xdg-open", (dir / "notes.txt").string()}));
    EXPECT_EQ(launcher.workingDirs[1], dir.Dir());
    EXPECT_FALSE(OpenTextFile("no/such/folder/x.txt", dir.Dir(), launcher));
    EXPECT_EQ(launcher.started.size(), 2u);
}

// The power requests the backend received, without the queries around them.
tArgv Actions(const tRecordingPowerBackend& power) {
    tArgv actions;
    for (const std::string& call : power.calls) {
        if (call.starts_with("PowerOff") || call.starts_with("Suspend ")) actions.push_back(call);
    }
    return actions;
}

TEST(ShellHelpers, PowerActionsGoThroughTheBackend) {
    tRecordingPowerBackend power;
    ShutdownWindows(power, EWX_SHUTDOWN | EWX_POWEROFF);
    ShutdownWindows(power, EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCE);
    ShutdownWindows(power, 0);  // a log-off request is not offered
    SuspendMachine(power, 1, false);
    SuspendMachine(power, 2, true);
    EXPECT_EQ(Actions(power),
              (tArgv{"PowerOff force=0", "PowerOff force=1", "Suspend hibernate=0 force=0",
                     "Suspend hibernate=1 force=1"}));
}

TEST(ShellHelpers, SuspendWithdrawsKeepAwakeRequests) {
    tRecordingPowerBackend power;
    SetExecutionState(power, ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    SuspendMachine(power, 1, false);
    // The request held before the suspension is gone afterwards.
    EXPECT_EQ(SetExecutionState(power, ES_CONTINUOUS), 0u);
    EXPECT_EQ(Actions(power), (tArgv{"Suspend hibernate=0 force=0"}));
}

TEST(ShellHelpers, NothingHappensWithoutThePrivilege) {
    tRecordingPowerBackend power;
    power.privilege = false;
    ShutdownWindows(power, EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCE);
    SuspendMachine(power, 1, true);
    EXPECT_TRUE(Actions(power).empty());
}

TEST(ShellHelpers, CapabilitiesAndExecutionState) {
    tRecordingPowerBackend power;
    power.capabilities = {true, false};
    const tPowerCapabilities caps = PowerCapabilities(power);
    EXPECT_TRUE(caps.hibernateAllowed);
    EXPECT_FALSE(caps.suspendAllowed);
    SetExecutionState(power, ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_EQ(SetExecutionState(power, ES_CONTINUOUS), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

TEST(ShellHelpers, IdleSeconds) {
    test::tTempDir dir;
    const bool debug = true;
    const tEventLog events(dir / "CXEvents.txt", debug);
    EXPECT_EQ(IdleSeconds(events, [] { return int64_t{61999}; }), 61);
    EXPECT_EQ(IdleSeconds(events, [] { return int64_t{-1}; }), -1);
    EXPECT_EQ(dir.Read("CXEvents.txt"), "");
    EXPECT_EQ(IdleSeconds(events, []() -> int64_t { throw std::runtime_error("no display"); }), -1);
    EXPECT_NE(dir.Read("CXEvents.txt").find("] gis no display"), std::string::npos);
}

}  // namespace
}  // namespace cx
