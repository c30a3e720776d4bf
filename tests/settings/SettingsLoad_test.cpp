#include <gtest/gtest.h>
#include <sys/stat.h>
#include <functional>

#include "SettingsFixture.h"
#include "settings/Passwords.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// The values a load gives when the settings folder holds no files.
tSettings Defaults(const test::tSettingsFixture& f) {
    tSettings expected;
    expected.LocalPath = expected.AquaeroPath = expected.BOINCPath = f.context.settingsDirectory;
    return expected;
}

TEST(SettingsLoad, MissingFilesGiveEveryDefault) {
    test::tSettingsFixture f;
    const tSettings settings = f.Load();
    EXPECT_EQ(settings, Defaults(f));
    EXPECT_FALSE(fs::exists(f.dir / "settings/CXServer.ini")) << "a load writes nothing";
    // A few of the built-in values, spelled out.
    EXPECT_EQ(settings.nameT[9], "T10");
    EXPECT_EQ(settings.nameCPU[0], "Core1");
    EXPECT_EQ(settings.OrderSpeedFanT[0], 9);
    EXPECT_EQ(settings.OrderSpeedFanV[9], 0);
    EXPECT_EQ(settings.OrderAquaeroT[5], "Sensor6");
    EXPECT_EQ(settings.OrderAquaeroT[6], "");
    EXPECT_EQ(settings.OrderAquaeroF[4], "Flow1Hour");
    EXPECT_EQ(settings.OrderAquaeroV[1], "Aquastream2Voltage");
    EXPECT_EQ(settings.OrderRivaTunerT[2], "");
    EXPECT_EQ(settings.OrderRivaTunerF[9], "fan speed");
    EXPECT_EQ(settings.OrderATITrayToolsT[4], "envtemp");
    EXPECT_EQ(settings.colRNet[0], 0x008000u) << "receive takes the colour of T5";
    EXPECT_EQ(settings.colSNet[3], 0x00C060u) << "send takes the colour of T4";
    EXPECT_EQ(settings.colDisk[7], 0xFF80FFu);
    EXPECT_EQ(settings.FontSmall, "Small Fonts");
    EXPECT_FALSE(settings.QPCFix);
}

TEST(SettingsLoad, ReloadWithoutFilesResetsToDefaults) {
    test::tSettingsFixture f;
    tSettings settings = f.Load();
    settings.nameT[3] = "CPU";
    settings.colT[0] = 0x123456;
    settings.FMax = 9000;
    settings.Alpha = 0.5;
    settings.FTPPass = "secret";
    settings.OrderAquaeroT.fill("x");
    LoadSettings(settings, f.context);
    EXPECT_EQ(settings, Defaults(f));
}

struct tLoadCase {
    const char* name;
    std::string_view file;
    std::string content;
    std::function<void(const tSettings&, const std::string& settingsDir)> check;
};

