#include "readings/BlockATITrayTools.h"

#include <gtest/gtest.h>

#include <vector>

#include "BlockTestHarness.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

tBlockBytes TrayBlock(uint32_t gpu, uint32_t env, uint32_t fan) {
    tBlockBytes block(0x44);
    block.Put<uint32_t>(0x14, gpu).Put<uint32_t>(0x18, env).Put<uint32_t>(0x40, fan);
    return block;
}

TEST(BlockATITrayTools, KeywordsRulesAndFanScaling) {
    struct tCase {
        const char* what;
        uint32_t gpu, fan;
        bool accept;
        int16_t t4, f4;
    };
    const tCase cases[] = {
        {"plain", 62, 45, false, 6200, 4500},
        {"zero temperature", 0, 0, false, kNoValue16, 0},
        {"zero accepted", 0, 0, true, 0, 0},
        {"at the limit", 150, 327, true, kNoValue16, 32700},
        {"fan too big for a slot", 149, 328, false, 14900, kNoValue16},
        {"huge value", 0xFFFFFFFF, 0xFFFFFFFF, true, kNoValue16, kNoValue16},
    };
    for (const tCase& c : cases) {
        tBlockHarness h;
        h.settings.AcceptZeroValue = c.accept;
        ReadATITrayToolsBlock(TrayBlock(c.gpu, 40, c.fan).View(), h.context);
        EXPECT_EQ(h.rs.sample.T[3], c.t4) << c.what;
        EXPECT_EQ(h.rs.sample.T[4], 4000) << c.what;
        EXPECT_EQ(h.rs.sample.F[3], c.f4) << c.what;
        EXPECT_EQ(h.rs.sample.T[0], kNoValue16) << c.what;
    }
}

TEST(BlockATITrayTools, ReadsARealBlockAndLogsACutOne) {
    tShmPrefix prefix;
    tBlockHarness h;
    h.settings.OrderATITrayToolsT[0] = "envtemp";
    {
        tShmObject object("ATITRAY_SMEM", TrayBlock(70, 35, 30).Bytes());
        tATITrayToolsSource().Read(h.context);
        EXPECT_EQ(h.rs.sample.T[0], 3500);
        EXPECT_EQ(h.rs.sample.F[3], 3000);
    }
    // Garbage, and too short for the environment temperature.
    tShmObject object("ATITRAY_SMEM", std::vector<uint8_t>(0x16, 0xFF));
    tATITrayToolsSource().Read(h.context);
    EXPECT_NE(h.EventText().find("] rv att 2 read of 4 bytes at offset 24"), std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
