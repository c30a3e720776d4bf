#include "readings/SystemSources.h"

#include "readings/Batteries.h"
#include "readings/CPUUsage.h"
#include "readings/DiskSpace.h"
#include "readings/Hwmon.h"
#include "readings/MemoryStatus.h"
#include "readings/NetworkAdapters.h"
#include "readings/ProcessorClock.h"
#include "readings/ThermalZones.h"
#include "readings/Uptime.h"

namespace cx {

void AddSystemSources(tReadingSources& sources) {
    sources.hwmon = std::make_unique<tHwmonSource>();
    sources.freq = std::make_unique<tProcessorClockSource>();
    sources.cpu = std::make_unique<tCPUUsageSource>();
    sources.thermalZones = std::make_unique<tThermalZoneSource>();
    sources.net = std::make_unique<tNetworkSource>();
    sources.batteryList = std::make_unique<tBatteryListSource>();
    sources.batteries = std::make_unique<tBatterySource>();
    sources.disk = std::make_unique<tDiskSource>();
    sources.mem = std::make_unique<tMemorySource>();
    sources.upTime = std::make_unique<tUptimeSource>();
}

}  // namespace cx