TEST(SettingsLoad, LoadRules) {
    const tLoadCase cases[] = {
        {"comma float", kDisplayIni, "[Misc]\r\nAlpha=0,25\r\n",
         [](const tSettings& s, auto&) { EXPECT_DOUBLE_EQ(s.Alpha, 0.25); }},
        {"point float does not parse", kDisplayIni, "[Misc]\r\nAlpha=0.25\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.Alpha, 0); }},
        {"alpha of 1 is none", kDisplayIni, "[Misc]\r\nAlpha=1\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.Alpha, 0); }},
        {"negative alpha is none", kDisplayIni, "[Misc]\r\nAlpha=-0,5\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.Alpha, 0); }},
        {"widths clamped", kDisplayIni, "[Misc]\r\nStatsWidth=100\r\nBannerWidth=5000\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.StatsWidth, 480);
             EXPECT_EQ(s.BannerWidth, 3072);
         }},
        {"memory range reset", kDisplayIni, "[Memory]\r\nMemMin=600\r\nMemMax=512\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.MemMin, 0);
             EXPECT_EQ(s.MemMax, 512 * 1024);
         }},
        {"memory range in KB", kDisplayIni, "[Memory]\r\nMemMin=256\r\nMemMax=2048\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.MemMin, 256 * 1024);
             EXPECT_EQ(s.MemMax, 2048 * 1024);
         }},
        {"temperatures in hundredths", kDisplayIni,
         "[Temperatures]\r\nTMinStats=20\r\nTMaxStats=400\r\nTMinBanner=-10\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.TMinStats, 2000);
             EXPECT_EQ(s.TMaxStats, 32767) << "kept within 16 bits";
             EXPECT_EQ(s.TMinBanner, -1000);
             EXPECT_EQ(s.TMaxBanner, 5500);
         }},
        {"slot colour out of range is black", kDisplayIni,
         "[Temperatures]\r\ncolT3=-1\r\n[Net]\r\ncolSNet2=16777216\r\n[Disk]\r\ncolDisk1=$FF\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.colT[2], 0u);
             EXPECT_EQ(s.colT[1], 0x0070E0u);
             EXPECT_EQ(s.colSNet[1], 0u);
             EXPECT_EQ(s.colDisk[0], 0xFFu);
         }},
        {"other colours out of range keep the default", kDisplayIni,
         "[Memory]\r\ncolMem=-1\r\n[Battery]\r\ncolBat=99999999\r\n[Misc]\r\ncBack=-5\r\n"
         "[CPUs]\r\ncolUser=-1\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.colMem, 0xC06000u);
             EXPECT_EQ(s.colBat, 0x800080u);
             EXPECT_EQ(s.cBack, 0xE0E0E0u);
             EXPECT_EQ(s.colUser, 0xFFFFFFFFu) << "not range-checked";
         }},
        {"light opacity in one byte", kDisplayIni, "[Misc]\r\nLightAlpha=300\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.LightAlpha, 255); }},
        {"older NetHeight in Memory", kDisplayIni, "[Memory]\r\nNetHeight=95\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.NetHeight, 95); }},
        {"fan divisor 0 is 1", kClientIni, "[Fans]\r\ndivF2=0\r\ndivF3=2,5\r\ndivF4=x\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.divF[1], 1);
             EXPECT_EQ(s.divF[2], 2.5);
             EXPECT_EQ(s.divF[3], 1);
         }},
        {"SpeedFan order out of range", kClientIni,
         "[OrderSpeedFan]\r\nT1=0\r\nT2=33\r\nT3=32\r\nF1=1\r\nV10=x\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.OrderSpeedFanT[0], 9);
             EXPECT_EQ(s.OrderSpeedFanT[1], 8);
             EXPECT_EQ(s.OrderSpeedFanT[2], 31);
             EXPECT_EQ(s.OrderSpeedFanF[0], 0);
             EXPECT_EQ(s.OrderSpeedFanV[9], 0);
         }},
        {"MBM and AIDA orders", kClientIni,
         "[OrderMBM5190]\r\nT1=101\r\nT2=100\r\n[OrderAIDA]\r\nT1=300\r\nV3=7\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.OrderMBM5190T[0], 0);
             EXPECT_EQ(s.OrderMBM5190T[1], 99);
             EXPECT_EQ(s.OrderAIDAT[0], 44) << "low byte as read";
             EXPECT_EQ(s.OrderAIDAV[2], 7);
             EXPECT_EQ(s.OrderAIDAF[4], 5);
         }},
        {"partial OrderAquaero blanks the other slots", kClientIni,
         "[OrderAquaero]\r\nT1=Water\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.OrderAquaeroT[0], "Water");
             for (size_t n = 1; n < 10; ++n) EXPECT_EQ(s.OrderAquaeroT[n], "") << n;
             for (const auto& name : s.OrderAquaeroF) EXPECT_EQ(name, "");
             for (const auto& name : s.OrderAquaeroV) EXPECT_EQ(name, "");
             EXPECT_EQ(s.OrderAtiToolT[3], "templocal") << "other lists keep their defaults";
         }},
        {"name lists lower-cased", kClientIni,
         "[OrderRivaTuner]\r\nT1=GPU Temp\r\n[OrderAtiTool]\r\nF4=FanSpeed\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.OrderRivaTunerT[0], "gpu temp");
             EXPECT_EQ(s.OrderRivaTunerT[4], "");
             EXPECT_EQ(s.OrderAtiToolF[3], "fanspeed");
             EXPECT_EQ(s.OrderAtiToolT[3], "");
         }},
        {"German flag is case-sensitive", kClientIni, "[Misc]\r\nLangFile=deutsch.lng\r\n",
         [](const tSettings& s, auto&) { EXPECT_FALSE(s.German); }},
        {"German flag", kClientIni, "[Misc]\r\nLangFile=Deutsch.lng\r\n",
         [](const tSettings& s, auto&) { EXPECT_TRUE(s.German); }},
        {"folders", kClientIni, "[Misc]\r\nLocalPath=\r\nAquaeroPath=.\r\nBOINCPath=/var/boinc\r\n",
         [](const tSettings& s, const std::string& settingsDir) {
             EXPECT_EQ(s.LocalPath, settingsDir);
             EXPECT_EQ(s.AquaeroPath, settingsDir);
             EXPECT_EQ(s.BOINCPath, "/var/boinc/");
         }},
        {"picture names keep the file part", kClientIni,
         "[Light]\r\nLight=/srv/www/my.png\r\n[Banner]\r\nBanner=C:\\pics\\wide.gif\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.Light, "my.png");
             EXPECT_EQ(s.Banner, "wide.gif");
         }},
        {"SpeedFan parameters", kClientIni, "[Misc]\r\nSpeedFanParams=-x\r\n",
         [](const tSettings& s, auto&) { EXPECT_EQ(s.SpeedFanParams, " -x"); }},
        {"record uptime", kClientIni, "[Misc]\r\nupRecTime=90061\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.upRecSeconds, 90061u);
             EXPECT_EQ(s.upRecDays, 1);
             EXPECT_EQ(s.upRecHours, 1);
             EXPECT_EQ(s.upRecMinutes, 1);
             EXPECT_EQ(s.upRecSecs, 1);
         }},
        {"record uptime not a number", kClientIni, "[Misc]\r\nupRecTime=soon\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.upRecSeconds, 0u);
             EXPECT_EQ(s.upRecTime, "0");
         }},
        {"suspend not allowed", kClientIni, "[PowerOff]\r\nEmergencySuspend=1\r\n",
         [](const tSettings& s, auto&) { EXPECT_FALSE(s.EmergencySuspend); }},
        {"display states as read", kClientIni,
         "[Temperatures]\r\nvisT2=0\r\nvisT3=2\r\n[Voltages]\r\nvisV1=1\r\n[Fans]\r\nvisF1=1\r\n",
         [](const tSettings& s, auto&) {
             EXPECT_EQ(s.visT[0], 1);
             EXPECT_EQ(s.visT[1], 0);
             EXPECT_EQ(s.visT[2], 2);
             EXPECT_EQ(s.visV[0], 1);
             EXPECT_TRUE(s.visF[0]);
         }},
    };
    for (const tLoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::tSettingsFixture f;
        f.WriteFile(c.file, c.content);
        c.check(f.Load(), f.context.settingsDirectory);
    }
}

