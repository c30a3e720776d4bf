#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "SettingsFixture.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// Every field that SaveSettings writes, away from its default.
tSettings NonDefault(const test::tSettingsFixture& f) {
    tSettings s;
    for (size_t n = 0; n < 10; ++n) {
        s.nameT[n] = "Temp " + std::to_string(n) + " \xC2\xB0";
        s.nameV[n] = "Volt" + std::to_string(n);
        s.nameF[n] = "Fan=" + std::to_string(n);
        s.visT[n] = 2;
        s.visV[n] = 1;
        s.visF[n] = true;
        s.colT[n] = 0x010101 * (n + 1);
        s.colV[n] = 0x020202 * (n + 1);
        s.colF[n] = 0x030303 * (n + 1);
        s.boldT[n] = s.boldV[n] = s.boldF[n] = false;
    }
    for (size_t n = 0; n < kCpuSlots; ++n) {
        s.nameCPU[n] = "cpu" + std::to_string(n);
        s.visCPU[n] = false;
        s.nameNet[n] = "eth" + std::to_string(n);
        s.macNet[n] = "00:11:22:33:44:5" + std::to_string(n);
        s.visNet[n] = false;
        s.colCPU[n] = 0x111111 + n;
        s.boldCPU[n] = false;
        s.colRNet[n] = 0x222222 + n;
        s.colSNet[n] = 0x333333 + n;
    }
    for (size_t n = 0; n < kDiskSlots; ++n) {
        s.driveDisk[n] = "/mnt/d" + std::to_string(n);
        s.visDisk[n] = false;
        s.enalDisk[n] = true;
        s.alertDisk[n] = 5000000000LL + static_cast<int64_t>(n);
        s.colDisk[n] = 0x444444 + n;
    }
    s.TAutoStats = s.TAutoBanner = s.FAuto = s.MemAuto = s.NetAuto = s.NetLog = false;
    s.NetSep = true;
    s.Page = 0;
    s.visMem = 2;
    s.visCache = 0;
    s.visBat = false;
    s.Light = "l.gif";
    s.SaveLight = s.UploadLight = false;
    s.MiniLight = true;
    s.Banner = "b.gif";
    s.SaveBanner = s.UploadBanner = true;
    s.SpanBanner = 12.5;
    s.SpanStats = 0.25;
    s.EmergencySuspend = true;
    s.POBeep = false;
    s.ReadTemp = 5000;
    s.LocalPath = "/srv/pictures/";
    s.AquaeroPath = s.BOINCPath = f.context.settingsDirectory;
    s.AutoConnect = s.ShowWarning = s.CheckForUpdate = s.CheckForUpdateSpeedFan = false;
    s.Mini = true;
    s.LangFile = "Deutsch.lng";
    s.German = true;
    s.AutostartSpeedFan = false;
    s.Debug = true;
    s.SaveLog = s.KeepMemoryLow = s.IgnoreNonsense = s.ShowOfflineTime = false;
    s.AcceptZeroValue = s.TimeInUTC = true;
    s.OnTopLBT = s.DisplayDateTime = s.DisplayHint = false;
    s.IncludeStaticData = s.TimeStampMail = s.Beta = true;
    for (bool* source :
         {&s.ReadCPUCooL,      &s.ReadCPUID,     &s.ReadVCool,   &s.ReadHMonitor, &s.ReadSpeedFan,
          &s.ReadAtiTool,      &s.ReadRivaTuner, &s.ReadMBM5190, &s.ReadMBM5107,  &s.ReadMBM509x,
          &s.ReadMobileMeter,  &s.ReadFreq,      &s.ReadCPU,     &s.ReadNet,      &s.ReadDisk,
          &s.ReadMem,          &s.ReadUpTime,    &s.ReadSETI,    &s.ReadBat,      &s.ReadEverest,
          &s.ReadATITrayTools, &s.ReadCoreTemp,  &s.ReadHwmon}) {
        *source = false;
    }
    s.ReadAquaero = true;
    s.colMemPage = 1;
    s.colMem = 2;
    s.colMemCache = 3;
    s.colBat = 4;
    s.colUser = 5;
    s.visCPUFreq = true;
    s.visUser = false;
    s.MemFree = s.DisksFree = true;
    s.Celsius = false;
    s.TMinStats = 1000;
    s.TMaxStats = 9000;
    s.TMinBanner = -500;
    s.TMaxBanner = 7000;
    s.FMin = 500;
    s.FMax = 9000;
    s.MemMin = 1024;
    s.MemMax = 8192 * 1024;
    s.NetMax = 100;
    s.DiskMin = 1.5;
    s.DiskMax = 123456.75;
    s.THeight = 130;
    s.VHeight = 41;
    s.FHeight = 42;
    s.MemHeight = 61;
    s.NetHeight = 81;
    s.BatHeight = 43;
    s.CPUHeight = 62;
    s.StatsWidth = 1000;
    s.BannerWidth = 2000;
    s.cBack = 6;
    s.cBorder = 7;
    s.cBorder2 = 8;
    s.cInfo = 9;
    s.cFreq = 10;
    s.cScBack = 11;
    s.cScBorder = 12;
    s.cScBorder2 = 13;
    s.cScGrid = 14;
    s.cScDesc = 15;
    s.LightAlpha = 200;
    s.Alpha = 0.75;
    s.BitDisplay = s.OnTop = s.HideOnClose = true;
    s.HTTPServerActive = true;
    s.HTTPServerPort = 8080;
    s.ThermalZones = s.ForceACPI = s.QPCFix = true;
    s.Host = "ftp.example";
    s.User = "me";
    s.FTPPass = "p\xC3\xA4ss";
    s.Port = 2121;
    s.Passive = false;
    s.UseTLS = 3;
    s.UploadType = 3;
    s.Path = "/www/";
    s.SMTPHost = "mail";
    s.SMTPUser = "mailer";
    s.SMTPPass = "smtp";
    s.SMTPPort = 587;
    s.SMTPAuth = true;
    s.ProxyHost = "proxy";
    s.ProxyUser = "pu";
    s.ProxyPort = 3128;
    s.FTPProxyPass = "pp";
    s.ProxyType = 4;
    s.HTTPProxyHost = "web";
    s.HTTPProxyUser = "wu";
    s.HTTPProxyPass = "wp";
    s.HTTPProxyPort = 8081;
    s.HTTPProxyAuth = true;
    s.Autostart = true;
    s.HibernateAllowed = s.SuspendAllowed = true;
    return s;
}

