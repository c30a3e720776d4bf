#include "readings/BlockSpeedFan.h"

#include <gtest/gtest.h>

#include "BlockTestHarness.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

constexpr size_t kBlockSize = 0x192;

tBlockBytes SpeedFanBlock() {
    tBlockBytes block(kBlockSize);
    for (int e = 0; e < 32; ++e) {
        block.Put<int32_t>(0x12 + 4 * e, 3000 + e);
        block.Put<int32_t>(0x92 + 4 * e, 1000 + e);
        block.Put<int32_t>(0x112 + 4 * e, 100 + e);
    }
    return block;
}

TEST(BlockSpeedFan, DefaultOrderPutsTheTenthValueIntoSlotOne) {
    tBlockHarness h;
    ReadSpeedFanBlock(SpeedFanBlock().View(), h.context);
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(h.rs.sample.T[n], 3000 + 9 - n) << n;
        EXPECT_EQ(h.rs.sample.F[n], 1000 + 9 - n) << n;
        EXPECT_EQ(h.rs.sample.V[n], 100 + 9 - n) << n;
    }
}

TEST(BlockSpeedFan, OrderSettingsPickTheElement) {
    tBlockHarness h;
    h.settings.OrderSpeedFanT[0] = 31;
    h.settings.OrderSpeedFanF[1] = 0;
    h.settings.OrderSpeedFanV[2] = 20;
    // An index beyond the array, set by hand, leaves its slot alone.
    h.settings.OrderSpeedFanT[3] = 40;
    ReadSpeedFanBlock(SpeedFanBlock().View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 3031);
    EXPECT_EQ(h.rs.sample.F[1], 1000);
    EXPECT_EQ(h.rs.sample.V[2], 120);
    EXPECT_EQ(h.rs.sample.T[3], kNoValue16);
}

TEST(BlockSpeedFan, PlausibilityRules) {
    struct tCase {
        const char* what;
        size_t array;
        int32_t value;
        bool accept;
        int16_t expected;  // in slot 1 (element 9)
    };
    const tCase cases[] = {
        {"temperature 0 ignored", 0x12, 0, false, kNoValue16},
        {"temperature 0 accepted", 0x12, 0, true, 0},
        {"temperature below limit", 0x12, 14999, false, 14999},
        {"temperature at limit", 0x12, 15000, false, kNoValue16},
        {"temperature at limit accepted", 0x12, 15000, true, 15000},
        {"temperature too big for a slot", 0x12, 100000, true, kNoValue16},
        {"negative temperature", 0x12, -500, false, -500},
        {"fan 0 stored", 0x92, 0, false, 0},
        {"fan negative", 0x92, -1, false, kNoValue16},
        {"fan at limit", 0x92, 20000, false, kNoValue16},
        {"fan below limit", 0x92, 19999, false, 19999},
        {"voltage 0", 0x112, 0, false, kNoValue16},
        {"voltage lower limit", 0x112, -2000, false, kNoValue16},
        {"voltage inside", 0x112, -1999, false, -1999},
        {"voltage upper limit", 0x112, 2000, false, kNoValue16},
    };
    for (const tCase& c : cases) {
        tBlockHarness h;
        h.settings.AcceptZeroValue = c.accept;
        tBlockBytes block(kBlockSize);
        block.Put<int32_t>(c.array + 4 * 9, c.value);
        ReadSpeedFanBlock(block.View(), h.context);
        const int16_t got = c.array == 0x12   ? h.rs.sample.T[0]
                            : c.array == 0x92 ? h.rs.sample.F[0]
                                              : h.rs.sample.V[0];
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(BlockSpeedFan, ReadsARealBlockAndTellsWhetherSpeedFanRuns) {
    tShmPrefix prefix;
    EXPECT_FALSE(SpeedFanPresent());
    tBlockHarness h;
    tSpeedFanSource source;
    source.Read(h.context);  // absent: nothing happens
    EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
    {
        tShmObject object("SFSharedMemory_ALM", SpeedFanBlock().Bytes());
        EXPECT_TRUE(SpeedFanPresent());
        source.Read(h.context);
        EXPECT_EQ(h.rs.sample.T[0], 3009);
        EXPECT_EQ(h.rs.sample.V[9], 100);
    }
    EXPECT_FALSE(SpeedFanPresent());
    EXPECT_EQ(h.EventText(), "");
}

TEST(BlockSpeedFan, ACutBlockLogsItsCodeAndKeepsWhatWasRead) {
    tShmPrefix prefix;
    tBlockBytes block = SpeedFanBlock();
    // Cut inside voltage element 9, the one slot 1 takes after its temperature and fan.
    block.Resize(0x112 + 4 * 9 + 3);
    tShmObject object("SFSharedMemory_ALM", block.Bytes());
    tBlockHarness h;
    tSpeedFanSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 3009);
    EXPECT_EQ(h.rs.sample.F[0], 1009);
    EXPECT_EQ(h.rs.sample.V[0], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_NE(h.EventText().find("] rv12 read of 4 bytes"), std::string::npos) << h.EventText();
}

}  // namespace
}  // namespace cx
