#include "settings/SettingsFiles.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <map>
#include <stdexcept>

#include "settings/IniFile.h"
#include "settings/Passwords.h"

namespace cx {

namespace {

// CXServer.ini holds the passwords: it is readable by its owner only.
constexpr mode_t kServerIniMode = 0600;
constexpr mode_t kIniMode = 0644;

std::string Num(size_t slot) {
    return std::to_string(slot + 1);
}

template <typename T>
T Clamped(int64_t value) {
    return static_cast<T>(
        std::clamp<int64_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// value / divisor rounded to the nearest integer, ties to the even one.
int64_t DivideRounded(int64_t value, int64_t divisor) {
    int64_t quotient = value / divisor;
    int64_t remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
        --quotient;
    }
    if (remainder * 2 > divisor || (remainder * 2 == divisor && quotient % 2 != 0)) ++quotient;
    return quotient;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// A colour outside 0 ... 0xFFFFFF takes `outOfRange`.
tColor ReadColor(const tIniFile& ini, std::string_view section, const std::string& key, tColor def,
                 tColor outOfRange) {
    int64_t value = ini.ReadInteger(section, key, def);
    if (value < 0 || value > 0xFFFFFF) return outOfRange;
    return static_cast<tColor>(value);
}

// Only the file name of a stored picture name is kept, so a picture is always
// written into the output folder. A name without a file part keeps the default.
std::string FileNamePart(const std::string& text, const std::string& def) {
    size_t slash = text.find_last_of("/\\");
    std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    return name.empty() ? def : name;
}

// "." or empty is the settings directory; every folder ends in '/'.
std::string FolderRule(const std::string& text, const std::string& settingsDirectory) {
    if (text.empty() || text == ".") return settingsDirectory;
    if (text.back() == '/') return text;
    return text + "/";
}

void ThrowWhenUnreadable(bool readError, const std::string& file) {
    if (readError) throw std::runtime_error("cannot read " + file);
}

std::string FilePath(const tSettingsContext& context, std::string_view name) {
    return context.settingsDirectory + std::string(name);
}

// The text-valued source order lists: the built-in names apply only when the
// section is missing; a section that exists sets every slot, blank when absent.
void ReadNameList(const tIniFile& ini, std::string_view section, char kind, bool lowerCase,
                  std::array<std::string, 10>& names, const std::array<std::string, 10>& defaults) {
    if (!ini.SectionExists(section)) {
        names = defaults;
        return;
    }
    for (size_t n = 0; n < 10; ++n) {
        std::string value = ini.ReadString(section, std::string(1, kind) + Num(n), "");
        names[n] = lowerCase ? AsciiLower(std::move(value)) : std::move(value);
    }
}

// The hwmon bindings: each slot key of the section that is present, its value
// as it stands (the hwmon source checks the "chip:label" form itself).
void ReadHwmonOrder(const tIniFile& ini, std::map<std::string, std::string>& order) {
    constexpr std::string_view kSection = "OrderHwmon";
    order.clear();
    if (!ini.SectionExists(kSection)) return;
    for (const char kind : {'T', 'F', 'V'}) {
        for (size_t n = 0; n < kSensorSlots; ++n) {
            const std::string key = kind + Num(n);
            if (ini.ValueExists(kSection, key)) order[key] = ini.ReadString(kSection, key, "");
        }
    }
}

void LoadClient(tSettings& s, const tSettingsContext& context) {
    const std::string file = FilePath(context, kClientIni);
    bool readError = false;
    const tIniFile ini = tIniFile::Load(file, &readError);
    ThrowWhenUnreadable(readError, file);
    const tSettings defaults;

    ReadNameList(ini, "OrderAquaero", 'T', false, s.OrderAquaeroT, defaults.OrderAquaeroT);
    ReadNameList(ini, "OrderAquaero", 'F', false, s.OrderAquaeroF, defaults.OrderAquaeroF);
    ReadNameList(ini, "OrderAquaero", 'V', false, s.OrderAquaeroV, defaults.OrderAquaeroV);
    ReadNameList(ini, "OrderAtiTool", 'T', true, s.OrderAtiToolT, defaults.OrderAtiToolT);
    ReadNameList(ini, "OrderAtiTool", 'F', true, s.OrderAtiToolF, defaults.OrderAtiToolF);
    ReadNameList(ini, "OrderRivaTuner", 'T', true, s.OrderRivaTunerT, defaults.OrderRivaTunerT);
    ReadNameList(ini, "OrderRivaTuner", 'F', true, s.OrderRivaTunerF, defaults.OrderRivaTunerF);
    ReadNameList(ini, "OrderATITrayTools", 'T', true, s.OrderATITrayToolsT,
                 defaults.OrderATITrayToolsT);
    ReadNameList(ini, "OrderATITrayTools", 'F', true, s.OrderATITrayToolsF,
                 defaults.OrderATITrayToolsF);
    ReadHwmonOrder(ini, s.OrderHwmon);

    // SpeedFan's index of slot n is 11 - n one-based, valid 1..32.
    auto speedFanIndex = [&](char kind, size_t n) {
        int64_t fallback = 9 - static_cast<int64_t>(n);
        int64_t index = ini.ReadInteger("OrderSpeedFan", kind + Num(n), fallback + 1) - 1;
        return static_cast<uint8_t>(index >= 0 && index <= 31 ? index : fallback);
    };
    auto aidaOrdinal = [&](char kind, size_t n) {
        return static_cast<uint8_t>(
            static_cast<uint64_t>(ini.ReadInteger("OrderAIDA", kind + Num(n), int64_t(n) + 1)) &
            0xFF);
    };
    for (size_t n = 0; n < kSensorSlots; ++n) {
        s.nameT[n] = ini.ReadString("Temperatures", "nameT" + Num(n), "T" + Num(n));
        s.nameV[n] = ini.ReadString("Voltages", "nameV" + Num(n), "V" + Num(n));
        s.nameF[n] = ini.ReadString("Fans", "nameF" + Num(n), "F" + Num(n));
        s.visT[n] = Clamped<int32_t>(ini.ReadInteger("Temperatures", "visT" + Num(n), 1));
        s.visV[n] = Clamped<int32_t>(ini.ReadInteger("Voltages", "visV" + Num(n), 0));
        s.visF[n] = ini.ReadBool("Fans", "visF" + Num(n), false);
        double divisor = ini.ReadFloat("Fans", "divF" + Num(n), 1);
        s.divF[n] = divisor == 0 ? 1 : divisor;
        int64_t mbm = ini.ReadInteger("OrderMBM5190", "T" + Num(n), int64_t(n) + 1) - 1;
        s.OrderMBM5190T[n] = static_cast<uint8_t>(mbm >= 0 && mbm <= 99 ? mbm : int64_t(n));
        s.OrderSpeedFanT[n] = speedFanIndex('T', n);
        s.OrderSpeedFanF[n] = speedFanIndex('F', n);
        s.OrderSpeedFanV[n] = speedFanIndex('V', n);
        s.OrderAIDAT[n] = aidaOrdinal('T', n);
        s.OrderAIDAF[n] = aidaOrdinal('F', n);
        s.OrderAIDAV[n] = aidaOrdinal('V', n);
    }
    for (size_t n = 0; n < kCpuSlots; ++n) {
        s.nameCPU[n] = ini.ReadString("CPUs", "nameCPU" + Num(n), "Core" + Num(n));
        s.visCPU[n] = ini.ReadBool("CPUs", "visCPU" + Num(n), true);
        s.nameNet[n] = ini.ReadString("Net", "nameNet" + Num(n), "Net" + Num(n));
        s.macNet[n] = ini.ReadString("Net", "macNet" + Num(n), "");
        s.visNet[n] = ini.ReadBool("Net", "visNet" + Num(n), true);
    }
    for (size_t n = 0; n < kDiskSlots; ++n) {
        s.driveDisk[n] = ini.ReadString("Disk", "driveDisk" + Num(n), "");
        s.visDisk[n] = ini.ReadBool("Disk", "visDisk" + Num(n), true);
        // A drive name is at least "C:"; here the root mount point "/" is one too.
        if (s.driveDisk[n].size() < 2 && s.driveDisk[n] != "/") {
            s.driveDisk[n].clear();
            s.enalDisk[n] = false;
        } else {
            s.enalDisk[n] = ini.ReadBool("Disk", "enalDisk" + Num(n), false);
            s.alertDisk[n] = ini.ReadInteger("Disk", "alertDisk" + Num(n), 10485760);
        }
    }
    s.Page = Clamped<int32_t>(ini.ReadInteger("Memory", "Page", 2));
    s.visMem = Clamped<int32_t>(ini.ReadInteger("Memory", "visMem", 1));
    s.visCache = Clamped<int32_t>(ini.ReadInteger("Memory", "visCache", 2));
    s.visBat = ini.ReadBool("Battery", "visBat", true);
    s.TAutoStats = ini.ReadBool("Temperatures", "TAutoStats", true);
    s.TAutoBanner = ini.ReadBool("Temperatures", "TAutoBanner", true);
    s.FAuto = ini.ReadBool("Fans", "FAuto", true);
    s.MemAuto = ini.ReadBool("Memory", "MemAuto", true);
    s.NetAuto = ini.ReadBool("Net", "NetAuto", true);
    s.NetLog = ini.ReadBool("Net", "NetLog", true);
    s.NetSep = ini.ReadBool("Net", "NetSep", false);

    s.Light = FileNamePart(ini.ReadString("Light", "Light", defaults.Light), defaults.Light);
    s.LightPath = ini.ReadString("Light", "Path", "");
    s.SaveLight = ini.ReadBool("Light", "SaveLight", true);
    s.UploadLight = ini.ReadBool("Light", "UploadLight", true);
    s.MiniLight = ini.ReadBool("Light", "MiniLight", false);
    s.Banner = FileNamePart(ini.ReadString("Banner", "Banner", defaults.Banner), defaults.Banner);
    s.BannerPath = ini.ReadString("Banner", "Path", "");
    s.SaveBanner = ini.ReadBool("Banner", "SaveBanner", false);
    s.UploadBanner = ini.ReadBool("Banner", "UploadBanner", false);
    s.SpanBanner = ini.ReadFloat("Banner", "SpanBanner", 6);

    // The longest uptime: whole seconds; anything else counts as none.
    int64_t uptime = 0;
    s.upRecTime = ini.ReadString("Misc", "upRecTime", "0");
    if (!ParseIniInteger(s.upRecTime, uptime) || uptime < 0 ||
        uptime > std::numeric_limits<uint32_t>::max()) {
        uptime = 0;
        s.upRecTime = "0";
    }
    s.upRecSeconds = static_cast<uint32_t>(uptime);
    s.upRecDays = static_cast<uint16_t>(uptime / 86400);
    s.upRecHours = static_cast<uint16_t>(uptime / 3600 % 24);
    s.upRecMinutes = static_cast<uint16_t>(uptime / 60 % 60);
    s.upRecSecs = static_cast<uint16_t>(uptime % 60);
    s.LightTime = kLightTime;
    s.BannerTime = kBannerTime;
    s.UpdateCheck = Clamped<int32_t>(ini.ReadInteger("Misc", "UpdateCheck", -1));
    s.AquaeroPath =
        FolderRule(ini.ReadString("Misc", "AquaeroPath", ""), context.settingsDirectory);
    s.BOINCPath = FolderRule(ini.ReadString("Misc", "BOINCPath", ""), context.settingsDirectory);
    s.SpeedFanParams = ini.ReadString("Misc", "SpeedFanParams", "");
    if (!s.SpeedFanParams.empty()) s.SpeedFanParams.insert(0, " ");
    s.TimeStampMail = ini.ReadBool("Debug", "TimeStampMail", false);
    s.EmergencySuspend =
        s.SuspendAllowed ? ini.ReadBool("PowerOff", "EmergencySuspend", false) : false;
    s.POBeep = ini.ReadBool("PowerOff", "POBeep", true);
    s.SpanStats = ini.ReadFloat("Stats", "SpanStats", 2);
    s.LocalPath = FolderRule(ini.ReadString("Misc", "LocalPath", "."), context.settingsDirectory);
    s.ReadTemp = Clamped<int32_t>(ini.ReadInteger("Misc", "ReadTemp", 20000));
    s.AutoConnect = ini.ReadBool("Misc", "AutoConnect", true);
    s.ShowWarning = ini.ReadBool("Misc", "ShowWarning", true);
    s.CheckForUpdate = ini.ReadBool("Misc", "CheckForUpdate", true);
    s.CheckForUpdateSpeedFan = ini.ReadBool("Misc", "CheckForUpdateSpeedFan", true);
    s.Mini = ini.ReadBool("Misc", "Mini", false);
    s.LangFile = ini.ReadString("Misc", "LangFile", "English.lng");
    s.AutostartSpeedFan = ini.ReadBool("Misc", "AutostartSpeedFan", true);

    // A debug switch given at start-up stays on whatever the file says.
    if (!s.Debug) s.Debug = ini.ReadBool("Debug", "Debug", false);
    s.SaveLog = ini.ReadBool("Debug", "SaveLog", true);
    s.KeepMemoryLow = ini.ReadBool("Debug", "KeepMemoryLow", true);
    s.AcceptZeroValue = ini.ReadBool("Debug", "AcceptZeroValue", false);
    s.IgnoreNonsense = ini.ReadBool("Debug", "IgnoreNonsense", true);
    s.ShowOfflineTime = ini.ReadBool("Debug", "ShowOfflineTime", true);
    s.TimeInUTC = ini.ReadBool("Debug", "TimeInUTC", false);
    s.OnTopLBT = ini.ReadBool("Debug", "OnTopLBT", true);
    s.DisplayDateTime = ini.ReadBool("Debug", "DisplayDateTime", true);
    s.DisplayHint = ini.ReadBool("Debug", "DisplayHint", true);
    s.IncludeStaticData = ini.ReadBool("Debug", "IncludeStaticData", false);
    s.Beta = ini.ReadBool("Debug", "Beta", false);
    struct tSwitch {
        const char* key;
        bool tSettings::*field;
        bool def;
    };
    static constexpr tSwitch kSwitches[] = {
        {"ReadCPUCooL", &tSettings::ReadCPUCooL, true},
        {"ReadCPUID", &tSettings::ReadCPUID, true},
        {"ReadVCool", &tSettings::ReadVCool, true},
        {"ReadHMonitor", &tSettings::ReadHMonitor, true},
        {"ReadSpeedFan", &tSettings::ReadSpeedFan, true},
        {"ReadAtiTool", &tSettings::ReadAtiTool, true},
        {"ReadRivaTuner", &tSettings::ReadRivaTuner, true},
        {"ReadMBM5190", &tSettings::ReadMBM5190, true},
        {"ReadMBM5107", &tSettings::ReadMBM5107, true},
        {"ReadMBM509x", &tSettings::ReadMBM509x, true},
        {"ReadMobileMeter", &tSettings::ReadMobileMeter, true},
        {"ReadFreq", &tSettings::ReadFreq, true},
        {"ReadCPU", &tSettings::ReadCPU, true},
        {"ReadNet", &tSettings::ReadNet, true},
        {"ReadDisk", &tSettings::ReadDisk, true},
        {"ReadMem", &tSettings::ReadMem, true},
        {"ReadUpTime", &tSettings::ReadUpTime, true},
        {"ReadSETI", &tSettings::ReadSETI, true},
        {"ReadBat", &tSettings::ReadBat, true},
        {"ReadEverest", &tSettings::ReadEverest, true},
        {"ReadATITrayTools", &tSettings::ReadATITrayTools, true},
        {"ReadCoreTemp", &tSettings::ReadCoreTemp, true},
        {"ReadAquaero", &tSettings::ReadAquaero, false},
        {"ReadHwmon", &tSettings::ReadHwmon, true},
    };
    for (const tSwitch& sw : kSwitches) s.*sw.field = ini.ReadBool("Debug", sw.key, sw.def);
}

void AssignSlotColors(tSettings& s) {
    const tSettings defaults;
    s.colT = defaults.colT;
    s.colV = defaults.colV;
    s.colF = defaults.colF;
    s.colCPU = defaults.colCPU;
    s.colRNet = defaults.colRNet;
    s.colSNet = defaults.colSNet;
    s.colDisk = defaults.colDisk;
}

void LoadDisplay(tSettings& s, const tSettingsContext& context) {
    const std::string file = FilePath(context, kDisplayIni);
    bool readError = false;
    const tIniFile ini = tIniFile::Load(file, &readError);
    ThrowWhenUnreadable(readError, file);
    const tSettings defaults;

    // Slot colours out of range turn black; the others below fall back to their defaults.
    for (size_t n = 0; n < kSensorSlots; ++n) {
        s.colT[n] = ReadColor(ini, "Temperatures", "colT" + Num(n), s.colT[n], 0);
        s.colV[n] = ReadColor(ini, "Voltages", "colV" + Num(n), s.colV[n], 0);
        s.colF[n] = ReadColor(ini, "Fans", "colF" + Num(n), s.colF[n], 0);
        s.boldT[n] = ini.ReadBool("Temperatures", "boldT" + Num(n), true);
        s.boldV[n] = ini.ReadBool("Voltages", "boldV" + Num(n), true);
        s.boldF[n] = ini.ReadBool("Fans", "boldF" + Num(n), true);
    }
    for (size_t n = 0; n < kCpuSlots; ++n) {
        s.colCPU[n] = ReadColor(ini, "CPUs", "colCPU" + Num(n), s.colCPU[n], 0);
        s.boldCPU[n] = ini.ReadBool("CPUs", "boldCPU" + Num(n), true);
        s.colRNet[n] = ReadColor(ini, "Net", "colRNet" + Num(n), s.colRNet[n], 0);
        s.colSNet[n] = ReadColor(ini, "Net", "colSNet" + Num(n), s.colSNet[n], 0);
    }
    for (size_t n = 0; n < kDiskSlots; ++n) {
        s.colDisk[n] = ReadColor(ini, "Disk", "colDisk" + Num(n), s.colDisk[n], 0);
    }
    auto color = [&](std::string_view section, const std::string& key, tColor def) {
        return ReadColor(ini, section, key, def, def);
    };
    s.colMemPage = color("Memory", "colMemPage", defaults.colMemPage);
    s.colMem = color("Memory", "colMem", defaults.colMem);
    s.colMemCache = color("Memory", "colMemCache", defaults.colMemCache);
    s.colBat = color("Battery", "colBat", defaults.colBat);
    s.visCPUFreq = ini.ReadBool("CPUs", "visCPUFreq", false);
    s.colUser = static_cast<tColor>(ini.ReadInteger("CPUs", "colUser", 0));
    s.visUser = ini.ReadBool("CPUs", "visUser", true);
    s.MemFree = ini.ReadBool("Memory", "MemFree", false);
    s.DisksFree = ini.ReadBool("Disk", "DisksFree", false);
    s.ThermalZones = ini.ReadBool("Misc", "ThermalZones", false);
    s.HTTPServerActive = ini.ReadBool("Misc", "HTTPServerActive", false);
    s.HTTPServerPort = Clamped<int32_t>(ini.ReadInteger("Misc", "HTTPServerPort", 80));
    s.ClickThrough = ini.ReadBool("Misc", "ClickThrough", false);
    s.HideOnClose = ini.ReadBool("Misc", "HideOnClose", false);
    // The counter work-around belongs to very old systems; this one never needs it.
    s.QPCFix = ini.ReadBool("Misc", "QPCFix", false);
    s.ForceACPI = ini.ReadBool("Misc", "ForceACPI", false);
    s.cBack = color("Misc", "cBack", defaults.cBack);
    s.cBorder = color("Misc", "cBorder", defaults.cBorder);
    s.cBorder2 = color("Misc", "cBorder2", defaults.cBorder2);
    s.cInfo = color("Misc", "cInfo", defaults.cInfo);
    s.cFreq = color("Misc", "cFreq", defaults.cFreq);
    s.cScBack = color("Misc", "cScBack", defaults.cScBack);
    s.cScBorder = color("Misc", "cScBorder", defaults.cScBorder);
    s.cScBorder2 = color("Misc", "cScBorder2", defaults.cScBorder2);
    s.cScGrid = color("Misc", "cScGrid", defaults.cScGrid);
    s.cScDesc = color("Misc", "cScDesc", defaults.cScDesc);
    s.LightAlpha = Clamped<uint8_t>(ini.ReadInteger("Misc", "LightAlpha", 153));
    s.Celsius = ini.ReadBool("Temperatures", "Celsius", true);
    s.BitDisplay = ini.ReadBool("Misc", "BitDisplay", false);
    s.OnTop = ini.ReadBool("Misc", "OnTop", false);

    // Whole degrees in the file, hundredths here.
    auto hundredths = [&](std::string_view section, const char* key, int64_t def) {
        return Clamped<int16_t>(Clamped<int16_t>(ini.ReadInteger(section, key, def)) * 100);
    };
    s.TMinStats = hundredths("Temperatures", "TMinStats", 15);
    s.TMaxStats = hundredths("Temperatures", "TMaxStats", 55);
    s.TStepStats = ini.ReadFloat("Temperatures", "TStepStats", 0);
    s.TMinBanner = hundredths("Temperatures", "TMinBanner", 15);
    s.TMaxBanner = hundredths("Temperatures", "TMaxBanner", 55);
    s.FMin = Clamped<int16_t>(ini.ReadInteger("Fans", "FMin", 1000));
    s.FMax = Clamped<int16_t>(ini.ReadInteger("Fans", "FMax", 6000));
    // Megabytes in the file, kilobytes here.
    constexpr int64_t kMaxMegabytes = std::numeric_limits<int64_t>::max() / 1024;
    int64_t memMin =
        std::clamp(ini.ReadInteger("Memory", "MemMin", 0), -kMaxMegabytes, kMaxMegabytes);
    int64_t memMax =
        std::clamp(ini.ReadInteger("Memory", "MemMax", 512), -kMaxMegabytes, kMaxMegabytes);
    if (memMin >= memMax) {
        memMin = 0;
        memMax = 512;
    }
    s.MemMin = memMin * 1024;
    s.MemMax = memMax * 1024;
    s.NetMin = Clamped<int32_t>(ini.ReadInteger("Net", "NetMin", 0));
    s.NetMax = Clamped<int32_t>(ini.ReadInteger("Net", "NetMax", 12));
    s.DiskMin = ini.ReadFloat("Disk", "DiskMin", 0);
    s.DiskMax = ini.ReadFloat("Disk", "DiskMax", 81920);

    s.THeight = Clamped<int16_t>(ini.ReadInteger("Temperatures", "THeight", 120));
    s.VHeight = Clamped<int32_t>(ini.ReadInteger("CPUs", "VHeight", 40));
    s.FHeight = Clamped<int32_t>(ini.ReadInteger("Fans", "FHeight", 40));
    s.MemHeight = Clamped<int32_t>(ini.ReadInteger("Memory", "MemHeight", 60));
    s.BatHeight = Clamped<int32_t>(ini.ReadInteger("Battery", "BatHeight", 40));
    s.CPUHeight = Clamped<int32_t>(ini.ReadInteger("CPUs", "CPUHeight", 60));
    // NetHeight used to live in "Memory"; its place now is "Net".
    int64_t netHeight = ini.ReadInteger("Net", "NetHeight", 80);
    s.NetHeight = Clamped<int32_t>(ini.ReadInteger("Memory", "NetHeight", netHeight));

    s.StatsWidth = static_cast<int16_t>(
        std::clamp<int64_t>(ini.ReadInteger("Misc", "StatsWidth", 550), 480, 3072));
    s.BannerWidth = static_cast<int16_t>(
        std::clamp<int64_t>(ini.ReadInteger("Misc", "BannerWidth", 530), 480, 3072));
    double alpha = ini.ReadFloat("Misc", "Alpha", 0);
    s.Alpha = alpha < 0 || alpha >= 1 ? 0 : alpha;
    s.FontStandard = defaults.FontStandard;
    s.FontFixed = defaults.FontFixed;
    s.FontSmall = defaults.FontSmall;
}

// One stored password: an older plain key is taken once and replaced by the
// scrambled key; otherwise the scrambled key is unscrambled.
bool ReadPassword(tIniFile& ini, std::string_view section, const char* plainKey,
                  const char* cryptKey, std::string& password, const tEventLog& events) {
    if (ini.ValueExists(section, plainKey)) {
        password = ini.ReadString(section, plainKey, "");
        ini.DeleteKey(section, plainKey);
        ini.WriteString(section, cryptKey, EncodePassword(password, events));
        return true;
    }
    password = DecodePassword(ini.ReadString(section, cryptKey, ""), events);
    return false;
}

void LoadServer(tSettings& s, const tSettingsContext& context) {
    const std::string file = FilePath(context, kServerIni);
    bool readError = false;
    tIniFile ini = tIniFile::Load(file, &readError);
    ThrowWhenUnreadable(readError, file);
    const tEventLog& events = context.events;
    bool migrated = false;

    s.Host = ini.ReadString("FTP", "Host", "");
    s.User = ini.ReadString("FTP", "User", "");
    migrated |= ReadPassword(ini, "FTP", "Pass", "FTPPassCrypt", s.FTPPass, events);
    s.Port = Clamped<int32_t>(ini.ReadInteger("FTP", "Port", 21));
    s.Passive = ini.ReadBool("FTP", "Passive", true);
    s.PassiveUseControlHost = ini.ReadBool("FTP", "PassiveUseControlHost", true);
    s.TryNATFastTrack = ini.ReadBool("FTP", "TryNATFastTrack", false);
    s.UseCCC = ini.ReadBool("FTP", "UseCCC", false);
    s.UseTLS = Clamped<int32_t>(ini.ReadInteger("FTP", "UseTLS", 1));
    s.UploadType = Clamped<int16_t>(ini.ReadInteger("FTP", "UploadType", 1));
    s.Path = ini.ReadString("FTP", "Path", "/");
    s.SMTPHost = ini.ReadString("SMTP", "SMTPHost", "");
    s.SMTPUser = ini.ReadString("SMTP", "SMTPUser", "");
    s.SMTPPort = Clamped<int32_t>(ini.ReadInteger("SMTP", "SMTPPort", 25));
    s.SMTPAuth = ini.ReadBool("SMTP", "SMTPAuth", false);
    migrated |= ReadPassword(ini, "SMTP", "SMTPPass", "SMTPPassCrypt", s.SMTPPass, events);
    s.ProxyHost = ini.ReadString("Proxy", "ProxyHost", "");
    s.ProxyUser = ini.ReadString("Proxy", "ProxyUser", "");
    s.ProxyPort = Clamped<int32_t>(ini.ReadInteger("Proxy", "ProxyPort", 1080));
    migrated |=
        ReadPassword(ini, "Proxy", "ProxyPass", "FTPProxyPassCrypt", s.FTPProxyPass, events);
    s.ProxyType = Clamped<int16_t>(ini.ReadInteger("Proxy", "ProxyType", 0));
    s.HTTPProxyHost = ini.ReadString("Proxy", "HTTPProxyHost", "");
    s.HTTPProxyUser = ini.ReadString("Proxy", "HTTPProxyUser", "");
    migrated |=
        ReadPassword(ini, "Proxy", "HTTPProxyPass", "HTTPProxyPassCrypt", s.HTTPProxyPass, events);
    s.HTTPProxyPort = Clamped<int32_t>(ini.ReadInteger("Proxy", "HTTPProxyPort", 1080));
    s.HTTPProxyAuth = ini.ReadBool("Proxy", "HTTPProxyAuth", false);

    // Only a migrated password changes the file; it is then written at once so
    // that the plain text does not stay on disk.
    if (migrated && !ini.Save(file, kServerIniMode, true)) {
        throw std::runtime_error("cannot write " + file);
    }
}

// Runs one step; an exception ends it with the step's event-log code.
template <typename tStep>
void Guarded(const tEventLog& events, const char* code, tStep&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        events.WriteEvent(std::string(code) + e.what());
    }
}

void SaveClient(const tSettings& s, tIniFile& ini) {
    for (size_t n = 0; n < kSensorSlots; ++n) {
        ini.WriteString("Temperatures", "nameT" + Num(n), s.nameT[n]);
        ini.WriteString("Fans", "nameF" + Num(n), s.nameF[n]);
        ini.WriteString("Voltages", "nameV" + Num(n), s.nameV[n]);
        ini.WriteInteger("Temperatures", "visT" + Num(n), s.visT[n]);
        ini.WriteInteger("Voltages", "visV" + Num(n), s.visV[n]);
        ini.WriteBool("Fans", "visF" + Num(n), s.visF[n]);
    }
    for (size_t n = 0; n < kCpuSlots; ++n) {
        ini.WriteString("CPUs", "nameCPU" + Num(n), s.nameCPU[n]);
        ini.WriteBool("CPUs", "visCPU" + Num(n), s.visCPU[n]);
        ini.WriteString("Net", "nameNet" + Num(n), s.nameNet[n]);
        ini.WriteString("Net", "macNet" + Num(n), s.macNet[n]);
        ini.WriteBool("Net", "visNet" + Num(n), s.visNet[n]);
    }
    for (size_t n = 0; n < kDiskSlots; ++n) {
        ini.WriteString("Disk", "driveDisk" + Num(n), s.driveDisk[n]);
        ini.WriteBool("Disk", "visDisk" + Num(n), s.visDisk[n]);
        ini.WriteBool("Disk", "enalDisk" + Num(n), s.enalDisk[n]);
        ini.WriteInteger("Disk", "alertDisk" + Num(n), s.alertDisk[n]);
    }
    ini.WriteBool("Battery", "visBat", s.visBat);
    ini.WriteInteger("Memory", "Page", s.Page);
    ini.WriteInteger("Memory", "visMem", s.visMem);
    ini.WriteInteger("Memory", "visCache", s.visCache);
    ini.WriteBool("Temperatures", "TAutoStats", s.TAutoStats);
    ini.WriteBool("Temperatures", "TAutoBanner", s.TAutoBanner);
    ini.WriteBool("Fans", "FAuto", s.FAuto);
    ini.WriteBool("Memory", "MemAuto", s.MemAuto);
    ini.WriteBool("Net", "NetAuto", s.NetAuto);
    ini.WriteBool("Net", "NetLog", s.NetLog);
    ini.WriteBool("Net", "NetSep", s.NetSep);
    ini.WriteString("Light", "Light", s.Light);
    ini.WriteBool("Light", "SaveLight", s.SaveLight);
    ini.WriteBool("Light", "UploadLight", s.UploadLight);
    ini.WriteBool("Light", "MiniLight", s.MiniLight);
    ini.WriteInteger("Light", "LightTime", kLightTime);
    ini.WriteString("Banner", "Banner", s.Banner);
    ini.WriteBool("Banner", "SaveBanner", s.SaveBanner);
    ini.WriteBool("Banner", "UploadBanner", s.UploadBanner);
    ini.WriteInteger("Banner", "BannerTime", kBannerTime);
    ini.WriteFloat("Banner", "SpanBanner", s.SpanBanner);
    ini.WriteBool("Debug", "TimeStampMail", s.TimeStampMail);
    ini.WriteBool("PowerOff", "EmergencySuspend", s.EmergencySuspend);
    ini.WriteBool("PowerOff", "POBeep", s.POBeep);
    ini.WriteFloat("Stats", "SpanStats", s.SpanStats);
    ini.WriteInteger("Misc", "ReadTemp", s.ReadTemp);
    ini.WriteString("Misc", "LocalPath", s.LocalPath);
    ini.WriteBool("Misc", "AutoConnect", s.AutoConnect);
    ini.WriteBool("Misc", "ShowWarning", s.ShowWarning);
    ini.WriteBool("Misc", "CheckForUpdate", s.CheckForUpdate);
    ini.WriteBool("Misc", "CheckForUpdateSpeedFan", s.CheckForUpdateSpeedFan);
    ini.WriteBool("Misc", "Mini", s.Mini);
    ini.WriteString("Misc", "LangFile", s.LangFile);
    ini.WriteBool("Misc", "AutostartSpeedFan", s.AutostartSpeedFan);
    ini.WriteBool("Debug", "Debug", s.Debug);
    ini.WriteBool("Debug", "SaveLog", s.SaveLog);
    ini.WriteBool("Debug", "KeepMemoryLow", s.KeepMemoryLow);
    ini.WriteBool("Debug", "AcceptZeroValue", s.AcceptZeroValue);
    ini.WriteBool("Debug", "IgnoreNonsense", s.IgnoreNonsense);
    ini.WriteBool("Debug", "ShowOfflineTime", s.ShowOfflineTime);
    ini.WriteBool("Debug", "TimeInUTC", s.TimeInUTC);
    ini.WriteBool("Debug", "OnTopLBT", s.OnTopLBT);
    ini.WriteBool("Debug", "DisplayDateTime", s.DisplayDateTime);
    ini.WriteBool("Debug", "DisplayHint", s.DisplayHint);
    ini.WriteBool("Debug", "IncludeStaticData", s.IncludeStaticData);
    ini.WriteBool("Debug", "Beta", s.Beta);
    const std::pair<const char*, bool> switches[] = {
        {"ReadCPUCooL", s.ReadCPUCooL},
        {"ReadCPUID", s.ReadCPUID},
        {"ReadVCool", s.ReadVCool},
        {"ReadHMonitor", s.ReadHMonitor},
        {"ReadSpeedFan", s.ReadSpeedFan},
        {"ReadAtiTool", s.ReadAtiTool},
        {"ReadRivaTuner", s.ReadRivaTuner},
        {"ReadMBM5190", s.ReadMBM5190},
        {"ReadMBM5107", s.ReadMBM5107},
        {"ReadMBM509x", s.ReadMBM509x},
        {"ReadMobileMeter", s.ReadMobileMeter},
        {"ReadFreq", s.ReadFreq},
        {"ReadCPU", s.ReadCPU},
        {"ReadNet", s.ReadNet},
        {"ReadDisk", s.ReadDisk},
        {"ReadMem", s.ReadMem},
        {"ReadUpTime", s.ReadUpTime},
        {"ReadSETI", s.ReadSETI},
        {"ReadBat", s.ReadBat},
        {"ReadEverest", s.ReadEverest},
        {"ReadATITrayTools", s.ReadATITrayTools},
        {"ReadCoreTemp", s.ReadCoreTemp},
        {"ReadAquaero", s.ReadAquaero},
        {"ReadHwmon", s.ReadHwmon},
    };
    for (const auto& [key, on] : switches) ini.WriteBool("Debug", key, on);
}

void SaveDisplay(const tSettings& s, tIniFile& ini) {
    for (size_t n = 0; n < kSensorSlots; ++n) {
        ini.WriteInteger("Temperatures", "colT" + Num(n), s.colT[n]);
        ini.WriteInteger("Voltages", "colV" + Num(n), s.colV[n]);
        ini.WriteInteger("Fans", "colF" + Num(n), s.colF[n]);
        ini.WriteBool("Temperatures", "boldT" + Num(n), s.boldT[n]);
        ini.WriteBool("Voltages", "boldV" + Num(n), s.boldV[n]);
        ini.WriteBool("Fans", "boldF" + Num(n), s.boldF[n]);
    }
    for (size_t n = 0; n < kCpuSlots; ++n) {
        ini.WriteInteger("CPUs", "colCPU" + Num(n), s.colCPU[n]);
        ini.WriteBool("CPUs", "boldCPU" + Num(n), s.boldCPU[n]);
        ini.WriteInteger("Net", "colRNet" + Num(n), s.colRNet[n]);
        ini.WriteInteger("Net", "colSNet" + Num(n), s.colSNet[n]);
    }
    for (size_t n = 0; n < kDiskSlots; ++n) {
        ini.WriteInteger("Disk", "colDisk" + Num(n), s.colDisk[n]);
    }
    ini.WriteInteger("Memory", "colMemPage", s.colMemPage);
    ini.WriteInteger("Memory", "colMem", s.colMem);
    ini.WriteInteger("Memory", "colMemCache", s.colMemCache);
    ini.WriteInteger("Battery", "colBat", s.colBat);
    ini.WriteBool("CPUs", "visCPUFreq", s.visCPUFreq);
    ini.WriteInteger("CPUs", "colUser", s.colUser);
    ini.WriteBool("CPUs", "visUser", s.visUser);
    ini.WriteBool("Memory", "MemFree", s.MemFree);
    ini.WriteBool("Disk", "DisksFree", s.DisksFree);
    ini.WriteBool("Misc", "ThermalZones", s.ThermalZones);
    ini.WriteBool("Misc", "HTTPServerActive", s.HTTPServerActive);
    ini.WriteInteger("Misc", "HTTPServerPort", s.HTTPServerPort);
    ini.WriteBool("Misc", "HideOnClose", s.HideOnClose);
    ini.WriteBool("Misc", "QPCFix", s.QPCFix);
    ini.WriteBool("Misc", "ForceACPI", s.ForceACPI);
    const std::pair<const char*, tColor> colors[] = {
        {"cBack", s.cBack},         {"cBorder", s.cBorder},       {"cBorder2", s.cBorder2},
        {"cInfo", s.cInfo},         {"cFreq", s.cFreq},           {"cScBack", s.cScBack},
        {"cScBorder", s.cScBorder}, {"cScBorder2", s.cScBorder2}, {"cScGrid", s.cScGrid},
        {"cScDesc", s.cScDesc},
    };
    for (const auto& [key, value] : colors) ini.WriteInteger("Misc", key, value);
    ini.WriteInteger("Misc", "LightAlpha", s.LightAlpha);
    ini.WriteBool("Temperatures", "Celsius", s.Celsius);
    ini.WriteBool("Misc", "BitDisplay", s.BitDisplay);
    ini.WriteBool("Misc", "OnTop", s.OnTop);
    ini.WriteInteger("Temperatures", "TMinStats", DivideRounded(s.TMinStats, 100));
    ini.WriteInteger("Temperatures", "TMaxStats", DivideRounded(s.TMaxStats, 100));
    ini.WriteInteger("Temperatures", "TMinBanner", DivideRounded(s.TMinBanner, 100));
    ini.WriteInteger("Temperatures", "TMaxBanner", DivideRounded(s.TMaxBanner, 100));
    ini.WriteInteger("Fans", "FMin", s.FMin);
    ini.WriteInteger("Fans", "FMax", s.FMax);
    ini.WriteInteger("Memory", "MemMin", DivideRounded(s.MemMin, 1024));
    ini.WriteInteger("Memory", "MemMax", DivideRounded(s.MemMax, 1024));
    ini.WriteInteger("Net", "NetMax", s.NetMax);
    ini.WriteFloat("Disk", "DiskMin", s.DiskMin);
    ini.WriteFloat("Disk", "DiskMax", s.DiskMax);
    ini.WriteInteger("Temperatures", "THeight", s.THeight);
    ini.WriteInteger("CPUs", "VHeight", s.VHeight);
    ini.WriteInteger("Fans", "FHeight", s.FHeight);
    ini.WriteInteger("Memory", "MemHeight", s.MemHeight);
    ini.WriteInteger("Net", "NetHeight", s.NetHeight);
    ini.WriteInteger("Battery", "BatHeight", s.BatHeight);
    ini.WriteInteger("CPUs", "CPUHeight", s.CPUHeight);
    ini.WriteInteger("Misc", "StatsWidth", s.StatsWidth);
    ini.WriteInteger("Misc", "BannerWidth", s.BannerWidth);
    ini.DeleteKey("Memory", "NetHeight");
    ini.WriteFloat("Misc", "Alpha", s.Alpha);
}

void SaveServer(const tSettings& s, tIniFile& ini, const tEventLog& events) {
    ini.WriteString("FTP", "Host", s.Host);
    ini.WriteString("FTP", "User", s.User);
    ini.WriteString("FTP", "FTPPassCrypt", EncodePassword(s.FTPPass, events));
    ini.WriteInteger("FTP", "Port", s.Port);
    ini.WriteBool("FTP", "Passive", s.Passive);
    ini.WriteInteger("FTP", "UseTLS", s.UseTLS);
    ini.WriteInteger("FTP", "UploadType", s.UploadType);
    ini.WriteString("FTP", "Path", s.Path);
    ini.WriteString("SMTP", "SMTPHost", s.SMTPHost);
    ini.WriteString("SMTP", "SMTPUser", s.SMTPUser);
    ini.WriteString("SMTP", "SMTPPassCrypt", EncodePassword(s.SMTPPass, events));
    ini.WriteInteger("SMTP", "SMTPPort", s.SMTPPort);
    ini.WriteBool("SMTP", "SMTPAuth", s.SMTPAuth);
    ini.WriteString("Proxy", "ProxyHost", s.ProxyHost);
    ini.WriteString("Proxy", "ProxyUser", s.ProxyUser);
    ini.WriteInteger("Proxy", "ProxyPort", s.ProxyPort);
    ini.WriteString("Proxy", "FTPProxyPassCrypt", EncodePassword(s.FTPProxyPass, events));
    ini.WriteInteger("Proxy", "ProxyType", s.ProxyType);
    ini.WriteString("Proxy", "HTTPProxyHost", s.HTTPProxyHost);
    ini.WriteString("Proxy", "HTTPProxyUser", s.HTTPProxyUser);
    ini.WriteString("Proxy", "HTTPProxyPassCrypt", EncodePassword(s.HTTPProxyPass, events));
    ini.WriteInteger("Proxy", "HTTPProxyPort", s.HTTPProxyPort);
    ini.WriteBool("Proxy", "HTTPProxyAuth", s.HTTPProxyAuth);
}

// Loads the current file, applies `write` and saves it; false when the file
// could not be read or written, in which case it is left as it was.
template <typename tWrite>
bool RewriteFile(const std::string& file, mode_t mode, bool forceMode, tWrite&& write) {
    try {
        bool readError = false;
        tIniFile ini = tIniFile::Load(file, &readError);
        if (readError) return false;
        write(ini);
        return ini.Save(file, mode, forceMode);
    } catch (const std::exception&) {
        // Nothing of the file was written; the caller reports the failure.
        return false;
    }
}

}  // namespace

bool IsServiceAccount(std::string_view userName) {
    std::string upper(userName);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper == "SYSTEM" || upper == "ROOT";
}

void LoadSettings(tSettings& settings, const tSettingsContext& context) {
    const tEventLog& events = context.events;
    Guarded(events, "rr1 ", [&] {
        settings.RunningAsService = IsServiceAccount(context.userName);
        tPowerCapabilities power = context.power.Capabilities();
        settings.HibernateAllowed = power.hibernateAllowed;
        settings.SuspendAllowed = power.suspendAllowed;
    });
    settings.visT.fill(1);
    settings.visV.fill(0);
    settings.visF.fill(false);
    Guarded(events, "rr2 ", [&] { LoadClient(settings, context); });
    AssignSlotColors(settings);
    Guarded(events, "rr3 ", [&] { LoadDisplay(settings, context); });
    Guarded(events, "rr4 ", [&] { LoadServer(settings, context); });
    Guarded(events, "rr7 ", [&] {
        if (!context.autostart.DeleteUserEntry()) {
            throw std::runtime_error("cannot remove the per-user autostart entry");
        }
    });
    Guarded(events, "rr8 ", [&] {
        // Without full access to the machine-wide folder the flag stays as it was.
        if (!context.autostart.CanOpenMachineEntry()) return;
        if (settings.RunningAsService) context.autostart.DeleteMachineEntry();
        settings.Autostart = context.autostart.MachineEntryExists();
    });
    settings.German = settings.LangFile.find("Deutsch") != std::string::npos;
}

tSaveResult SaveSettings(const tSettings& settings, bool notifyMonitor,
                         const tSettingsContext& context) {
    tSaveResult result;
    result.client = RewriteFile(FilePath(context, kClientIni), kIniMode, false,
                                [&](tIniFile& ini) { SaveClient(settings, ini); });
    result.display = RewriteFile(FilePath(context, kDisplayIni), kIniMode, false,
                                 [&](tIniFile& ini) { SaveDisplay(settings, ini); });
    result.server = RewriteFile(FilePath(context, kServerIni), kServerIniMode, true,
                                [&](tIniFile& ini) { SaveServer(settings, ini, context.events); });

    // Without full access to the machine-wide folder the entry stays as it is.
    Guarded(context.events, "rs5 ", [&] {
        const tAutostart& autostart = context.autostart;
        if (!autostart.CanOpenMachineEntry()) return;
        bool exists = autostart.MachineEntryExists();
        if (settings.Autostart && !exists) {
            autostart.WriteMachineEntry("\"" + context.programDirectory + "calorix\"");
        } else if (!settings.Autostart && exists) {
            autostart.DeleteMachineEntry();
        }
    });
    if (notifyMonitor) {
        // No monitor running is no failure: there is nobody to tell.
        Guarded(context.events, "rs6 ", [&] {
            context.messageBus.PostMessage(kMonitorWindowClass, {WM_OPTIONSCHANGED, 0, 0});
        });
    }
    return result;
}

}  // namespace cx
