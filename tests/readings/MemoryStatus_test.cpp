#include "readings/MemoryStatus.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

using test::tSystemReaderHarness;

constexpr const char* kModernMeminfo =
    "MemTotal:       16000000 kB\n"
    "MemFree:         2000000 kB\n"
    "MemAvailable:    9000000 kB\n"
    "Buffers:          500000 kB\n"
    "Cached:          6000000 kB\n"
    "SwapCached:            0 kB\n"
    "SwapTotal:       4000000 kB\n"
    "SwapFree:        3000000 kB\n"
    "CommitLimit:    12000000 kB\n"
    "Committed_AS:    7000000 kB\n"
    "HugePages_Total:       0\n";

TEST(MemoryStatusTest, ParserReadsKnownFieldsAndSkipsBrokenLines) {
    const tMeminfo info = ParseMeminfo("MemTotal: 100 kB\nMemFree: x kB\nBogus\nCached:7 kB");
    EXPECT_EQ(info.memTotal, 100);
    EXPECT_EQ(info.memFree, -1);
    EXPECT_EQ(info.cached, 7);
    EXPECT_EQ(info.memAvailable, -1);
}

TEST(MemoryStatusTest, CommitMethodFillsEverySlotAndTheTotals) {
    tReadingSet rs;
    ASSERT_TRUE(ApplyCommitMethod(ParseMeminfo(kModernMeminfo), rs));
    EXPECT_EQ(rs.memTotal, 16000000);
    EXPECT_EQ(rs.sample.MemUsed, 7000000);
    EXPECT_EQ(rs.sample.MemFree, 9000000);
    EXPECT_EQ(rs.pageTotal, 12000000);
    EXPECT_EQ(rs.sample.PageUsed, 7000000);
    EXPECT_EQ(rs.sample.PageFree, 5000000);
    EXPECT_EQ(rs.sample.Cache, 6500000);
}

TEST(MemoryStatusTest, OvercommitGivesNoNegativeFreePageFile) {
    tReadingSet rs;
    ASSERT_TRUE(ApplyCommitMethod(
        ParseMeminfo("MemTotal: 100 kB\nMemAvailable: 40 kB\nCommitLimit: 150 kB\n"
                     "Committed_AS: 180 kB\n"),
        rs));
    EXPECT_EQ(rs.sample.PageUsed, 180);
    EXPECT_EQ(rs.sample.PageFree, 0);
}

TEST(MemoryStatusTest, OldKernelFallsBackToFreeBuffersAndSwap) {
    const tMeminfo info = ParseMeminfo(
        "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n"
        "SwapTotal: 500 kB\nSwapFree: 400 kB\n");
    tReadingSet rs;
    rs.sample.Cache = kNoValue32;
    EXPECT_FALSE(ApplyCommitMethod(info, rs));
    EXPECT_EQ(rs.sample.Cache, kNoValue32);  // a failed method writes nothing
    ASSERT_TRUE(ApplyMemoryStatusMethod(info, rs));
    EXPECT_EQ(rs.sample.MemFree, 400);
    EXPECT_EQ(rs.sample.MemUsed, 600);
    EXPECT_EQ(rs.pageTotal, 1500);
    EXPECT_EQ(rs.sample.PageFree, 800);
    EXPECT_EQ(rs.sample.PageUsed, 700);
    EXPECT_EQ(rs.sample.Cache, 300);
}

TEST(MemoryStatusTest, SourceReadsTheTreeAndLogsWhenNothingYieldsATotal) {
    test::tTempDir root;
    tSystemReaderHarness h(root.Path().string());
    tMemorySource source;
    root.Write("proc/meminfo", kModernMeminfo);
    source.Read(h.context);
    EXPECT_EQ(h.rs.memTotal, 16000000);
    EXPECT_EQ(h.rs.sample.PageUsed, 7000000);

    // No physical total anywhere: the total becomes unknown, the slots keep their values.
    root.Write("proc/meminfo", "MemFree: 5 kB\n");
    source.Read(h.context);
    EXPECT_EQ(h.rs.memTotal, 0);
    EXPECT_EQ(h.rs.sample.MemUsed, 7000000);
    EXPECT_NE(h.EventText().find("rv32 "), std::string::npos);
}

}  // namespace
}  // namespace cx
