#pragma once
// The in-memory settings of one program: one field per key of the three
// settings files, named after the key. Slot arrays are indexed from 0, so
// nameT[0] holds key nameT1. Filled by LoadSettings, written by SaveSettings.
#include <array>
#include <cstdint>
#include <string>

namespace cx {

struct tSettings {
    // --- CXClient.ini, "Temperatures", "Voltages", "Fans"
    std::array<std::string, 10> nameT, nameV, nameF;
    std::array<int32_t, 10> visT{}, visV{};
    std::array<bool, 10> visF{};
    std::array<double, 10> divF{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    // --- CXClient.ini, "Misc"
    int32_t ReadTemp = 20000;       // reading interval, ms
    std::string AquaeroPath;        // with trailing '/', "" until loaded
    std::string BOINCPath;
    std::string LangFile = "English.lng";
    std::string upRecTime = "0";    // longest uptime seen, whole seconds as text
    uint32_t upRecSeconds = 0;      // derived from upRecTime
    uint16_t upRecDays = 0, upRecHours = 0, upRecMinutes = 0, upRecSecs = 0;

    // --- CXClient.ini, "Debug": diagnostics and source switches
    bool Debug = false;
    bool SaveLog = true;
    bool AcceptZeroValue = false;
    bool IgnoreNonsense = true;
    bool TimeInUTC = false;
    bool ReadCPUCooL = true, ReadCPUID = true, ReadVCool = true, ReadHMonitor = true,
         ReadSpeedFan = true, ReadAtiTool = true, ReadRivaTuner = true, ReadMBM5190 = true,
         ReadMBM5107 = true, ReadMBM509x = true, ReadMobileMeter = true, ReadFreq = true,
         ReadCPU = true, ReadNet = true, ReadDisk = true, ReadMem = true, ReadUpTime = true,
         ReadSETI = true, ReadBat = true, ReadEverest = true, ReadATITrayTools = true,
         ReadCoreTemp = true, ReadAquaero = false, ReadHwmon = true;

    // --- CXDisplay.ini
    bool Celsius = true;
    bool BitDisplay = false;
    bool ThermalZones = false;
    bool ForceACPI = false;
    bool QPCFix = false;
};

}  // namespace cx
