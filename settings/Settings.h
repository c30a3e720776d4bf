#pragma once
// The in-memory settings of one program: one field per key of the three
// settings files, named after the key. Slot arrays are indexed from 0, so
// nameT[0] holds key nameT1. Filled by LoadSettings, written by SaveSettings.
// Fields start with the keys' defaults, so a program that has not loaded yet,
// or whose load stopped part-way, works with sensible values.
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace cx {

inline constexpr size_t kSensorSlots = 10;  // T1..T10, V1..V10, F1..F10
inline constexpr size_t kCpuSlots = 4;
inline constexpr size_t kNetSlots = 4;
inline constexpr size_t kDiskSlots = 8;

// The fixed publishing intervals of the light and banner pictures, in ms.
inline constexpr int32_t kLightTime = 600000;
inline constexpr int32_t kBannerTime = 900000;

// A colour in COLORREF order: 0x00BBGGRR, red in the low byte.
using tColor = uint32_t;

// "T1".."T10" and the like: the default labels of a slot group.
template <size_t N>
std::array<std::string, N> DefaultSlotNames(const char* prefix) {
    std::array<std::string, N> names;
    for (size_t i = 0; i < N; ++i) names[i] = prefix + std::to_string(i + 1);
    return names;
}

// `name` in every slot from the zero-based `first` on, the slots before it empty.
template <size_t N>
std::array<std::string, N> SlotNamesFrom(size_t first, const char* name) {
    std::array<std::string, N> names;
    for (size_t i = first; i < N; ++i) names[i] = name;
    return names;
}

// The built-in slot colours that LoadSettings assigns before it reads CXDisplay.ini.
inline constexpr std::array<tColor, kSensorSlots> kDefaultSensorColors = {
    0x0000FF, 0x0070E0, 0x008080, 0x00C060, 0x008000,
    0x60C000, 0xC0C000, 0xFF0000, 0xFF0080, 0xC000C0};
inline constexpr std::array<tColor, kDiskSlots> kDefaultDiskColors = {
    0x8080FF, 0x409FFF, 0x00FFFF, 0x00FFA0, 0x00FB00, 0xFFFF00, 0xFF8080, 0xFF80FF};

struct tSettings {
    // --- CXClient.ini, "Temperatures", "Voltages", "Fans"
    std::array<std::string, 10> nameT = DefaultSlotNames<10>("T");
    std::array<std::string, 10> nameV = DefaultSlotNames<10>("V");
    std::array<std::string, 10> nameF = DefaultSlotNames<10>("F");
    // Display states 0, 1, 2: hidden, chart and legend, legend only.
    std::array<int32_t, 10> visT{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, visV{};
    std::array<bool, 10> visF{};
    std::array<double, 10> divF{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    bool TAutoStats = true;
    bool TAutoBanner = true;
    bool FAuto = true;

    // --- CXClient.ini, "CPUs", "Net", "Disk", "Memory", "Battery"
    std::array<std::string, kCpuSlots> nameCPU = DefaultSlotNames<kCpuSlots>("Core");
    std::array<bool, kCpuSlots> visCPU{true, true, true, true};
    std::array<std::string, kNetSlots> nameNet = DefaultSlotNames<kNetSlots>("Net");
    std::array<std::string, kNetSlots> macNet;
    std::array<bool, kNetSlots> visNet{true, true, true, true};
    bool NetAuto = true;
    bool NetLog = true;
    bool NetSep = false;
    std::array<std::string, kDiskSlots> driveDisk;
    std::array<bool, kDiskSlots> visDisk{true, true, true, true, true, true, true, true};
    std::array<bool, kDiskSlots> enalDisk{};
    std::array<int64_t, kDiskSlots> alertDisk{10485760, 10485760, 10485760, 10485760,
                                              10485760, 10485760, 10485760, 10485760};
    int32_t Page = 2;
    int32_t visMem = 1;
    int32_t visCache = 2;
    bool MemAuto = true;
    bool visBat = true;

    // --- CXClient.ini, "Light", "Banner", "Stats", "PowerOff"
    std::string Light = "cxlight.png";  // file name only
    std::string LightPath;              // key "Path" of section "Light"
    bool SaveLight = true;
    bool UploadLight = true;
    bool MiniLight = false;
    int32_t LightTime = kLightTime;
    std::string Banner = "cxwide.png";  // file name only
    std::string BannerPath;             // key "Path" of section "Banner"
    bool SaveBanner = false;
    bool UploadBanner = false;
    double SpanBanner = 6;  // hours
    int32_t BannerTime = kBannerTime;
    double SpanStats = 2;  // hours
    bool EmergencySuspend = false;
    bool POBeep = true;

    // --- CXClient.ini, "Misc"
    int32_t ReadTemp = 20000;  // reading interval, ms
    std::string LocalPath;     // output folder with trailing '/', "" until loaded
    std::string AquaeroPath;   // with trailing '/', "" until loaded
    std::string BOINCPath;
    std::string SpeedFanParams;  // with one leading blank when not empty
    bool AutoConnect = true;
    bool ShowWarning = true;
    bool CheckForUpdate = true;
    bool CheckForUpdateSpeedFan = true;
    int32_t UpdateCheck = -1;
    bool Mini = false;
    std::string LangFile = "English.lng";
    bool AutostartSpeedFan = true;
    std::string upRecTime = "0";  // longest uptime seen, whole seconds as text
    uint32_t upRecSeconds = 0;    // derived from upRecTime
    uint16_t upRecDays = 0, upRecHours = 0, upRecMinutes = 0, upRecSecs = 0;

    // --- CXClient.ini, "Debug": diagnostics and source switches
    bool Debug = false;
    bool SaveLog = true;
    bool KeepMemoryLow = true;
    bool AcceptZeroValue = false;
    bool IgnoreNonsense = true;
    bool ShowOfflineTime = true;
    bool TimeInUTC = false;
    bool OnTopLBT = true;
    bool DisplayDateTime = true;
    bool DisplayHint = true;
    bool IncludeStaticData = false;
    bool TimeStampMail = false;
    bool Beta = false;
    bool ReadCPUCooL = true, ReadCPUID = true, ReadVCool = true, ReadHMonitor = true,
         ReadSpeedFan = true, ReadAtiTool = true, ReadRivaTuner = true, ReadMBM5190 = true,
         ReadMBM5107 = true, ReadMBM509x = true, ReadMobileMeter = true, ReadFreq = true,
         ReadCPU = true, ReadNet = true, ReadDisk = true, ReadMem = true, ReadUpTime = true,
         ReadSETI = true, ReadBat = true, ReadEverest = true, ReadATITrayTools = true,
         ReadCoreTemp = true, ReadAquaero = false, ReadHwmon = true;

    // --- CXClient.ini, source order lists (read only, never written)
    // Zero-based sensor indexes of the slots.
    std::array<uint8_t, 10> OrderMBM5190T{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::array<uint8_t, 10> OrderSpeedFanT{9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    std::array<uint8_t, 10> OrderSpeedFanF{9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    std::array<uint8_t, 10> OrderSpeedFanV{9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    // One-based ordinals, as written.
    std::array<uint8_t, 10> OrderAIDAT{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::array<uint8_t, 10> OrderAIDAF{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::array<uint8_t, 10> OrderAIDAV{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    // Sensor names: the aquaero tags as written, the others lower case.
    std::array<std::string, 10> OrderAquaeroT{"Sensor1", "Sensor2", "Sensor3",
                                              "Sensor4", "Sensor5", "Sensor6"};
    std::array<std::string, 10> OrderAquaeroF{"Fan1Rpm",   "Fan2Rpm",   "Fan3Rpm", "Fan4Rpm",
                                              "Flow1Hour", "Flow2Hour", "Flow"};
    std::array<std::string, 10> OrderAquaeroV{"Aquastream1Voltage", "Aquastream2Voltage"};
    std::array<std::string, 10> OrderAtiToolT{"", "", "", "templocal", "tempremote"};
    std::array<std::string, 10> OrderAtiToolF{"", "", "", "fanspeed"};
    std::array<std::string, 10> OrderRivaTunerT = SlotNamesFrom<10>(3, "temperature");
    std::array<std::string, 10> OrderRivaTunerF = SlotNamesFrom<10>(3, "fan speed");
    std::array<std::string, 10> OrderATITrayToolsT{"", "", "", "gputemp", "envtemp"};
    std::array<std::string, 10> OrderATITrayToolsF{"", "", "", "fanspeed"};
    // Slots bound to one hwmon sensor, section "OrderHwmon": slot key ("T3", "F1",
    // "V10") to "chip:label", as read; empty when the section is missing.
    std::map<std::string, std::string> OrderHwmon;

    // --- CXDisplay.ini, slot colours and bold flags
    std::array<tColor, 10> colT = kDefaultSensorColors;
    std::array<tColor, 10> colV = kDefaultSensorColors;
    std::array<tColor, 10> colF = kDefaultSensorColors;
    std::array<bool, 10> boldT{true, true, true, true, true, true, true, true, true, true};
    std::array<bool, 10> boldV{true, true, true, true, true, true, true, true, true, true};
    std::array<bool, 10> boldF{true, true, true, true, true, true, true, true, true, true};
    std::array<tColor, kCpuSlots> colCPU{0x0000FF, 0x0070E0, 0x008080, 0x00C060};
    std::array<bool, kCpuSlots> boldCPU{true, true, true, true};
    std::array<tColor, kNetSlots> colRNet{0x008000, 0x60C000, 0xC0C000, 0xFF0000};
    std::array<tColor, kNetSlots> colSNet{0x0000FF, 0x0070E0, 0x008080, 0x00C060};
    std::array<tColor, kDiskSlots> colDisk = kDefaultDiskColors;
    tColor colMemPage = 0xFF8040;
    tColor colMem = 0xC06000;
    tColor colMemCache = 0x603000;
    tColor colBat = 0x800080;
    tColor colUser = 0;

    // --- CXDisplay.ini, curves, scales and bands
    bool visCPUFreq = false;
    bool visUser = true;
    bool MemFree = false;
    bool DisksFree = false;
    bool Celsius = true;
    int16_t TMinStats = 1500, TMaxStats = 5500;    // hundredths of a degree Celsius
    double TStepStats = 0;                         // degrees
    int16_t TMinBanner = 1500, TMaxBanner = 5500;  // hundredths of a degree Celsius
    int16_t FMin = 1000, FMax = 6000;              // rpm
    int64_t MemMin = 0, MemMax = 512 * 1024;       // KB
    int32_t NetMin = 0, NetMax = 12;
    double DiskMin = 0, DiskMax = 81920;
    int16_t THeight = 120;
    int32_t VHeight = 40, FHeight = 40, MemHeight = 60, NetHeight = 80, BatHeight = 40,
            CPUHeight = 60;

    // --- CXDisplay.ini, "Misc"
    int16_t StatsWidth = 550;   // 480..3072
    int16_t BannerWidth = 530;  // 480..3072
    tColor cBack = 0xE0E0E0, cBorder = 0xC0C0C0, cBorder2 = 0xFFFFFF, cInfo = 0x000000,
           cFreq = 0x0000C0;
    tColor cScBack = 0xF0F0F0, cScBorder = 0xFFFFFF, cScBorder2 = 0xC0C0C0, cScGrid = 0xC0C0C0,
           cScDesc = 0x000000;
    uint8_t LightAlpha = 153;
    double Alpha = 0;  // 0 <= Alpha < 1
    bool BitDisplay = false;
    bool OnTop = false;
    bool HideOnClose = false;
    bool ClickThrough = false;
    bool HTTPServerActive = false;
    int32_t HTTPServerPort = 80;
    bool ThermalZones = false;
    bool ForceACPI = false;
    bool QPCFix = false;

    // --- CXServer.ini; the passwords are plain text here and scrambled on disk
    std::string Host, User;
    std::string FTPPass;  // key FTPPassCrypt
    int32_t Port = 21;
    bool Passive = true;
    bool PassiveUseControlHost = true;
    bool TryNATFastTrack = false;
    bool UseCCC = false;
    int32_t UseTLS = 1;      // 0..3
    int16_t UploadType = 1;  // 1 FTP, 3 SCP; other values behave as FTP
    std::string Path = "/";  // key "Path" of section "FTP": the remote directory
    std::string SMTPHost, SMTPUser;
    std::string SMTPPass;  // key SMTPPassCrypt
    int32_t SMTPPort = 25;
    bool SMTPAuth = false;
    std::string ProxyHost, ProxyUser;
    int32_t ProxyPort = 1080;
    std::string FTPProxyPass;  // key FTPProxyPassCrypt
    int16_t ProxyType = 0;     // 0 none, 1..5 proxy kinds
    std::string HTTPProxyHost, HTTPProxyUser;
    std::string HTTPProxyPass;  // key HTTPProxyPassCrypt
    int32_t HTTPProxyPort = 1080;
    bool HTTPProxyAuth = false;

    // --- Derived by LoadSettings, not keys
    bool RunningAsService = false;  // the process runs as the system account
    bool HibernateAllowed = false;
    bool SuspendAllowed = false;
    bool Autostart = false;  // the machine-wide autostart entry exists
    bool German = false;     // LangFile contains "Deutsch"
    std::string FontStandard = "Arial";
    std::string FontFixed = "Courier New";
    std::string FontSmall = "Small Fonts";

    friend bool operator==(const tSettings&, const tSettings&) = default;
};

}  // namespace cx
