// Every /proc and /sys reader run on this machine's real files: the values
// every Linux machine has come out as values, not as no-value markers, and the
// readers of what a machine may lack (sensors, batteries) run without a fault.
#include <gtest/gtest.h>

#include "SystemReaderHarness.h"
#include "readings/Batteries.h"
#include "readings/CPUUsage.h"
#include "readings/DiskSpace.h"
#include "readings/Hwmon.h"
#include "readings/MemoryStatus.h"
#include "readings/NetworkAdapters.h"
#include "readings/ProcessorClock.h"
#include "readings/ReadingPass.h"
#include "readings/SystemSources.h"
#include "readings/ThermalZones.h"
#include "readings/Uptime.h"

namespace cx {
namespace {

class SystemReadersOnThisMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        tSample& s = h.rs.sample;
        for (int i = 0; i < 10; ++i) s.T[i] = s.V[i] = s.F[i] = kNoValue16;
        for (int16_t& cpu : s.CPU) cpu = kNoValue16;
        for (int j = 0; j < 4; ++j) s.NetIn[j] = s.NetOut[j] = kNoValue32;
        s.MemUsed = s.MemFree = s.PageUsed = s.PageFree = s.Cache = s.Clock = kNoValue32;
    }

    test::tSystemReaderHarness h{"/"};
};

TEST_F(SystemReadersOnThisMachineTest, LoadsMemoryPageFileAndUptime) {
    tCPUUsageSource cpu;
    cpu.Read(h.context);
    cpu.Read(h.context);
    EXPECT_GE(h.rs.processorCount, 1);
    for (int i = 0; i < std::min<int>(h.rs.processorCount, 4); ++i) {
        EXPECT_GE(h.rs.sample.CPU[i], 0) << i;
        EXPECT_LE(h.rs.sample.CPU[i], 10000) << i;
    }

    tMemorySource memory;
    memory.Read(h.context);
    const tSample& s = h.rs.sample;
    EXPECT_GT(h.rs.memTotal, 0);
    EXPECT_GT(h.rs.pageTotal, 0);
    for (int32_t value : {s.MemUsed, s.MemFree, s.PageUsed, s.PageFree, s.Cache}) {
        EXPECT_NE(value, kNoValue32);
        EXPECT_GE(value, 0);
    }
    EXPECT_EQ(s.MemUsed + s.MemFree, h.rs.memTotal);

    tUptimeSource uptime;
    uptime.Read(h.context);
    EXPECT_GT(h.rs.uptime, 0u);
    EXPECT_EQ(h.rs.uptimeDays * 86400u + h.rs.uptimeHours * 3600u + h.rs.uptimeMinutes * 60u +
                  h.rs.uptimeSeconds,
              h.rs.uptime);
}

TEST_F(SystemReadersOnThisMachineTest, LoopbackCountersWhenBoundToASlot) {
    h.settings.macNet[0] = "00-00-00-00-00-00 lo";
    tNetworkSource net;
    net.Read(h.context);
    const auto lo = std::find_if(h.rs.netMon.begin(), h.rs.netMon.end(),
                                 [](const tNetMon& m) { return m.description == "lo"; });
    ASSERT_NE(lo, h.rs.netMon.end());
    EXPECT_EQ(lo->macText, "00-00-00-00-00-00");
    // A loopback that is down in this network namespace has no address.
    EXPECT_TRUE(lo->ipText == kUnknownIPText || lo->ipText.starts_with("127.")) << lo->ipText;
    h.rs.passCounter = 1;
    net.Read(h.context);
    EXPECT_NE(h.rs.sample.NetIn[0], kNoValue32);
    EXPECT_NE(h.rs.sample.NetOut[0], kNoValue32);
    EXPECT_GE(h.rs.sample.NetIn[0], 0);
    for (const std::string& identity : h.settings.macNet)
        EXPECT_NE(identity, "00-00-00-00-00-00");  // the loopback bound no free slot
}

TEST_F(SystemReadersOnThisMachineTest, DisksSensorsBatteriesAndClockRunWithoutFault) {
    tDiskSource disks;
    disks.Read(h.context);
    for (const tDiskMon& disk : h.rs.diskMon) {
        EXPECT_FALSE(disk.name.empty());
        EXPECT_EQ(disk.name.find(' '), std::string::npos) << disk.name;
    }
    EXPECT_EQ(h.EventText().find("fdm"), std::string::npos);

    EXPECT_NO_THROW(tHwmonSource().Read(h.context));
    EXPECT_NO_THROW(tThermalZoneSource().Read(h.context));
    tBatteryListSource().Read(h.context);
    EXPECT_NO_THROW(tBatterySource().Read(h.context));

    tProcessorClockSource clock;
    clock.Read(h.context);
    EXPECT_NE(h.rs.sample.Clock, kNoValue32);
    EXPECT_GE(h.rs.sample.Clock, 0);
    EXPECT_GE(h.rs.maxClock, h.rs.sample.Clock);
}

}  // namespace
}  // namespace cx

namespace cx {
namespace {

// The whole pass with this machine's sources in their steps: what a user sees
// after start-up and the second pass.
TEST(SystemSourcesOnThisMachine, TwoPassesFillTheMachinesOwnValues) {
    test::tSystemReaderHarness h{"/"};
    tReadingSources sources;
    AddSystemSources(sources);
    sources.idleSeconds = [] { return int64_t{-1}; };
    InitReadings(h.context, sources);
    ReadValues(h.context, sources, false);
    h.clock.Advance(1);
    ReadValues(h.context, sources, false);

    const tSample& s = h.rs.sample;
    EXPECT_EQ(h.rs.passCounter, 2);
    EXPECT_GE(h.rs.processorCount, 1);
    EXPECT_NE(s.CPU[0], kNoValue16);
    EXPECT_NE(s.MemUsed, kNoValue32);
    EXPECT_NE(s.PageFree, kNoValue32);
    EXPECT_GT(h.rs.uptime, 0u);
    EXPECT_DOUBLE_EQ(s.time, h.rs.sample2.time);
    EXPECT_EQ(h.EventText().find("rv"), std::string::npos) << h.EventText();
}

}  // namespace
}  // namespace cx
