#pragma once
// Batteries and the mains supply from /sys/class/power_supply. The batteries
// are listed once at start-up; every pass reads their capacities, voltage,
// temperature and the mains state.
#include <cstdint>
#include <string>
#include <vector>

#include "readings/ReadingContext.h"

namespace cx {

// What one battery reports in the units of the reading set. -1 = unknown.
struct tBatteryReport {
    bool present = true;
    int64_t remaining = -1;          // mWh, or a relative figure
    int64_t full = -1;               // full-charged capacity
    int64_t design = -1;             // designed capacity
    bool relative = false;           // capacities in mAh or percent rather than mWh
    int64_t voltage = -1;            // hundredths of a volt
    int64_t temperature = -1000000;  // hundredths of a degree Celsius; below -100000 = unknown
    int onMains = -1;  // from the battery's own status: 1 charging or full, 0 discharging
};

// Reads one battery's folder (energy_* in µWh, charge_* in µAh, voltage in µV,
// temperature in tenths of a degree). False when the folder cannot be read.
bool ReadBatteryReport(const std::string& directory, tBatteryReport& report, std::string& buffer);

// Writes one battery's report into the reading set: battery i owns voltage
// slot V(i+1) and temperature slot T(6+i); the shared fields take the latest
// battery's answers.
void ApplyBatteryReport(const tBatteryReport& report, size_t index, tReadingSet& rs);

// Fills the battery device list: every supply of type Battery that powers the
// machine (a mouse's or a headset's battery is left out). Logs each battery
// found and the number of battery slots.
class tBatteryListSource : public IReadingSource {
public:
    void Read(tReadingContext& context) override;
};

// Reads the batteries of the device list. The pass resets the battery fields
// before it asks; one battery's failure is logged as "gbd1 " and the next
// battery is still read.
class tBatterySource : public IReadingSource {
public:
    void Read(tReadingContext& context) override;

private:
    // 1 or 0 from the mains supplies' "online", -1 when the machine has none.
    int MainsOnline(const std::string& root);

    tBatteryReport m_report;
    std::vector<std::string> m_names;
    std::string m_buffer, m_path;
};

}  // namespace cx
