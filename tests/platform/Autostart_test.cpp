#include "platform/Autostart.h"

#include <gtest/gtest.h>

#include "platform/EnvGuard.h"
#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

TEST(Autostart, WritesQueriesAndDeletesTheMachineEntry) {
    test::tTempDir dir;
    tAutostart autostart({dir / "etc" / "autostart", dir / "home" / "autostart"});
    EXPECT_FALSE(autostart.MachineEntryExists());
    EXPECT_TRUE(autostart.CanOpenMachineEntry());  // the folder is created on the way
    ASSERT_TRUE(autostart.WriteMachineEntry("\"/opt/calorix/calorix\""));
    EXPECT_TRUE(autostart.MachineEntryExists());
    EXPECT_EQ(dir.Read("etc/autostart/calorix.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Calorix\n"
              "Exec=/opt/calorix/calorix\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(autostart.DeleteMachineEntry());
    EXPECT_FALSE(autostart.MachineEntryExists());
    EXPECT_TRUE(autostart.DeleteMachineEntry()) << "an entry already gone counts as deleted";
}

TEST(Autostart, ExecLineQuotesAndEscapesByTheDesktopEntryRules) {
    test::tTempDir dir;
    tAutostart autostart({dir / "machine", dir / "user"});
    const struct {
        const char* command;
        const char* exec;
    } cases[] = {
        {"\"/opt/my programs/calorix\" -debug", "Exec=\"/opt/my programs/calorix\" -debug\n"},
        {"'/opt/100%/calorix'", "Exec=/opt/100%%/calorix\n"},
        {"'/opt/a$b/calorix'", "Exec=\"/opt/a\\\\$b/calorix\"\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(autostart.WriteMachineEntry(c.command)) << c.command;
        EXPECT_NE(dir.Read("machine/calorix.desktop").find(c.exec), std::string::npos)
            << c.command << "\n"
            << dir.Read("machine/calorix.desktop");
    }
}

TEST(Autostart, RefusesCommandsThatWouldBreakTheFile) {
    test::tTempDir dir;
    tAutostart autostart({dir / "machine", dir / "user"});
    EXPECT_FALSE(autostart.WriteMachineEntry("/opt/calorix\nHidden=true"));
    EXPECT_FALSE(autostart.WriteMachineEntry(""));
    EXPECT_FALSE(autostart.MachineEntryExists());

    dir.Write("blocked", "a file where the folder should be");
    tAutostart blocked({dir / "blocked" / "autostart", dir / "user"});
    EXPECT_FALSE(blocked.CanOpenMachineEntry());
    EXPECT_FALSE(blocked.WriteMachineEntry("/opt/calorix"));
}

TEST(Autostart, DeletesTheOlderUserEntry) {
    test::tTempDir dir;
    dir.Write("user/calorix.desktop", "[Desktop Entry]\n");
    dir.Write("user/other.desktop", "[Desktop Entry]\n");
    tAutostart autostart({dir / "machine", dir / "user"});
    EXPECT_TRUE(autostart.DeleteUserEntry());
    EXPECT_FALSE(fs::exists(dir / "user" / "calorix.desktop"));
    EXPECT_TRUE(fs::exists(dir / "user" / "other.desktop"));
    EXPECT_TRUE(autostart.DeleteUserEntry());
}

TEST(Autostart, DefaultFoldersFollowTheEnvironment) {
    test::tEnvGuard home("HOME", "/home/someone");
    {
        test::tEnvGuard config("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(DefaultAutostartFolders().user, fs::path("/cfg/autostart"));
    }
    test::tEnvGuard config("XDG_CONFIG_HOME", nullptr);
    const tAutostartFolders folders = DefaultAutostartFolders();
    EXPECT_EQ(folders.machine, fs::path("/etc/xdg/autostart"));
    EXPECT_EQ(folders.user, fs::path("/home/someone/.config/autostart"));
}

}  // namespace
}  // namespace cx
