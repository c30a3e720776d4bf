#include "readings/CPUUsage.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

using test::tSystemReaderHarness;

// Two processors; times are user nice system idle iowait irq softirq steal guest guest_nice.
constexpr const char* kFirst =
    "cpu  200 0 100 600 100 0 0 0 50 0\n"
    "cpu0 100 0 50 300 50 0 0 0 25 0\n"
    "cpu1 100 0 50 300 50 0 0 0 25 0\n"
    "intr 12345 0 0\n";
// cpu0 busy for 75 of 100 ticks, cpu1 idle for all 100.
constexpr const char* kSecond =
    "cpu  275 0 100 725 100 0 0 0 50 0\n"
    "cpu0 175 0 50 325 50 0 0 0 25 0\n"
    "cpu1 100 0 50 400 50 0 0 0 25 0\n";

TEST(CPUUsageTest, ParsesProcessorLinesByNumberAndCountsIOWaitAsIdle) {
    std::vector<tCPUTimes> per;
    tCPUTimes total;
    // cpu1 is offline and missing; guest time (column 9) is not counted twice.
    ASSERT_TRUE(
        ParseProcStat("cpu  10 0 0 20 5 0 0 0 7 0\ncpu0 1 2 3 4 5 6 7 8 9 10\n"
                      "cpu2 1 1 1 1 1 1 1 1\nctxt 5\n",
                      per, total));
    EXPECT_EQ(total.idle, 25);
    EXPECT_EQ(total.total, 35);
    ASSERT_EQ(per.size(), 3u);
    EXPECT_EQ(per[0].idle, 9);
    EXPECT_EQ(per[0].total, 36);
    EXPECT_EQ(per[1].total, 0);
    EXPECT_EQ(per[2].total, 8);
    EXPECT_FALSE(ParseProcStat("cpu0 1 2 3 4\nintr 1\n", per, total));
    EXPECT_FALSE(ParseProcStat("", per, total));
}

TEST(CPUUsageTest, TwoProcessorsFillTwoSlotsAndTheCount) {
    tSystemReaderHarness h;
    for (int16_t& cpu : h.rs.sample.CPU) cpu = kNoValue16;
    tCPUUsageSource source;
    source.RefreshFromText(kFirst);
    EXPECT_EQ(source.InstanceCount(), 3);
    // The first snapshot has an all-zero predecessor: the load since boot.
    EXPECT_DOUBLE_EQ(source.ProcessorUsage(0), 1.0 - 350.0 / 500.0);
    source.RefreshFromText(kSecond);
    EXPECT_DOUBLE_EQ(source.ProcessorUsage(0), 0.75);
    EXPECT_DOUBLE_EQ(source.ProcessorUsage(1), 0.0);
    EXPECT_DOUBLE_EQ(source.ProcessorUsage(2), 0.375);  // the total instance
    EXPECT_THROW(source.ProcessorUsage(3), std::out_of_range);
    EXPECT_THROW(source.ProcessorUsage(-1), std::out_of_range);
    EXPECT_EQ(source.ProcessorCount("/"), 2);
}

TEST(CPUUsageTest, ReadFromTreeWritesLoadsInHundredthsOfAPercent) {
    test::tTempDir root;
    tSystemReaderHarness h(root.Path().string());
    for (int16_t& cpu : h.rs.sample.CPU) cpu = kNoValue16;
    tCPUUsageSource source;
    root.Write("proc/stat", kFirst);
    source.Read(h.context);
    root.Write("proc/stat", kSecond);
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.CPU[0], 7500);
    EXPECT_EQ(h.rs.sample.CPU[1], 0);
    EXPECT_EQ(h.rs.sample.CPU[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.CPU[3], kNoValue16);
    EXPECT_EQ(h.rs.processorCount, 2);
}

TEST(CPUUsageTest, EightProcessorsFillFourSlotsAndCountEight) {
    std::string text = "cpu  800 0 0 800 0 0 0 0\n";
    for (int i = 0; i < 8; ++i) text += "cpu" + std::to_string(i) + " 100 0 0 100 0 0 0 0\n";
    tSystemReaderHarness h;
    test::tTempDir root;
    root.Write("proc/stat", text);
    h.context.root = root.Path().string();
    tCPUUsageSource source;
    source.Read(h.context);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(h.rs.sample.CPU[i], 5000) << i;
    EXPECT_EQ(h.rs.processorCount, 8);
}

TEST(CPUUsageTest, UnchangedCountersGiveZeroAndAMissingFileThrows) {
    tCPUUsageSource source;
    source.RefreshFromText(kFirst);
    source.RefreshFromText(kFirst);
    EXPECT_EQ(source.ProcessorUsage(0), 0.0);
    // A processor taken offline after the first snapshot keeps its instance.
    source.RefreshFromText("cpu  1 0 0 1 0\ncpu1 100 0 50 300 50 0 0 0 25 0\n");
    EXPECT_EQ(source.InstanceCount(), 3);
    EXPECT_EQ(source.ProcessorUsage(0), 0.0);

    test::tTempDir root;
    tSystemReaderHarness h(root.Path().string());
    tCPUUsageSource missing;
    EXPECT_THROW(missing.Read(h.context), std::runtime_error);
}

}  // namespace
}  // namespace cx