TEST(SettingsLoad, UnconfiguredDriveKeepsItsAlarmLimit) {
    test::tSettingsFixture f;
    f.WriteFile(kClientIni,
                "[Disk]\r\ndriveDisk1=x\r\nenalDisk1=1\r\nalertDisk1=5\r\n"
                "driveDisk2=/\r\nenalDisk2=1\r\nalertDisk2=6\r\n");
    tSettings settings;
    settings.alertDisk[0] = 777;
    LoadSettings(settings, f.context);
    EXPECT_EQ(settings.driveDisk[0], "");
    EXPECT_FALSE(settings.enalDisk[0]);
    EXPECT_EQ(settings.alertDisk[0], 777);
    EXPECT_EQ(settings.driveDisk[1], "/") << "the root mount point is a drive";
    EXPECT_TRUE(settings.enalDisk[1]);
    EXPECT_EQ(settings.alertDisk[1], 6);
}

TEST(SettingsLoad, DebugSwitchStaysOnAndSuspendFollowsTheMachine) {
    test::tSettingsFixture f;
    f.power.capabilities = {true, true};
    f.WriteFile(kClientIni, "[Debug]\r\nDebug=0\r\n[PowerOff]\r\nEmergencySuspend=1\r\n");
    tSettings settings;
    settings.Debug = true;
    LoadSettings(settings, f.context);
    EXPECT_TRUE(settings.Debug);
    EXPECT_TRUE(settings.EmergencySuspend);
    EXPECT_TRUE(settings.HibernateAllowed);
    EXPECT_TRUE(settings.SuspendAllowed);
}

