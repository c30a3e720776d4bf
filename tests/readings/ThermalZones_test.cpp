#include "readings/ThermalZones.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

TEST(ThermalZonesTest, ZonesWithAReadingFillTheSlotsInZoneOrder) {
    test::tTempDir root;
    for (int zone = 0; zone < 12; ++zone)
        root.Write("sys/class/thermal/thermal_zone" + std::to_string(zone) + "/temp",
                   std::to_string(20000 + zone * 1000) + "\n");
    root.Write("sys/class/thermal/thermal_zone1/temp", "");  // a zone without a reading
    root.Write("sys/class/thermal/thermal_zone2/temp", "27005\n");
    root.Write("sys/class/thermal/cooling_device0/cur_state", "0\n");
    test::tSystemReaderHarness h(root.Path().string());
    for (int16_t& t : h.rs.sample.T) t = kNoValue16;
    tThermalZoneSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 2000);
    EXPECT_EQ(h.rs.sample.T[1], 2700);  // 2700.5 rounds to even
    EXPECT_EQ(h.rs.sample.T[2], 2300);
    EXPECT_EQ(h.rs.sample.T[8], 2900);  // thermal_zone9 before thermal_zone10
    EXPECT_EQ(h.rs.sample.T[9], 3000);  // thermal_zone10; zone 11 finds no slot

    test::tTempDir empty;
    test::tSystemReaderHarness none(empty.Path().string());
    none.rs.sample.T[0] = 1;
    source.Read(none.context);
    EXPECT_EQ(none.rs.sample.T[0], 1);
}

}  // namespace
}  // namespace cx
