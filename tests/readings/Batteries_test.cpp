#include "readings/Batteries.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

using test::SysFixture;
using test::tSystemReaderHarness;

// The pass resets these fields before it asks the batteries.
void ResetBatteryFields(tReadingSet& rs) {
    rs.sample.BatRemaining = kNoValue32;
    rs.sample.BatFull = 0;
    rs.batDesign = 0;
    rs.batRelative = 0;
}

TEST(BatteriesTest, ListHoldsTheMachinesBatteriesAndLogsThem) {
    tSystemReaderHarness h(SysFixture("power"));
    tBatteryListSource list;
    list.Read(h.context);
    const std::string base = SysFixture("power") + "/sys/class/power_supply/";
    EXPECT_EQ(h.rs.batteryDevices, (std::vector<std::string>{base + "BAT0", base + "BAT1"}));
    const std::string log = h.EventText();
    EXPECT_NE(log.find("Found battery: " + base + "BAT0"), std::string::npos);
    EXPECT_NE(log.find("Battery slots: 2"), std::string::npos);
    EXPECT_EQ(log.find("hidpp"), std::string::npos);  // a mouse's battery is no battery slot
}

TEST(BatteriesTest, EachBatteryFillsItsSlotsAndTheLastOneTheSharedFields) {
    tSystemReaderHarness h(SysFixture("power"));
    for (int i = 0; i < 10; ++i) h.rs.sample.T[i] = h.rs.sample.V[i] = kNoValue16;
    tBatteryListSource().Read(h.context);
    ResetBatteryFields(h.rs);
    tBatterySource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.V[0], 1234);
    EXPECT_EQ(h.rs.sample.V[1], 1110);
    EXPECT_EQ(h.rs.sample.T[5], 3150);  // 31.5 °C
    EXPECT_EQ(h.rs.sample.T[6], kNoValue16);
    // BAT1 reports charge: capacities in mAh, marked relative.
    EXPECT_EQ(h.rs.sample.BatRemaining, 2000);
    EXPECT_EQ(h.rs.sample.BatFull, 4000);
    EXPECT_EQ(h.rs.batDesign, 4400);
    EXPECT_EQ(h.rs.batRelative, 1);
    EXPECT_EQ(h.rs.sample.OnMains, 1);  // from the mains supply
}

TEST(BatteriesTest, CapacityRules) {
    struct tCase {
        const char* what;
        const char* files;  // name=value lines
        int32_t remaining, full, design;
        uint8_t relative;
    };
    const tCase cases[] = {
        {"worn battery", "energy_now=30000000\nenergy_full=42000000\nenergy_full_design=50000000",
         30000, 42000, 50000, 0},
        {"full capacity unknown", "energy_now=30000000\nenergy_full_design=50000000", 30000, 50000,
         0, 0},
        {"as good as new", "energy_now=1000\nenergy_full=50000000\nenergy_full_design=50000000", 1,
         50000, 0, 0},
        {"percentage only", "capacity=57", 57, 100, 0, 1},
        {"no capacity at all", "voltage_now=12000000", kNoValue32, 0, 0, 0},
    };
    for (const tCase& c : cases) {
        test::tTempDir dir;
        dir.Write("status", "Discharging\n");
        std::string_view files = c.files;
        while (!files.empty()) {
            const std::string_view line = files.substr(0, files.find('\n'));
            const size_t eq = line.find('=');
            dir.Write(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)) + "\n");
            files.remove_prefix(std::min(files.size(), line.size() + 1));
        }
        tReadingSet rs;
        ResetBatteryFields(rs);
        tBatteryReport report;
        tSupplyAttributes attributes;
        ASSERT_TRUE(ReadBatteryReport(dir.Path().string(), report, attributes)) << c.what;
        ApplyBatteryReport(report, 0, rs);
        EXPECT_EQ(rs.sample.BatRemaining, c.remaining) << c.what;
        EXPECT_EQ(rs.sample.BatFull, c.full) << c.what;
        EXPECT_EQ(rs.batDesign, c.design) << c.what;
        EXPECT_EQ(rs.batRelative, c.relative) << c.what;
        EXPECT_EQ(rs.sample.OnMains, 0) << c.what;
    }
}

TEST(BatteriesTest, RemovedOrAbsentBatteriesChangeNothing) {
    test::tTempDir root;
    root.Write("sys/class/power_supply/BAT0/type", "Battery\n");
    root.Write("sys/class/power_supply/BAT0/present", "0\n");
    root.Write("sys/class/power_supply/BAT0/voltage_now", "12000000\n");
    tSystemReaderHarness h(root.Path().string());
    h.rs.sample.V[0] = 77;
    tBatteryListSource().Read(h.context);
    h.rs.batteryDevices.push_back(root.Path().string() + "/sys/class/power_supply/BAT9");
    ResetBatteryFields(h.rs);
    tBatterySource().Read(h.context);
    EXPECT_EQ(h.rs.sample.V[0], 77);  // the empty slot reports nothing
    EXPECT_EQ(h.rs.sample.BatRemaining, kNoValue32);
    EXPECT_EQ(h.rs.sample.BatFull, 0);
    EXPECT_NE(h.EventText().find("ERROR reading battery " + h.rs.batteryDevices[1]),
              std::string::npos);
}

}  // namespace
}  // namespace cx
