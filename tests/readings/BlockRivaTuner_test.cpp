#include "readings/BlockRivaTuner.h"

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

struct tEntry {
    std::string name;
    float part1, part2;
};

tBlockBytes RivaTunerBlock(const std::vector<tEntry>& entries, uint32_t version = 0x10000,
                           uint32_t entrySize = 64) {
    const size_t size = version == 0x10000 ? 64 : entrySize;
    tBlockBytes block(0x14 + size * entries.size());
    block.Put<uint32_t>(0, kRivaTunerSignature).Put<uint32_t>(4, version);
    block.Put<int32_t>(8, static_cast<int32_t>(entries.size())).Put<uint32_t>(0x10, entrySize);
    for (size_t k = 0; k < entries.size(); ++k) {
        const size_t entry = 0x14 + k * size;
        block.PutText(entry, entries[k].name);
        block.Put<float>(entry + 0x34, entries[k].part1).Put<float>(entry + 0x38, entries[k].part2);
    }
    return block;
}

TEST(BlockRivaTuner, GenericNamesSpreadOverSlotsAndKeepThemOnLaterPasses) {
    tBlockHarness h;
    ReadRivaTunerBlock(RivaTunerBlock({{" GPU1 temperature ", 0.5f, 50.0f},
                                       {"GPU2 Temperature", 0.0f, 60.0f},
                                       {"Fan speed", 2.0f, 40.0f},
                                       {"Core clock", 0.0f, 400.0f}})
                           .View(),
                       h.context);
    EXPECT_EQ(h.rs.sample.T[3], 5050);
    EXPECT_EQ(h.rs.sample.T[4], 6000);
    EXPECT_EQ(h.rs.sample.T[5], kNoValue16);
    EXPECT_EQ(h.rs.sample.F[3], 42);
    EXPECT_EQ(h.settings.OrderRivaTunerT[3], "gpu1 temperature");
    EXPECT_EQ(h.settings.OrderRivaTunerT[4], "gpu2 temperature");
    EXPECT_EQ(h.settings.OrderRivaTunerT[5], "temperature");
    EXPECT_EQ(h.settings.OrderRivaTunerF[3], "fan speed");
    EXPECT_EQ(h.settings.OrderRivaTunerT[0], "");  // empty fragments match nothing

    // The next pass lists the sensors the other way round: each keeps its slot.
    ReadRivaTunerBlock(
        RivaTunerBlock({{"GPU2 temperature", 0.0f, 61.0f}, {"GPU1 temperature", 0.0f, 51.0f}})
            .View(),
        h.context);
    EXPECT_EQ(h.rs.sample.T[3], 5100);
    EXPECT_EQ(h.rs.sample.T[4], 6100);

    const std::string log = h.EventText();
    EXPECT_NE(log.find("] Reading from RivaTuner shared memory version 10000 1381255245\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("] GPU1 temperature 50.5\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] Core clock 400\r\n"), std::string::npos) << log;
}

TEST(BlockRivaTuner, EntrySizeFromTheHeaderUnlessTheVersionFixesIt) {
    tBlockHarness h;
    ReadRivaTunerBlock(
        RivaTunerBlock({{"a", 0, 1}, {"CPU temperature", 0.0f, 33.0f}}, 0x20000, 0x50).View(),
        h.context);
    EXPECT_EQ(h.rs.sample.T[3], 3300);
    EXPECT_NE(h.EventText().find("version 20000 "), std::string::npos);
}

TEST(BlockRivaTuner, OtherSignaturesAreOnlyLogged) {
    tBlockHarness h;
    tBlockBytes block = RivaTunerBlock({{"GPU temperature", 0.0f, 50.0f}});
    block.Put<uint32_t>(0, 7).Put<uint32_t>(4, 0x12);
    ReadRivaTunerBlock(block.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[3], kNoValue16);
    EXPECT_NE(h.EventText().find("] Reading from RivaTuner shared memory version 0012 7\r\n"),
              std::string::npos)
        << h.EventText();
}

TEST(BlockRivaTuner, HeadersThatPointPastTheBlockFailBeforeAnyEntry) {
    struct tCase {
        const char* what;
        int32_t count;
        uint32_t version, entrySize;
    };
    const tCase cases[] = {
        {"count beyond the block", 3, 0x10000, 64},  {"huge count", 2147483647, 0x10000, 64},
        {"entry size 0", 1000000, 0x20000, 0},       {"entries overlap", 2, 0x20000, 8},
        {"huge entry size", 1, 0x20000, 0xFFFFFFFF},
    };
    for (const tCase& c : cases) {
        tBlockBytes block = RivaTunerBlock({{"GPU temperature", 0.0f, 50.0f}}, c.version, 64);
        block.Put<int32_t>(8, c.count).Put<uint32_t>(0x10, c.entrySize);
        tBlockHarness h;
        EXPECT_THROW(ReadRivaTunerBlock(block.View(), h.context), std::out_of_range) << c.what;
        EXPECT_EQ(h.rs.sample.T[3], kNoValue16) << c.what;
    }
}

TEST(BlockRivaTuner, ReadsARealBlockAndLogsACutOne) {
    tShmPrefix prefix;
    tBlockHarness h;
    {
        tShmObject object("RTHMSharedMemory",
                          RivaTunerBlock({{"GPU temperature", 0.0f, 55.0f}}).Bytes());
        tRivaTunerSource().Read(h.context);
        EXPECT_EQ(h.rs.sample.T[3], 5500);
    }
    tBlockBytes cut = RivaTunerBlock({{"GPU temperature", 0.0f, 55.0f}, {"Fan", 0.0f, 1.0f}});
    cut.Resize(0x14 + 64 + 10);
    tShmObject object("RTHMSharedMemory", cut.Bytes());
    tRivaTunerSource().Read(h.context);
    EXPECT_NE(h.EventText().find("] rv rt 2 2 entries of 64 bytes beyond the block's 94 bytes"),
              std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
