#pragma once
// The reading pass: InitReadings prepares the reading set at start-up and
// ReadValues refreshes it from every enabled source in a fixed order, so that
// when two sources deliver the same slot the later one wins.
#include <cstdint>
#include <functional>
#include <memory>

#include "readings/ReadingContext.h"

namespace cx {

// The sources of the pass, one slot per step. An empty slot is a source that
// is not there (not built for this program, or not written yet) and is skipped
// like a missing outside program. The pass owns the sources it is given.
//
// Each slot is asked only while its switch in tSettings is on; a source that
// throws is logged as its code, a blank and the message, and the pass goes on.
// Switches and codes, in the order of the pass:
struct tReadingSources {
    std::unique_ptr<IReadingSource> hwmon;     // ReadHwmon, "rvhw" (before the blocks)
    std::unique_ptr<IReadingSource> aida64;    // ReadEverest, "re3"
    std::unique_ptr<IReadingSource> everest;   // ReadEverest, "re3" (after AIDA64)
    std::unique_ptr<IReadingSource> cpuid;     // ReadCPUID, "rv3"
    std::unique_ptr<IReadingSource> cpuCool;   // ReadCPUCooL, "rv6"
    std::unique_ptr<IReadingSource> vCool;     // ReadVCool, "rv7"
    std::unique_ptr<IReadingSource> hMonitor;  // ReadHMonitor, "rv10"
    std::unique_ptr<IReadingSource> speedFan;  // ReadSpeedFan, "rv13"
    std::unique_ptr<IReadingSource>
        speedFanNames;                             // ReadSpeedFan while its name flag is up, "rv12"
    std::unique_ptr<IReadingSource> atiTool;       // ReadAtiTool, "rv31"
    std::unique_ptr<IReadingSource> rivaTuner;     // ReadRivaTuner, "rv rt 3"
    std::unique_ptr<IReadingSource> atiTrayTools;  // ReadATITrayTools, "rv att 3"
    std::unique_ptr<IReadingSource> freq;          // ReadFreq, "gf"
    std::unique_ptr<IReadingSource> coreTemp;      // ReadCoreTemp, "rv ct 3"
    std::unique_ptr<IReadingSource> cpu;           // ReadCPU, "rv15"
    std::unique_ptr<IReadingSource> powerSchemes;  // ThermalZones and ForceACPI, "tws"
    std::unique_ptr<IReadingSource> thermalZones;  // ThermalZones, "rv16"
    std::unique_ptr<IReadingSource> mobileMeter;   // ReadMobileMeter, "rmm1"
    std::unique_ptr<IReadingSource> mbm5190;       // ReadMBM5190, "rv17"
    std::unique_ptr<IReadingSource> mbm5107;       // ReadMBM5107, "rv18"
    std::unique_ptr<IReadingSource> mbm509x;       // ReadMBM509x, "rv19"
    std::unique_ptr<IReadingSource> aquaero;       // ReadAquaero, "rv aq" (finds its folder itself)
    std::unique_ptr<IReadingSource> net;           // ReadNet, "rv20"
    std::unique_ptr<IReadingSource> batteries;     // ReadBat, "gbd1" (fields reset by the pass)
    std::unique_ptr<IReadingSource> disk;          // ReadDisk, every tenth or forced pass, "rv22"
    std::unique_ptr<IReadingSource> boinc;         // ReadSETI, as disk and 3 s apart, "rv23"
    std::unique_ptr<IReadingSource> valueBlock;    // always, "rv24"
    std::unique_ptr<IReadingSource> mem;           // ReadMem, "rv32"
    std::unique_ptr<IReadingSource> upTime;        // ReadUpTime, "rv27"

    // Run by InitReadings, not by the pass: fills the battery device list, "ib1".
    std::unique_ptr<IReadingSource> batteryList;

    // Seconds since the user's last input, or a negative number when unknown
    // (no display, failed query). Empty asks the system (IdleSeconds).
    std::function<int64_t()> idleSeconds;
};

// Sets every slot of the current sample to its no-value marker, zeroes the
// maximum clock, the active seconds, the processor count and the pass counter,
// enumerates the batteries and raises the three name-refresh flags.
void InitReadings(tReadingContext& context, tReadingSources& sources);

// One reading pass. `force` makes the every-tenth-pass sources (disks, BOINC)
// run in this pass. Never throws: every failure goes to the event log.
void ReadValues(tReadingContext& context, tReadingSources& sources, bool force);

}  // namespace cx