TEST(SettingsSave, EverySavedKeyReadsBack) {
    test::tSettingsFixture f;
    f.power.capabilities = {true, true};
    const tSettings saved = NonDefault(f);
    EXPECT_TRUE(SaveSettings(saved, false, f.context).AllWritten());
    tSettings loaded = f.Load();
    EXPECT_TRUE(loaded == saved);
    // Show the first fields that differ when the comparison fails.
    EXPECT_EQ(loaded.nameT, saved.nameT);
    EXPECT_EQ(loaded.colT, saved.colT);
    EXPECT_EQ(loaded.FTPPass, saved.FTPPass);
    EXPECT_EQ(loaded.Alpha, saved.Alpha);

    const tIniFile client = f.Ini(kClientIni);
    EXPECT_EQ(client.ReadInteger("Light", "LightTime", 0), 600000);
    EXPECT_EQ(client.ReadInteger("Banner", "BannerTime", 0), 900000);
    EXPECT_EQ(client.ReadString("Stats", "SpanStats", ""), "0,25");
    EXPECT_EQ(client.ReadString("Debug", "Debug", ""), "1");
    EXPECT_EQ(f.ReadFile(kServerIni).find("smtp\r"), std::string::npos) << "no plain password";
    // Keys that only the monitor or the user write are not written.
    for (const char* key : {"upRecTime", "UpdateCheck", "AquaeroPath", "SpeedFanParams"}) {
        EXPECT_FALSE(client.ValueExists("Misc", key)) << key;
    }
    EXPECT_FALSE(f.Ini(kDisplayIni).ValueExists("Misc", "ClickThrough"));
    EXPECT_FALSE(f.Ini(kDisplayIni).ValueExists("Net", "NetMin"));
}

