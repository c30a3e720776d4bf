#include "readings/BlockCPUID.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "BlockTestHarness.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

struct tSensor {
    std::string name;
    float value;
};

struct tDevice {
    std::string name;
    std::vector<std::vector<tSensor>> classes;  // class m at index m
};

tBlockBytes CPUIDBlock(const std::vector<tDevice>& devices, size_t extra = 0) {
    size_t sensors = 0;
    for (const tDevice& d : devices) {
        for (const auto& c : d.classes) sensors += c.size();
    }
    const size_t table = 0x54 + 0x98 * devices.size();
    tBlockBytes block(table + 0x30 * sensors + extra);
    block.Put<uint8_t>(0x50, static_cast<uint8_t>(devices.size()));
    size_t record = table;
    for (size_t k = 0; k < devices.size(); ++k) {
        const size_t device = 0x54 + 0x98 * k;
        block.PutText(device, devices[k].name);
        for (size_t m = 0; m < devices[k].classes.size(); ++m) {
            block.Put<uint8_t>(device + 0x48 + 8 * m,
                               static_cast<uint8_t>(devices[k].classes[m].size()));
            for (const tSensor& s : devices[k].classes[m]) {
                block.PutText(record, s.name).Put<float>(record + 0x24, s.value);
                record += 0x30;
            }
        }
    }
    return block;
}

const std::vector<tDevice> kTwoDevices = {
    {" Mainboard ",
     {{{"Vcore", 1.344f}, {"+12V", 12.1f}}, {{" CPU ", 45.5f}}, {}, {{"Power", 65.0f}}}},
    {"GPU", {{}, {{"Diode", 0.0f}, {"Core", 61.25f}}, {{"Fan", 1999.6f}}}},
};

TEST(BlockCPUID, RunningSlotsOverDevicesAndClasses) {
    tBlockHarness h;
    h.rs.refreshCPUIDNames = true;
    h.settings.nameT[2] = "Graphics";
    ReadCPUIDBlock(CPUIDBlock(kTwoDevices).View(), h.context);
    EXPECT_EQ(h.rs.sample.V[0], 134);
    EXPECT_EQ(h.rs.sample.V[1], 1210);
    EXPECT_EQ(h.rs.sample.V[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[0], 4550);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);  // 0 is no reading
    EXPECT_EQ(h.rs.sample.T[2], 6125);
    EXPECT_EQ(h.rs.sample.F[0], 2000);
    EXPECT_EQ(h.settings.nameV[0], "Mainboard Vcore");
    EXPECT_EQ(h.settings.nameT[0], "Mainboard CPU");
    EXPECT_EQ(h.settings.nameT[1], "GPU Diode");
    EXPECT_EQ(h.settings.nameT[2], "Graphics");
    EXPECT_EQ(h.settings.nameF[0], "GPU Fan");
    EXPECT_EQ(h.settings.nameV[2], "V3");
    EXPECT_FALSE(h.rs.refreshCPUIDNames);

    // With the flag down the labels stay; with Accept a 0 reading is kept.
    h.settings.nameT[0] = "T1";
    h.settings.AcceptZeroValue = true;
    ReadCPUIDBlock(CPUIDBlock(kTwoDevices).View(), h.context);
    EXPECT_EQ(h.settings.nameT[0], "T1");
    EXPECT_EQ(h.rs.sample.T[1], 0);
}

TEST(BlockCPUID, OnlyTenSlotsOfEachKind) {
    std::vector<tSensor> volts;
    for (int i = 0; i < 12; ++i) volts.push_back({"V", 1.0f + static_cast<float>(i)});
    tBlockHarness h;
    ReadCPUIDBlock(CPUIDBlock({{"Board", {volts, {{"CPU", 40.0f}}}}}).View(), h.context);
    EXPECT_EQ(h.rs.sample.V[9], 1000);
    EXPECT_EQ(h.rs.sample.T[0], 4000);  // read after the voltages beyond slot 10
}

TEST(BlockCPUID, CountsPastTheEndFailAfterTheSlotsBefore) {
    tBlockBytes block = CPUIDBlock(kTwoDevices);
    block.Resize(block.Bytes().size() - 0x30);  // the fan record is missing
    tBlockHarness h;
    EXPECT_THROW(ReadCPUIDBlock(block.View(), h.context), std::out_of_range);
    EXPECT_EQ(h.rs.sample.T[2], 6125);
    EXPECT_EQ(h.rs.sample.F[0], kNoValue16);

    tBlockBytes devices(0x60);
    devices.Put<uint8_t>(0x50, 200);  // 200 devices in a block of 0x60 bytes
    EXPECT_THROW(ReadCPUIDBlock(devices.View(), h.context), std::out_of_range);
}

TEST(BlockCPUID, ReadsARealBlock) {
    tShmPrefix prefix;
    tShmObject object("$CPUID$HWM$", CPUIDBlock(kTwoDevices).Bytes());
    tBlockHarness h;
    tCPUIDSource().Read(h.context);
    EXPECT_EQ(h.rs.sample.T[2], 6125);
    EXPECT_EQ(h.EventText(), "");
}

}  // namespace
}  // namespace cx
