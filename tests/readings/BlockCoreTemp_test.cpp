#include "readings/BlockCoreTemp.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "BlockTestHarness.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

constexpr size_t kBlockSize = 0xA80;

tBlockBytes CoreTempBlock(int32_t processors, int32_t cores, const std::vector<float>& temps) {
    tBlockBytes block(kBlockSize);
    block.Put<int32_t>(0x600, cores).Put<int32_t>(0x604, processors);
    for (size_t i = 0; i < temps.size(); ++i) block.Put<float>(0x608 + 4 * i, temps[i]);
    block.Put<float>(0xA08, 1.3125f).Put<float>(0xA0C, 3600.5f);
    return block;
}

TEST(BlockCoreTemp, TwoProcessorsOfTwoCoresFillFourSlots) {
    tBlockHarness h;
    ReadCoreTempBlock(CoreTempBlock(2, 2, {40.0f, 41.5f, 50.25f, 51.0f, 99.0f}).View(), h.context);
    EXPECT_EQ(h.rs.sample.Clock, 3600500);
    EXPECT_EQ(h.rs.sample.V[9], 131);  // 131.25
    EXPECT_EQ(h.rs.sample.T[0], 4000);
    EXPECT_EQ(h.rs.sample.T[1], 4150);
    EXPECT_EQ(h.rs.sample.T[2], 5025);
    EXPECT_EQ(h.rs.sample.T[3], 5100);
    EXPECT_EQ(h.rs.sample.T[4], kNoValue16);
}

TEST(BlockCoreTemp, DistanceAndFahrenheitFlags) {
    struct tCase {
        const char* what;
        uint8_t fahrenheit, distance;
        float reading;
        int16_t expected;
    };
    const tCase cases[] = {
        {"distance to a maximum of 100", 0, 1, 40.0f, 6000},
        {"Fahrenheit", 1, 0, 212.0f, 10000},
        {"Fahrenheit below freezing", 1, 0, -40.0f, -4000},
        {"distance in Fahrenheit", 1, 1, 112.0f, -2444},  // (10000 - 11200 - 3200) * 5 / 9
        {"no number", 0, 0, std::numeric_limits<float>::quiet_NaN(), kNoValue16},
        {"too big for a slot", 0, 0, 400.0f, kNoValue16},
    };
    for (const tCase& c : cases) {
        tBlockBytes block = CoreTempBlock(2, 1, {c.reading, c.reading});
        // The junction maximum counts by its low 16 bits: 0x10064 reads as 100.
        block.Put<uint32_t>(0x400, 100).Put<uint32_t>(0x404, 0x10064);
        block.Put<uint8_t>(0xA7C, c.fahrenheit).Put<uint8_t>(0xA7D, c.distance);
        tBlockHarness h;
        ReadCoreTempBlock(block.View(), h.context);
        EXPECT_EQ(h.rs.sample.T[0], c.expected) << c.what;
        EXPECT_EQ(h.rs.sample.T[1], c.expected) << c.what;
    }
}

TEST(BlockCoreTemp, CountsStopAtTenSlotsWhateverTheBlockSays) {
    std::vector<float> temps(256, 30.0f);
    tBlockHarness h;
    ReadCoreTempBlock(CoreTempBlock(2147483647, 2147483647, temps).View(), h.context);
    EXPECT_EQ(h.rs.sample.T[9], 3000);
    tBlockHarness none;
    ReadCoreTempBlock(CoreTempBlock(2147483647, 0, temps).View(), none.context);
    ReadCoreTempBlock(CoreTempBlock(-5, 4, temps).View(), none.context);
    EXPECT_EQ(none.rs.sample.T[0], kNoValue16);
}

TEST(BlockCoreTemp, ReadsARealBlockAndLogsACutOne) {
    tShmPrefix prefix;
    tBlockHarness h;
    {
        tShmObject object("CoreTempMappingObject", CoreTempBlock(1, 2, {45.0f, 46.0f}).Bytes());
        tCoreTempSource().Read(h.context);
        EXPECT_EQ(h.rs.sample.T[1], 4600);
        EXPECT_EQ(h.EventText(), "");
    }
    tBlockBytes cut = CoreTempBlock(1, 2, {45.0f, 46.0f});
    cut.Resize(0xA10);  // the flags at 0xA7C are missing
    tShmObject object("CoreTempMappingObject", cut.Bytes());
    tCoreTempSource().Read(h.context);
    EXPECT_NE(h.EventText().find("] rv ct 2 read of 1 bytes at offset 2685"), std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
