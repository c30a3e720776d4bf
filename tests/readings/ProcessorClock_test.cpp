#include "readings/ProcessorClock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

TEST(ProcessorClockTest, CpuinfoGivesTheHighestClock) {
    EXPECT_EQ(HighestCpuinfoClock("processor\t: 0\ncpu MHz\t\t: 2400.000\n\nprocessor\t: 1\n"
                                  "cpu MHz\t\t: 3100.5\n"),
              3100500);
    EXPECT_EQ(HighestCpuinfoClock("processor : 0\nBogoMIPS : 48.00\n"), -1);
    EXPECT_EQ(HighestCpuinfoClock("cpu MHz : fast\n"), -1);
}

TEST(ProcessorClockTest, CpufreqGivesTheHighestCurrentAndMaximum) {
    test::tTempDir root;
    const std::string cpu = "sys/devices/system/cpu/";
    root.Write(cpu + "cpu0/cpufreq/scaling_cur_freq", "1200000\n");
    root.Write(cpu + "cpu0/cpufreq/cpuinfo_max_freq", "3600000\n");
    root.Write(cpu + "cpu1/cpufreq/scaling_cur_freq", "2800000\n");
    root.Write(cpu + "cpu1/cpufreq/cpuinfo_max_freq", "4200000\n");
    root.Write(cpu + "cpufreq/boost", "1\n");  // not a processor
    root.Write(cpu + "cpufreq/policy0/affected_cpus", "0 1\n");
    root.Write("proc/cpuinfo", "cpu MHz : 999.0\n");
    test::tSystemReaderHarness h(root.Path().string());
    h.rs.sample.Clock = kNoValue32;
    tProcessorClockSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.Clock, 2800000);
    EXPECT_EQ(h.rs.maxClock, 4200000);

    // Without any policy no processor has a frequency driver: stale
    // per-processor files are not believed and the kernel's own figure counts.
    std::filesystem::remove_all(root.Path() / (cpu + "cpufreq/policy0"));
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.Clock, 999000);
    // The policy comes back with a driver loaded later.
    root.Write(cpu + "cpufreq/policy0/affected_cpus", "0 1\n");
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.Clock, 2800000);
}

TEST(ProcessorClockTest, FallsBackToCpuinfoAndFailsToZero) {
    test::tTempDir root;
    root.Write("proc/cpuinfo", "cpu MHz\t\t: 2400.000\n");
    test::tSystemReaderHarness h(root.Path().string());
    h.rs.maxClock = 3000000;
    tProcessorClockSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.Clock, 2400000);
    EXPECT_EQ(h.rs.maxClock, 3000000);  // the highest clock seen stays

    root.Write("proc/cpuinfo", "processor : 0\n");
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.Clock, 0);
    EXPECT_EQ(h.rs.maxClock, 0);
}

}  // namespace
}  // namespace cx
