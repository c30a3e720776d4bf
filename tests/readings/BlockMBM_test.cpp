#include "readings/BlockMBM.h"

#include <gtest/gtest.h>

#include <memory>

#include "BlockTestHarness.h"
#include "readings/ReadingPass.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

constexpr size_t k5190Size = 0x58 + 80 * 100;

tBlockBytes Block5190() {
    tBlockBytes block(k5190Size);
    auto record = [&block](size_t s, uint8_t type, double value) {
        block.Put<uint8_t>(0x58 + 80 * s, type).Put<double>(0x58 + 80 * s + 0x10, value);
    };
    record(0, 1, 45.0);
    record(1, 1, 0.0);     // no reading
    record(2, 1, 150.0);   // at the limit
    record(3, 2, 1.344);   // V1
    record(4, 3, 2500.4);  // F1
    record(5, 2, 0.0);     // V2 taken, value rejected
    record(6, 3, 255.0);   // F2 taken, "not read"
    record(7, 2, -12.0);   // V3
    record(8, 2, 150.0);   // V4 taken, out of range
    record(9, 3, 900.0);   // F3
    return block;
}

TEST(BlockMBM, Layout5190TemperaturesByOrderAndSensorsInRecordOrder) {
    tBlockHarness h;
    h.settings.OrderMBM5190T[3] = 9;   // T4 takes record 9
    h.settings.OrderMBM5190T[4] = 99;  // the last record (empty)
    ReadMBM5190Block(Block5190().View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4500);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[3], kNoValue16);  // 900 is beyond the temperature limit
    EXPECT_EQ(h.rs.sample.T[4], kNoValue16);
    EXPECT_EQ(h.rs.sample.V[0], 134);
    EXPECT_EQ(h.rs.sample.V[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.V[2], -1200);
    EXPECT_EQ(h.rs.sample.V[3], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[0], 2500);
    EXPECT_EQ(h.rs.sample.F[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[2], 900);
    EXPECT_EQ(h.rs.sample.F[3], kNoValue16);

    h.settings.AcceptZeroValue = true;
    ReadMBM5190Block(Block5190().View(), h.context);
    EXPECT_EQ(h.rs.sample.T[1], 0);
    EXPECT_EQ(h.rs.sample.T[2], 15000);
    EXPECT_EQ(h.rs.sample.T[3], 32767);  // 90000 does not fit a slot
}

tBlockBytes Block510x(size_t validWord) {
    tBlockBytes block(0xA4);
    for (size_t n = 0; n < 10; ++n) {
        block.Put<int32_t>(4 * n, static_cast<int32_t>(30 + n));
        block.Put<double>(0x28 + 8 * n, 1.0 + static_cast<double>(n) / 100);
    }
    block.Put<int32_t>(0x00, 0);    // T1: no reading
    block.Put<int32_t>(0x04, 150);  // T2: at the limit
    for (size_t n = 0; n < 10; ++n) block.Put<int32_t>(0x78 + 4 * n, 1000 + static_cast<int>(n));
    block.Put<int32_t>(0x7C, 255);    // F2 not read
    block.Put<int32_t>(0x80, 20000);  // F3 too fast
    // Last: the valid word of the older layout lies inside the newer one's arrays.
    block.Put<int32_t>(validWord, 1);
    return block;
}

TEST(BlockMBM, Layout5107) {
    tBlockHarness h;
    ReadMBM5107Block(Block510x(0xA0).View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[2], 3200);
    EXPECT_EQ(h.rs.sample.V[9], 109);
    EXPECT_EQ(h.rs.sample.F[0], 1000);
    EXPECT_EQ(h.rs.sample.F[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[9], 1009);

    tBlockHarness off;
    ReadMBM5107Block(Block510x(0x70).View(), off.context);  // word at 0xA0 is 0
    EXPECT_EQ(off.rs.sample.T[2], kNoValue16);
}

TEST(BlockMBM, Layout509xReadsFewerVoltagesAndFans) {
    tBlockHarness h;
    tBlockBytes block = Block510x(0x70);
    // Its fans sit at 0x60, where the later layout keeps voltages 8 and 9.
    for (size_t n = 0; n < 4; ++n) block.Put<int32_t>(0x60 + 4 * n, 700 + static_cast<int>(n));
    ReadMBM509xBlock(block.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[9], 3900);
    EXPECT_EQ(h.rs.sample.V[6], 106);
    EXPECT_EQ(h.rs.sample.V[7], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[0], 700);
    EXPECT_EQ(h.rs.sample.F[3], 703);
    EXPECT_EQ(h.rs.sample.F[4], kNoValue16);

    tBlockHarness off;
    block.Put<int32_t>(0x70, -1);
    ReadMBM509xBlock(block.View(), off.context);
    EXPECT_EQ(off.rs.sample.T[9], kNoValue16);
}

TEST(BlockMBM, RealBlocksThroughThePassAndACutBlockLogsItsCode) {
    tShmPrefix prefix;
    tBlockBytes cut = Block5190();
    cut.Resize(0x58 + 80 * 5);  // records 5 and later are missing
    tShmObject newer("$M$B$M$5$S$D$", cut.Bytes());
    tShmObject older("$M$B$M$5$D$", Block510x(0xA0).Bytes());
    tBlockHarness h;
    h.settings.OrderMBM5190T = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    tReadingSources sources;
    sources.mbm5190 = std::make_unique<tMBM5190Source>();
    sources.mbm5107 = std::make_unique<tMBM5107Source>();
    sources.mbm509x = std::make_unique<tMBM509xSource>();
    h.settings.ReadMBM5107 = false;
    ReadValues(h.context, sources, false);
    EXPECT_NE(
        h.EventText().find("] rv17 read of 8 bytes at offset 504 beyond the block's 488 bytes"),
        std::string::npos)
        << h.EventText();
    EXPECT_EQ(h.rs.sample.T[0], 4500);  // written before the cut: kept
    // Layout 5.0.9x reads the same block: its valid word at 0x70 is 0.
    EXPECT_EQ(h.rs.sample.T[2], kNoValue16);

    h.settings.ReadMBM5107 = true;
    ReadValues(h.context, sources, false);
    EXPECT_EQ(h.rs.sample.T[2], 3200);
}

}  // namespace
}  // namespace cx
