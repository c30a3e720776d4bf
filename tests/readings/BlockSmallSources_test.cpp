#include "readings/BlockSmallSources.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "BlockTestHarness.h"
#include "readings/ReadingPass.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

tBlockBytes CPUCooLBlock() {
    tBlockBytes block(0x64);
    const int32_t temps[10] = {45, 0, 150, 149, -5, 30, 31, 32, 33, 34};
    for (size_t n = 0; n < 10; ++n) block.Put<int32_t>(4 * n, temps[n]);
    const float volts[7] = {1.35f, 0.0f, 20.0f, -19.9f, 3.3f, 5.0f, 12.0f};
    for (size_t n = 0; n < 7; ++n) block.Put<float>(0x28 + 4 * n, volts[n]);
    const int32_t fans[4] = {2500, 20000, -3, 0};
    for (size_t n = 0; n < 4; ++n) block.Put<int32_t>(0x44 + 4 * n, fans[n]);
    block.Put<int32_t>(0x54, 1).Put<int32_t>(0x5C, 512).Put<int32_t>(0x60, 1024);
    return block;
}

TEST(BlockSmallSources, CPUCooL) {
    tBlockHarness h;
    ReadCPUCooLBlock(CPUCooLBlock().View(), h.context);
    const int16_t t[10] = {4500, kNoValue16, kNoValue16, 14900, -500, 3000, 3100, 3200, 3300, 3400};
    for (int n = 0; n < 10; ++n) EXPECT_EQ(h.rs.sample.T[n], t[n]) << n;
    const int16_t v[8] = {135, kNoValue16, kNoValue16, -1990, 330, 500, 1200, kNoValue16};
    for (int n = 0; n < 8; ++n) EXPECT_EQ(h.rs.sample.V[n], v[n]) << n;
    const int16_t f[5] = {2500, kNoValue16, -3, 0, kNoValue16};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(h.rs.sample.F[n], f[n]) << n;
    EXPECT_EQ(h.rs.sample.CPU[0], 5000);
    EXPECT_EQ(h.rs.sample.CPU[1], 10000);

    tBlockHarness off;
    tBlockBytes block = CPUCooLBlock();
    block.Put<int32_t>(0x54, 0);
    ReadCPUCooLBlock(block.View(), off.context);
    EXPECT_EQ(off.rs.sample.T[0], kNoValue16);
    EXPECT_EQ(off.rs.sample.CPU[0], kNoValue16);
}

TEST(BlockSmallSources, VCool) {
    tBlockBytes block(0x3C);
    block.Put<uint32_t>(0x24, 52).Put<uint32_t>(0x28, 0xFFFFFFFF);  // -1 as unsigned: too hot
    block.Put<uint32_t>(0x2C, 1800).Put<uint32_t>(0x30, 20000).Put<uint32_t>(0x34, 0);
    block.Put<int32_t>(0x38, 37);
    tBlockHarness h;
    ReadVCoolBlock(block.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 5200);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[0], 1800);
    EXPECT_EQ(h.rs.sample.F[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[2], 0);
    EXPECT_EQ(h.rs.sample.CPU[3], 3700);
    h.settings.AcceptZeroValue = true;
    block.Put<uint32_t>(0x28, 0);
    ReadVCoolBlock(block.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[1], 0);
}

TEST(BlockSmallSources, HmonitorElementsGoToTheirSlots) {
    tBlockBytes block(0x38);
    const float elements[11] = {99.0f, 41.0f, 0.0f, 151.0f, 3.3f, 1.5f,
                                5.0f,  12.0f, 0.0f, -12.0f, -5.0f};
    for (size_t e = 0; e < 11; ++e) block.Put<float>(4 * e, elements[e]);
    block.Put<int32_t>(0x2C, 255).Put<int32_t>(0x30, 3100).Put<int32_t>(0x34, 20000);
    tBlockHarness h;
    ReadHmonitorBlock(block.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4100);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[2], kNoValue16);
    const int16_t v[8] = {150, 500, 330, 1200, kNoValue16, -1200, -500, kNoValue16};
    for (int n = 0; n < 8; ++n) EXPECT_EQ(h.rs.sample.V[n], v[n]) << n;
    EXPECT_EQ(h.rs.sample.F[0], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[1], 3100);
    EXPECT_EQ(h.rs.sample.F[2], kNoValue16);
}

TEST(BlockSmallSources, RealBlocksThroughThePass) {
    tShmPrefix prefix;
    tBlockBytes vcool(0x3C);
    vcool.Put<uint32_t>(0x24, 48).Put<int32_t>(0x38, 12);
    tShmObject cpuCool("CPUCooL$Data$Area", CPUCooLBlock().Bytes());
    tShmObject vCool("VCOOL_SHARED_DATA", vcool.Bytes());
    tShmObject hMonitor("Hmonitor_Counters_Block", std::vector<uint8_t>(8, 0));
    tBlockHarness h;
    tReadingSources sources;
    sources.cpuCool = std::make_unique<tCPUCooLSource>();
    sources.vCool = std::make_unique<tVCoolSource>();
    sources.hMonitor = std::make_unique<tHmonitorSource>();
    ReadValues(h.context, sources, false);
    EXPECT_EQ(h.rs.sample.T[0], 4800);  // VCool comes after CPUCooL
    EXPECT_EQ(h.rs.sample.T[3], 14900);
    EXPECT_EQ(h.rs.sample.CPU[3], 1200);
    EXPECT_NE(h.EventText().find("] rv9 read of 4 bytes at offset 8"), std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