TEST(SettingsSave, UnknownKeysAndOrderSectionsSurvive) {
    test::tSettingsFixture f;
    const std::string order =
        "[OrderSpeedFan]\r\nT1=3\r\nF2=4\r\n\r\n[OrderAquaero]\r\nT1=Water\r\n\r\n";
    const std::string client = "; written by hand\r\n" + order +
                               "[Misc]\r\nReadTemp=1000\r\nLeft=12\r\nupRecTime=99\r\n"
                               "Unknown=kept as it is \r\n\r\n[Plugins]\r\nx=\xB0old\r\n";
    f.WriteFile(kClientIni, client);
    f.WriteFile(kDisplayIni, "[Misc]\r\nClickThrough=1\r\n[Mine]\r\na=b\r\n");
    f.WriteFile(kServerIni, "[FTP]\r\nPassiveUseControlHost=0\r\n[Extra]\r\nk=v\r\n");
    tSettings settings = f.Load();
    ASSERT_TRUE(SaveSettings(settings, false, f.context).AllWritten());

    const std::string after = f.ReadFile(kClientIni);
    EXPECT_EQ(after.rfind("; written by hand\r\n" + order, 0), 0u) << after;
    for (const char* line : {"Left=12\r\n", "upRecTime=99\r\n", "Unknown=kept as it is \r\n",
                             "[Plugins]\r\nx=\xB0old\r\n", "ReadTemp=1000\r\n"}) {
        EXPECT_NE(after.find(line), std::string::npos) << line;
    }
    EXPECT_NE(f.ReadFile(kDisplayIni).find("ClickThrough=1\r\n"), std::string::npos);
    EXPECT_NE(f.ReadFile(kDisplayIni).find("[Mine]\r\na=b\r\n"), std::string::npos);
    EXPECT_NE(f.ReadFile(kServerIni).find("PassiveUseControlHost=0\r\n"), std::string::npos);
    EXPECT_NE(f.ReadFile(kServerIni).find("[Extra]\r\nk=v\r\n"), std::string::npos);

    // A second save changes nothing more.
    ASSERT_TRUE(SaveSettings(f.Load(), false, f.context).AllWritten());
    EXPECT_EQ(f.ReadFile(kClientIni), after);
}

TEST(SettingsSave, NetHeightMovesToNet) {
    test::tSettingsFixture f;
    f.WriteFile(kDisplayIni, "[Memory]\r\nMemHeight=70\r\nNetHeight=95\r\n");
    ASSERT_TRUE(SaveSettings(f.Load(), false, f.context).display);
    const tIniFile display = f.Ini(kDisplayIni);
    EXPECT_FALSE(display.ValueExists("Memory", "NetHeight"));
    EXPECT_EQ(display.ReadInteger("Net", "NetHeight", 0), 95);
    EXPECT_EQ(display.ReadInteger("Memory", "MemHeight", 0), 70);
}

TEST(SettingsSave, UnitsAreRoundedToEvenOnSave) {
    test::tSettingsFixture f;
    tSettings settings = f.Load();
    settings.TMinStats = 1550;    // 15.5 degrees
    settings.TMaxStats = 1450;    // 14.5
    settings.TMinBanner = -1250;  // -12.5
    settings.TMaxBanner = 1651;
    settings.MemMin = 1536;  // 1.5 MB
    settings.MemMax = 2560;  // 2.5 MB
    ASSERT_TRUE(SaveSettings(settings, false, f.context).display);
    const tIniFile display = f.Ini(kDisplayIni);
    EXPECT_EQ(display.ReadInteger("Temperatures", "TMinStats", 0), 16);
    EXPECT_EQ(display.ReadInteger("Temperatures", "TMaxStats", 0), 14);
    EXPECT_EQ(display.ReadInteger("Temperatures", "TMinBanner", 0), -12);
    EXPECT_EQ(display.ReadInteger("Temperatures", "TMaxBanner", 0), 17);
    EXPECT_EQ(display.ReadInteger("Memory", "MemMin", 0), 2);
    EXPECT_EQ(display.ReadInteger("Memory", "MemMax", 0), 2);
}

