#include "readings/BlockSources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BlockTestHarness.h"
#include "readings/BlockRivaTuner.h"

namespace cx {
namespace {

using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

TEST(BlockSources, AbsentBlocksCostNothing) {
    tShmPrefix prefix;
    tBlockHarness h;
    tReadingSources sources;
    AddBlockSources(sources);
    ReadValues(h.context, sources, false);
    EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
    EXPECT_EQ(h.EventText(), "");
}

// Every block cut to 8 bytes of garbage: each offset-based reader fails at its
// reading level (or, without one, at the level of the whole source) with its
// code, and the pass goes on to the next block.
TEST(BlockSources, BlocksCutShortLogTheirCodes) {
    struct tCase {
        const char* block;
        const char* code;  // empty: the reader finds nothing to read
    };
    const tCase cases[] = {
        {"AIDA64_SensorValues", ""},  // text without any tag
        {"EVEREST_SensorValues", ""},
        {"$CPUID$HWM$", "rv2"},
        {"CPUCooL$Data$Area", "rv5"},
        {"VCOOL_SHARED_DATA", "rv7"},
        {"Hmonitor_Counters_Block", "rv9"},
        {"SFSharedMemory_ALM", "rv12"},
        {"ATIToolData", "rv30"},
        {"RTHMSharedMemory", "rv rt 2"},
        {"ATITRAY_SMEM", "rv att 2"},
        {"CoreTempMappingObject", "rv ct 2"},
        {"$M$B$M$5$S$D$", "rv17"},
        {"$M$B$M$5$D$", "rv18"},  // and rv19: two layouts read this block
    };
    for (const tCase& c : cases) {
        tShmPrefix prefix;
        std::vector<uint8_t> bytes(8, 0xFF);
        if (std::string(c.block) == "RTHMSharedMemory") {
            std::memcpy(bytes.data(), &kRivaTunerSignature, 4);  // past the signature check
        }
        tShmObject object(c.block, bytes);
        tBlockHarness h;
        tReadingSources sources;
        AddBlockSources(sources);
        ReadValues(h.context, sources, false);
        const std::string log = h.EventText();
        if (*c.code == '\0') {
            EXPECT_EQ(log, "") << c.block;
        } else {
            EXPECT_NE(log.find(std::string("] ") + c.code + " read of "), std::string::npos)
                << c.block << "\n"
                << log;
        }
    }
}

// Blocks of every size filled with random bytes: whatever the readers make of
// them, they stay inside the mapping (the sanitizer build watches this).
TEST(BlockSources, GarbageNeverLeavesTheMapping) {
    const char* blocks[] = {"AIDA64_SensorValues",
                            "$CPUID$HWM$",
                            "CPUCooL$Data$Area",
                            "VCOOL_SHARED_DATA",
                            "Hmonitor_Counters_Block",
                            "SFSharedMemory_ALM",
                            "ATIToolData",
                            "RTHMSharedMemory",
                            "ATITRAY_SMEM",
                            "CoreTempMappingObject",
                            "$M$B$M$5$S$D$",
                            "$M$B$M$5$D$"};
    std::mt19937 random(20261210);
    for (size_t size : {1u, 0x13u, 0x55u, 0x193u, 0x1000u, 0x2000u}) {
        tShmPrefix prefix;
        std::vector<uint8_t> bytes(size);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        if (size >= 4) std::memcpy(bytes.data(), &kRivaTunerSignature, 4);
        std::vector<std::unique_ptr<tShmObject>> objects;
        for (const char* block : blocks)
            objects.push_back(std::make_unique<tShmObject>(block, bytes));
        tBlockHarness h;
        h.settings.AcceptZeroValue = size % 2 == 0;
        tReadingSources sources;
        AddBlockSources(sources);
        ReadValues(h.context, sources, false);
        ReadValues(h.context, sources, false);  // with fragments and names changed
        SUCCEED() << size;
    }
}

}  // namespace
}  // namespace cx
