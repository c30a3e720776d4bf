#include "readings/Uptime.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

TEST(UptimeTest, ParsesProcUptime) {
    uint64_t ms = 0;
    ASSERT_TRUE(ParseProcUptime("93784.56 170000.10\n", ms));
    EXPECT_EQ(ms, 93784560u);
    EXPECT_FALSE(ParseProcUptime("", ms));
    EXPECT_FALSE(ParseProcUptime("-1 2\n", ms));
    EXPECT_FALSE(ParseProcUptime("abc 2\n", ms));
}

TEST(UptimeTest, TickWorkaroundWrapsAfterThe32BitMillisecondCount) {
    const uint64_t justAfterWrap = (uint64_t{1} << 32) + 5500;
    EXPECT_EQ(UptimeSeconds(justAfterWrap, false), 4294972u);
    EXPECT_EQ(UptimeSeconds(justAfterWrap, true), 5u);
    EXPECT_EQ(UptimeSeconds(86399999, true), 86399u);
}

TEST(UptimeTest, SourceSplitsUptimeIntoItsParts) {
    test::tTempDir root;
    test::tSystemReaderHarness h(root.Path().string());
    tUptimeSource source;
    root.Write("proc/uptime", "93784.99 1.0\n");  // 1 day, 2 h, 3 min, 4.99 s
    source.Read(h.context);
    EXPECT_EQ(h.rs.uptime, 93784u);
    EXPECT_EQ(h.rs.uptimeDays, 1);
    EXPECT_EQ(h.rs.uptimeHours, 2);
    EXPECT_EQ(h.rs.uptimeMinutes, 3);
    EXPECT_EQ(h.rs.uptimeSeconds, 4);

    h.settings.QPCFix = true;
    root.Write("proc/uptime", "4294967.50 1.0\n");  // 49.7 days: the tick has wrapped
    source.Read(h.context);
    EXPECT_EQ(h.rs.uptime, 0u);

    // A broken file keeps the last uptime and reaches the pass as an error.
    root.Write("proc/uptime", "garbage\n");
    EXPECT_THROW(source.Read(h.context), std::runtime_error);
    EXPECT_EQ(h.rs.uptime, 0u);
}

}  // namespace
}  // namespace cx