TEST(SettingsSave, ServerFileIsPrivate) {
    test::tSettingsFixture f;
    const fs::path server = f.dir / "settings" / std::string(kServerIni);
    auto mode = [&] {
        struct stat info {};
        EXPECT_EQ(stat(server.c_str(), &info), 0);
        return info.st_mode & 0777;
    };
    ASSERT_TRUE(SaveSettings(f.Load(), false, f.context).server);
    EXPECT_EQ(mode(), 0600u) << "a new file";
    chmod(server.c_str(), 0644);
    ASSERT_TRUE(SaveSettings(f.Load(), false, f.context).server);
    EXPECT_EQ(mode(), 0600u) << "an existing file is tightened";
}

// A save that runs out of space part-way leaves each file as it was.
TEST(SettingsSave, FailedSaveLeavesThePreviousFilesIntact) {
    test::tSettingsFixture f;
    const std::string client = "[Misc]\r\nReadTemp=1000\r\n[OrderAIDA]\r\nT1=2\r\n";
    const std::string display = "[Misc]\r\nAlpha=0,5\r\n";
    const std::string server = "[FTP]\r\nHost=h\r\n";
    f.WriteFile(kClientIni, client);
    f.WriteFile(kDisplayIni, display);
    f.WriteFile(kServerIni, server);
    tSettings settings = f.Load();
    settings.ReadTemp = 2000;

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Files may grow to 200 bytes only: every rewrite of the settings is larger.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
        tSaveResult result = SaveSettings(settings, false, f.context);
        _exit(result.client || result.display || result.server ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "every save reported its failure";
    EXPECT_EQ(f.ReadFile(kClientIni), client);
    EXPECT_EQ(f.ReadFile(kDisplayIni), display);
    EXPECT_EQ(f.ReadFile(kServerIni), server);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(f.dir / "settings")) ++files;
    EXPECT_EQ(files, 3u) << "no temporary file is left behind";
}

TEST(SettingsSave, AutostartEntryFollowsTheFlag) {
    test::tSettingsFixture f;
    tSettings settings = f.Load();
    settings.Autostart = true;
    SaveSettings(settings, false, f.context);
    const std::string entry = f.dir.Read("xdg-autostart/calorix.desktop");
    EXPECT_NE(entry.find(f.context.programDirectory + "calorix"), std::string::npos) << entry;
    EXPECT_TRUE(f.Load().Autostart);

    settings.Autostart = false;
    SaveSettings(settings, false, f.context);
    EXPECT_FALSE(fs::exists(f.dir / "xdg-autostart/calorix.desktop"));
}

TEST(SettingsSave, NotifiesTheMonitorWindow) {
    test::tSettingsFixture f;
    std::vector<tWindowMessage> received;
    tWindowListener monitor(
        std::string(kMonitorWindowClass),
        [&](const tWindowMessage& message) {
            received.push_back(message);
            return 0;
        },
        f.bus.Folder());
    ASSERT_TRUE(monitor.IsListening());

    SaveSettings(f.Load(), false, f.context);
    EXPECT_EQ(monitor.ProcessPending(), 0) << "no notice without notifyMonitor";

    SaveSettings(f.Load(), true, f.context);
    ASSERT_TRUE(monitor.WaitAndProcess(std::chrono::seconds(10)));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].msg, 1026u);
    EXPECT_EQ(received[0].wParam, 0u);
    EXPECT_EQ(received[0].lParam, 0);
}

TEST(SettingsSave, NoMonitorWindowIsNoFailure) {
    test::tSettingsFixture f;
    EXPECT_TRUE(SaveSettings(f.Load(), true, f.context).AllWritten());
}

}  // namespace
}  // namespace cx
