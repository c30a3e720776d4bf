#pragma once
// The reading set: the current sample pair and the program-wide values beside
// it. One instance per program, filled by the reading pass and read by the
// histories, the pictures and the windows.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "readings/Sample.h"

namespace cx {

// One network interface as seen in the last pass.
struct tNetMon {
    std::string description;  // the adapter's description, trimmed
    std::string ipText;       // AdapterIPText
    std::string macText;      // MacToText
    uint32_t lastChange = 0;  // last-change stamp of the previous pass (detects a reset)
};

// One drive of the last disk scan.
struct tDiskMon {
    std::string name;         // the root without its trailing separator
    std::string volumeLabel;
};

// The readings of one disk slot from the last disk step.
struct tDiskSlotReading {
    std::string label;  // display label: the slot's identity from its first blank on
    int64_t total = 0;  // KB
    int64_t free = 0;   // KB available to the user
};

struct tBOINCActiveTask {
    std::string projectText;  // project host name, two blanks, "v" and the application version
    std::string resultName;
    std::string cpuTimeText;
    double fractionDone = 0;  // 0..1
};

struct tBOINCProject {
    double userTotalCredit = 0, userAverageCredit = 0;
    double hostTotalCredit = 0, hostAverageCredit = 0;
    std::string projectName;
};

struct tReadingSet {
    // The records are packed, so each starts on an 8-byte boundary here to keep
    // its time stamp and 32-bit fields where references to them are safe.
    alignas(8) tSample sample{};
    alignas(8) tSample2 sample2{};

    int32_t maxClock = 0;         // kHz, highest clock seen or reported as the maximum
    int32_t memTotal = 0;         // KB; 0 = unknown
    int32_t pageTotal = 0;        // commit limit, KB
    int32_t batDesign = 0;        // designed capacity of a worn battery, else 0; reset every pass
    uint8_t batRelative = 0;      // 1 = capacities are relative figures; reset every pass
    uint32_t uptime = 0;          // seconds since the system started
    uint16_t uptimeDays = 0, uptimeHours = 0, uptimeMinutes = 0, uptimeSeconds = 0;
    uint8_t processorCount = 0;   // processors whose load is measured; 0 = unknown
    int32_t passCounter = 0;      // reading passes since start

    std::vector<tNetMon> netMon;
    std::vector<tDiskMon> diskMon;
    std::array<tDiskSlotReading, 8> diskSlots;  // disk slots 1..8
    std::vector<tBOINCActiveTask> boincTasks;
    std::vector<tBOINCProject> boincProjects;
    std::vector<std::string> batteryDevices;

    // Name-refresh flags: raised by InitReadings, lowered by a source once it
    // has named the slots.
    bool refreshSpeedFanNames = false;
    bool refreshCPUIDNames = false;
    bool refreshEverestNames = false;
};

}  // namespace cx
