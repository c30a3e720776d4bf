#pragma once
// Batteries and the mains supply from /sys/class/power_supply. The batteries
// are listed once at start-up; every pass reads their capacities, voltage,
// temperature and the mains state.
#include <cstdint>
#include <string>
#include <vector>

#include "readings/HeldFiles.h"
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

// The attribute files of the power supplies, held open between passes.
class tSupplyAttributes {
public:
    // An integer attribute of a supply, -1 when it is missing or unreadable.
    int64_t Integer(const std::string& directory, std::string_view name);
    // An integer attribute that may be negative; false when missing or unreadable.
    bool SignedInteger(const std::string& directory, std::string_view name, int64_t& value);
    // A text attribute without its line break; empty when missing.
    std::string_view Text(const std::string& directory, std::string_view name);

private:
    const std::string& PathOf(const std::string& directory, std::string_view name);

    tHeldFiles m_files;
    std::string m_path, m_buffer;
};

// Reads one battery's folder (energy_* in µWh, charge_* in µAh, voltage in µV,
// temperature in tenths of a degree). False when the folder cannot be read.
bool ReadBatteryReport(const std::string& directory, tBatteryReport& report,
                       tSupplyAttributes& attributes);

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
    tSupplyAttributes m_attributes;
    tHeldFolder m_folder;
    std::vector<std::string> m_names, m_listed, m_mains;
    std::string m_base, m_baseRoot, m_path;
    bool m_baseSet = false;
};

}  // namespace cx