TEST(SettingsLoad, PlainPasswordsAreMigratedByOneLoad) {
    test::tSettingsFixture f;
    f.WriteFile(kServerIni,
                "[FTP]\r\nHost=ftp.example\r\nPass=ftp secret\r\n[SMTP]\r\nSMTPPass=mail\r\n"
                "[Proxy]\r\nProxyPass=proxy\r\nHTTPProxyPass=web\r\n; kept\r\n");
    chmod((f.dir / "settings/CXServer.ini").c_str(), 0644);
    tSettings settings = f.Load();
    EXPECT_EQ(settings.FTPPass, "ftp secret");
    EXPECT_EQ(settings.SMTPPass, "mail");
    EXPECT_EQ(settings.FTPProxyPass, "proxy");
    EXPECT_EQ(settings.HTTPProxyPass, "web");

    const tIniFile ini = f.Ini(kServerIni);
    struct tPair {
        const char* section;
        const char* plain;
        const char* crypt;
        const char* password;
    };
    const tPair pairs[] = {{"FTP", "Pass", "FTPPassCrypt", "ftp secret"},
                           {"SMTP", "SMTPPass", "SMTPPassCrypt", "mail"},
                           {"Proxy", "ProxyPass", "FTPProxyPassCrypt", "proxy"},
                           {"Proxy", "HTTPProxyPass", "HTTPProxyPassCrypt", "web"}};
    for (const tPair& p : pairs) {
        EXPECT_FALSE(ini.ValueExists(p.section, p.plain)) << p.plain;
        EXPECT_EQ(ini.ReadString(p.section, p.crypt, ""), EncodePassword(p.password, f.events));
    }
    EXPECT_NE(f.ReadFile(kServerIni).find("; kept\r\n"), std::string::npos);
    EXPECT_EQ(f.ReadFile(kServerIni).find("secret"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat((f.dir / "settings/CXServer.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The second load reads the scrambled form and changes nothing.
    const std::string migrated = f.ReadFile(kServerIni);
    EXPECT_EQ(f.Load().FTPPass, "ftp secret");
    EXPECT_EQ(f.ReadFile(kServerIni), migrated);
}

TEST(SettingsLoad, UnreadableFileEndsOnlyItsOwnStep) {
    test::tSettingsFixture f;
    fs::create_directory(f.dir / "settings" / std::string(kClientIni));
    f.WriteFile(kDisplayIni, "[Misc]\r\nStatsWidth=600\r\n");
    fs::create_directory(f.dir / "settings" / std::string(kServerIni));
    tSettings settings;
    settings.nameT[0] = "previous";
    LoadSettings(settings, f.context);
    EXPECT_EQ(settings.nameT[0], "previous") << "fields of the failed step keep their values";
    EXPECT_EQ(settings.StatsWidth, 600);
    const std::string events = f.Events();
    EXPECT_NE(events.find("rr2 cannot read"), std::string::npos) << events;
    EXPECT_NE(events.find("rr4 cannot read"), std::string::npos) << events;
    EXPECT_EQ(events.find("rr3 "), std::string::npos) << events;
}

TEST(SettingsLoad, AutostartEntries) {
    test::tSettingsFixture f;
    f.dir.Write("user-autostart/calorix.desktop", "[Desktop Entry]\n");
    f.dir.Write("xdg-autostart/calorix.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(f.Load().Autostart);
    EXPECT_FALSE(fs::exists(f.dir / "user-autostart/calorix.desktop")) << "older form removed";

    // The system account never starts with a session.
    f.context.userName = "root";
    tSettings service = f.Load();
    EXPECT_TRUE(service.RunningAsService);
    EXPECT_FALSE(service.Autostart);
    EXPECT_FALSE(fs::exists(f.dir / "xdg-autostart/calorix.desktop"));
}

TEST(SettingsLoad, AutostartFlagKeptWhenTheMachineFolderCannotBeOpened) {
    test::tSettingsFixture f;
    f.dir.Write("blocked", "not a folder");
    tAutostart blocked({f.dir / "blocked" / "autostart", f.dir / "user-autostart"});
    tSettingsContext withBlocked{f.context.settingsDirectory,
                                 f.context.programDirectory,
                                 f.events,
                                 blocked,
                                 f.power,
                                 f.bus,
                                 "tester"};
    tSettings settings;
    settings.Autostart = true;
    LoadSettings(settings, withBlocked);
    EXPECT_TRUE(settings.Autostart);
}

TEST(SettingsLoad, ServiceAccount) {
    EXPECT_TRUE(IsServiceAccount("SYSTEM"));
    EXPECT_TRUE(IsServiceAccount("system"));
    EXPECT_TRUE(IsServiceAccount("root"));
    EXPECT_FALSE(IsServiceAccount("rooter"));
    EXPECT_FALSE(IsServiceAccount(""));
}

}  // namespace
}  // namespace cx
