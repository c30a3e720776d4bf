#include "readings/BlockATITool.h"

#include <gtest/gtest.h>

#include <limits>

#include "BlockTestHarness.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

tBlockBytes ATIToolBlock(double local, double remote, uint16_t fan) {
    tBlockBytes block(0x5A);
    block.Put<double>(0x48, local).Put<double>(0x50, remote).Put<uint16_t>(0x58, fan);
    return block;
}

TEST(BlockATITool, KeywordsPickTheValues) {
    tBlockHarness h;
    h.settings.OrderAtiToolT[0] = "tempremote";
    h.settings.OrderAtiToolF[9] = "fanspeed";
    ReadATIToolBlock(ATIToolBlock(55.125, 48.0, 2100).View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4800);
    EXPECT_EQ(h.rs.sample.T[3], 5512);  // 5512.5 rounds to even
    EXPECT_EQ(h.rs.sample.T[4], 4800);
    EXPECT_EQ(h.rs.sample.T[5], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[3], 2100);
    EXPECT_EQ(h.rs.sample.F[9], 2100);
}

TEST(BlockATITool, PlausibilityRules) {
    struct tCase {
        const char* what;
        double local;
        uint16_t fan;
        bool accept;
        int16_t t4, f4;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const tCase cases[] = {
        {"zero temperature", 0.0, 0, false, kNoValue16, 0},
        {"zero accepted", 0.0, 0, true, 0, 0},
        {"at the limit", 150.0, 19999, true, kNoValue16, 19999},
        {"no number", nan, 20000, true, kNoValue16, kNoValue16},
        {"below zero", -10.0, 65535, false, -1000, kNoValue16},
    };
    for (const tCase& c : cases) {
        tBlockHarness h;
        h.settings.AcceptZeroValue = c.accept;
        ReadATIToolBlock(ATIToolBlock(c.local, 0, c.fan).View(), h.context);
        EXPECT_EQ(h.rs.sample.T[3], c.t4) << c.what;
        EXPECT_EQ(h.rs.sample.F[3], c.f4) << c.what;
    }
}

TEST(BlockATITool, ReadsARealBlockAndLogsACutOne) {
    tShmPrefix prefix;
    tBlockHarness h;
    {
        tShmObject object("ATIToolData", ATIToolBlock(60.0, 40.0, 1500).Bytes());
        tATIToolSource().Read(h.context);
        EXPECT_EQ(h.rs.sample.T[4], 4000);
    }
    tBlockBytes cut = ATIToolBlock(61.0, 41.0, 1500);
    cut.Resize(0x58);  // the fan is missing
    tShmObject object("ATIToolData", cut.Bytes());
    tATIToolSource().Read(h.context);
    EXPECT_EQ(h.rs.sample.T[3], 6100);
    EXPECT_EQ(h.rs.sample.T[4], 4000);  // its turn came after the failure
    EXPECT_NE(h.EventText().find("] rv30 read of 2 bytes at offset 88"), std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
