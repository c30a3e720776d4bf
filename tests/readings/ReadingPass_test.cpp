#include "readings/ReadingPass.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "readings/SharedBlock.h"
#include "support/TempDir.h"

namespace cx {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

// A source that counts its calls and does what the test tells it to.
class tFakeSource : public IReadingSource {
public:
    explicit tFakeSource(std::function<void(tReadingContext&)> action)
        : m_action(std::move(action)) {}
    void Read(tReadingContext& context) override {
        ++calls;
        if (m_action) m_action(context);
    }
    int calls = 0;

private:
    std::function<void(tReadingContext&)> m_action;
};

// Every source slot of the pass under its name, in the order of the pass.
using tSlot = std::unique_ptr<IReadingSource> tReadingSources::*;
const std::vector<std::pair<const char*, tSlot>>& PassSlots() {
    static const std::vector<std::pair<const char*, tSlot>> slots = {
        {"hwmon", &tReadingSources::hwmon},
        {"aida64", &tReadingSources::aida64},
        {"everest", &tReadingSources::everest},
        {"cpuid", &tReadingSources::cpuid},
        {"cpuCool", &tReadingSources::cpuCool},
        {"vCool", &tReadingSources::vCool},
        {"hMonitor", &tReadingSources::hMonitor},
        {"speedFan", &tReadingSources::speedFan},
        {"speedFanNames", &tReadingSources::speedFanNames},
        {"atiTool", &tReadingSources::atiTool},
        {"rivaTuner", &tReadingSources::rivaTuner},
        {"atiTrayTools", &tReadingSources::atiTrayTools},
        {"freq", &tReadingSources::freq},
        {"coreTemp", &tReadingSources::coreTemp},
        {"cpu", &tReadingSources::cpu},
        {"powerSchemes", &tReadingSources::powerSchemes},
        {"thermalZones", &tReadingSources::thermalZones},
        {"mobileMeter", &tReadingSources::mobileMeter},
        {"mbm5190", &tReadingSources::mbm5190},
        {"mbm5107", &tReadingSources::mbm5107},
        {"mbm509x", &tReadingSources::mbm509x},
        {"aquaero", &tReadingSources::aquaero},
        {"net", &tReadingSources::net},
        {"batteries", &tReadingSources::batteries},
        {"disk", &tReadingSources::disk},
        {"boinc", &tReadingSources::boinc},
        {"valueBlock", &tReadingSources::valueBlock},
        {"mem", &tReadingSources::mem},
        {"upTime", &tReadingSources::upTime},
    };
    return slots;
}

void AllSwitchesOff(tSettings& s) {
    for (bool* flag : {&s.ReadHwmon,     &s.ReadEverest,      &s.ReadCPUID,    &s.ReadCPUCooL,
                       &s.ReadVCool,     &s.ReadHMonitor,     &s.ReadSpeedFan, &s.ReadAtiTool,
                       &s.ReadRivaTuner, &s.ReadATITrayTools, &s.ReadFreq,     &s.ReadCoreTemp,
                       &s.ReadCPU,       &s.ThermalZones,     &s.ForceACPI,    &s.ReadMobileMeter,
                       &s.ReadMBM5190,   &s.ReadMBM5107,      &s.ReadMBM509x,  &s.ReadAquaero,
                       &s.ReadNet,       &s.ReadBat,          &s.ReadDisk,     &s.ReadSETI,
                       &s.ReadMem,       &s.ReadUpTime}) {
        *flag = false;
    }
}

void AllSwitchesOn(tSettings& s) {
    AllSwitchesOff(s);
    for (bool* flag : {&s.ReadHwmon,     &s.ReadEverest,      &s.ReadCPUID,    &s.ReadCPUCooL,
                       &s.ReadVCool,     &s.ReadHMonitor,     &s.ReadSpeedFan, &s.ReadAtiTool,
                       &s.ReadRivaTuner, &s.ReadATITrayTools, &s.ReadFreq,     &s.ReadCoreTemp,
                       &s.ReadCPU,       &s.ThermalZones,     &s.ForceACPI,    &s.ReadMobileMeter,
                       &s.ReadMBM5190,   &s.ReadMBM5107,      &s.ReadMBM509x,  &s.ReadAquaero,
                       &s.ReadNet,       &s.ReadBat,          &s.ReadDisk,     &s.ReadSETI,
                       &s.ReadMem,       &s.ReadUpTime}) {
        *flag = true;
    }
}

class ReadingPass : public ::testing::Test {
protected:
    ReadingPass() {
        clock.local = 45000.5;  // a day in 2023, noon; the zone has no bias
        InitReadings(context, sources);
    }

    tFakeSource* Install(tSlot slot, std::function<void(tReadingContext&)> action = {}) {
        auto source = std::make_unique<tFakeSource>(std::move(action));
        tFakeSource* raw = source.get();
        sources.*slot = std::move(source);
        return raw;
    }

    // Runs one pass `seconds` after the previous one.
    void PassAfter(double seconds, bool force = false) {
        clock.Advance(seconds);
        ReadValues(context, sources, force);
    }

    std::string Events() const { return dir.Read("CXEvents.txt"); }

    test::tTempDir dir;
    bool debug = true;
    tFakeClock clock;
    tLocaleFormats locale;
    tEventLog events{dir / "CXEvents.txt", debug, clock, locale};
    tReadingSet rs;
    tSettings settings;
    tReadingContext context{rs, settings, events, clock, "/"};
    tReadingSources sources;
};

TEST_F(ReadingPass, InitReadingsSetsTheMarkersAndRaisesTheNameFlags) {
    rs.passCounter = 7;
    rs.maxClock = 3000000;
    rs.sample2.ActiveSeconds = 99;
    int enumerated = 0;
    Install(&tReadingSources::batteryList, [&](tReadingContext&) { ++enumerated; });
    InitReadings(context, sources);

    for (int16_t v : rs.sample.T) EXPECT_EQ(v, kNoValue16);
    for (int16_t v : rs.sample.V) EXPECT_EQ(v, kNoValue16);
    for (int16_t v : rs.sample.F) EXPECT_EQ(v, kNoValue16);
    for (int16_t v : rs.sample.CPU) EXPECT_EQ(v, kNoValue16);
    for (int32_t v : rs.sample.NetIn) EXPECT_EQ(v, kNoValue32);
    for (int32_t v : rs.sample.NetOut) EXPECT_EQ(v, kNoValue32);
    for (int32_t v : {rs.sample.MemUsed, rs.sample.MemFree, rs.sample.PageUsed, rs.sample.PageFree,
                      rs.sample.Cache, rs.sample.Clock}) {
        EXPECT_EQ(v, kNoValue32);
    }
    EXPECT_EQ(int32_t{rs.sample.BatRemaining}, 0);
    EXPECT_EQ(int32_t{rs.sample.BatFull}, 0);
    EXPECT_EQ(rs.maxClock, 0);
    EXPECT_EQ(int32_t{rs.sample2.ActiveSeconds}, 0);
    EXPECT_EQ(rs.processorCount, 0);
    EXPECT_EQ(rs.passCounter, 0);
    EXPECT_EQ(enumerated, 1);
    EXPECT_TRUE(rs.refreshSpeedFanNames);
    EXPECT_TRUE(rs.refreshCPUIDNames);
    EXPECT_TRUE(rs.refreshEverestNames);
}

TEST_F(ReadingPass, WithEverySwitchOffOnlyThePassOwnFieldsChange) {
    AllSwitchesOff(settings);
    std::vector<tFakeSource*> fakes;
    for (const auto& [name, slot] : PassSlots()) {
        if (slot == &tReadingSources::valueBlock) continue;  // no published block
        fakes.push_back(Install(slot, [](tReadingContext& c) { c.rs.sample.T[0] = 1111; }));
    }
    rs.sample.T[0] = 2534;
    rs.sample.V[1] = 1212;
    rs.sample.F[2] = 0;
    rs.sample.F[3] = 1200;
    rs.sample.CPU[0] = 5000;
    rs.sample.NetIn[0] = 77;
    rs.sample.MemUsed = 4096;
    rs.sample.Clock = 2400000;
    rs.sample.BatRemaining = 30000;
    rs.sample.BatFull = 40000;
    rs.sample.OnMains = 1;
    rs.batDesign = 50000;
    rs.batRelative = 1;
    rs.uptime = 1234;
    rs.maxClock = 2400000;

    tSample expected = rs.sample;
    tSample2 expected2 = rs.sample2;
    ReadValues(context, sources, false);

    for (tFakeSource* fake : fakes) EXPECT_EQ(fake->calls, 0);
    expected.Clock = kNoValue32;
    expected.BatRemaining = kNoValue32;
    expected.BatFull = 0;
    expected.F[2] = kNoValue16;
    expected.time = expected2.time = clock.local;
    EXPECT_EQ(std::memcmp(&rs.sample, &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&rs.sample2, &expected2, sizeof expected2), 0);
    EXPECT_EQ(rs.batDesign, 0);
    EXPECT_EQ(rs.batRelative, 0);
    EXPECT_EQ(rs.passCounter, 1);
    EXPECT_EQ(rs.uptime, 1234u);
    EXPECT_EQ(rs.maxClock, 2400000);
    EXPECT_EQ(Events(), "");
}

TEST_F(ReadingPass, SourcesRunInTheOrderOfThePass) {
    AllSwitchesOn(settings);
    std::vector<std::string> order;
    std::vector<std::string> expected;
    for (const auto& [name, slot] : PassSlots()) {
        Install(slot, [&order, n = std::string(name)](tReadingContext&) { order.push_back(n); });
        expected.push_back(name);
    }
    ReadValues(context, sources, false);
    EXPECT_EQ(order, expected);
}

TEST_F(ReadingPass, LaterSourceOverridesAnEarlierOne) {
    Install(&tReadingSources::speedFan, [](tReadingContext& c) { c.rs.sample.T[0] = 1000; });
    Install(&tReadingSources::mbm5190, [](tReadingContext& c) { c.rs.sample.T[0] = 2000; });
    ReadValues(context, sources, false);
    EXPECT_EQ(int16_t{rs.sample.T[0]}, 2000);

    // The published value block comes after every sensor source.
    Install(&tReadingSources::valueBlock, [](tReadingContext& c) { c.rs.sample.T[0] = 3000; });
    PassAfter(20);
    EXPECT_EQ(int16_t{rs.sample.T[0]}, 3000);
}

TEST_F(ReadingPass, SpeedFanNamesAreReadOnlyWhileTheirFlagIsUp) {
    tFakeSource* names = Install(&tReadingSources::speedFanNames,
                                 [](tReadingContext& c) { c.rs.refreshSpeedFanNames = false; });
    ReadValues(context, sources, false);
    PassAfter(20);
    EXPECT_EQ(names->calls, 1);
}

TEST_F(ReadingPass, FanDivisorsScaleAndZeroFansBecomeTheMarker) {
    const struct {
        int16_t reading;
        double divisor;
        int16_t expected;
    } cases[] = {
        {3000, 2, 1500},     // rpm halved
        {3001, 2, 1500},     // truncated
        {3000, -50, -6000},  // turned into 60 % duty
        {0, 2, kNoValue16},  // a stopped fan reads as no value
        {1, 2, kNoValue16},  // divided down to 0
        {3000, 0, 3000},     // divisor 0 leaves the slot alone
        {-4550, 2, -4550},   // a duty is not divided
        {kNoValue16, 2, kNoValue16},
        {30000, 0.5, kNoValue16},  // 60000 does not fit a 16-bit slot
        {3000, -0.5, kNoValue16},  // nor does -600000
    };
    for (const auto& c : cases) {
        settings.divF[0] = c.divisor;
        Install(&tReadingSources::valueBlock,
                [&c](tReadingContext& ctx) { ctx.rs.sample.F[0] = c.reading; });
        PassAfter(20);
        EXPECT_EQ(int16_t{rs.sample.F[0]}, c.expected) << c.reading << " / " << c.divisor;
    }
}

TEST_F(ReadingPass, DisksAreReadOnEveryTenthPassAndOnForcedOnes) {
    tFakeSource* disk = Install(&tReadingSources::disk);
    std::vector<int> readOnPass;
    for (int pass = 0; pass < 21; ++pass) {
        const int before = disk->calls;
        PassAfter(20);
        if (disk->calls != before) readOnPass.push_back(pass);
    }
    EXPECT_EQ(readOnPass, (std::vector<int>{0, 10, 20}));
    PassAfter(20, true);
    EXPECT_EQ(disk->calls, 4);
}

TEST_F(ReadingPass, ForcedPassesLessThanThreeSecondsApartReadBOINCOnce) {
    tFakeSource* disk = Install(&tReadingSources::disk);
    tFakeSource* boinc = Install(&tReadingSources::boinc);
    PassAfter(20, true);
    PassAfter(1, true);
    PassAfter(1.5, true);
    EXPECT_EQ(boinc->calls, 1);
    EXPECT_EQ(disk->calls, 3);
    PassAfter(5, true);
    EXPECT_EQ(boinc->calls, 2);

    settings.ReadSETI = false;
    PassAfter(20, true);
    EXPECT_EQ(boinc->calls, 2);
}

TEST_F(ReadingPass, ActiveSecondsGrowOnlyWhileTheUserIsAtTheMachine) {
    int64_t idle = 0;
    sources.idleSeconds = [&idle] { return idle; };
    PassAfter(20);  // the first pass has no previous one to measure from
    EXPECT_EQ(int32_t{rs.sample2.ActiveSeconds}, 0);

    const struct {
        double gapSeconds;
        int64_t idleSeconds;
        int32_t added;
    } cases[] = {
        {20, 10, 20},                              // active
        {20.4, 0, 20},                             // rounded to whole seconds
        {20.6, 0, 21}, {20, 59, 20}, {20, 60, 0},  // away from the keyboard
        {20, -1, 0},                               // no display: unknown
        {119, 0, 119}, {130, 0, 0},                // the program paused between the passes
        {-30, 0, 0},                               // the clock went back: the total never shrinks
    };
    for (const auto& c : cases) {
        idle = c.idleSeconds;
        const int32_t before = rs.sample2.ActiveSeconds;
        PassAfter(c.gapSeconds);
        EXPECT_EQ(rs.sample2.ActiveSeconds - before, c.added)
            << c.gapSeconds << " s, idle " << c.idleSeconds;
    }

    sources.idleSeconds = []() -> int64_t { throw std::runtime_error("no display"); };
    const int32_t before = rs.sample2.ActiveSeconds;
    PassAfter(20);
    EXPECT_EQ(int32_t{rs.sample2.ActiveSeconds}, before);
}

TEST_F(ReadingPass, ThrowingSourceIsLoggedWithItsCodeAndThePassGoesOn) {
    AllSwitchesOn(settings);
    const struct {
        tSlot slot;
        const char* code;
    } cases[] = {
        {&tReadingSources::hwmon, "rvhw"},     {&tReadingSources::everest, "re3"},
        {&tReadingSources::cpuid, "rv3"},      {&tReadingSources::rivaTuner, "rv rt 3"},
        {&tReadingSources::cpu, "rv15"},       {&tReadingSources::thermalZones, "rv16"},
        {&tReadingSources::mbm509x, "rv19"},   {&tReadingSources::net, "rv20"},
        {&tReadingSources::batteries, "gbd1"}, {&tReadingSources::disk, "rv22"},
        {&tReadingSources::boinc, "rv23"},     {&tReadingSources::valueBlock, "rv24"},
        {&tReadingSources::mem, "rv32"},       {&tReadingSources::upTime, "rv27"},
    };
    for (const auto& c : cases) {
        tReadingSources fresh;
        sources = std::move(fresh);
        Install(c.slot, [&c](tReadingContext& ctx) {
            ctx.rs.sample.T[1] = 4200;  // written before the failure: kept
            throw std::runtime_error(std::string("boom in ") + c.code);
        });
        // The last source of the pass tells whether the pass went on.
        tFakeSource* last = c.slot == &tReadingSources::upTime
                                ? nullptr
                                : Install(&tReadingSources::upTime,
                                          [](tReadingContext& ctx) { ctx.rs.uptime = 777; });
        rs.uptime = 0;
        rs.sample.T[1] = 0;
        PassAfter(20, true);
        EXPECT_NE(Events().find(std::string(c.code) + " boom in " + c.code + "\r\n"),
                  std::string::npos)
            << c.code;
        EXPECT_EQ(int16_t{rs.sample.T[1]}, 4200) << c.code;
        if (last) {
            EXPECT_EQ(rs.uptime, 777u) << c.code;
        }
        EXPECT_DOUBLE_EQ(TDateTime{rs.sample.time}, clock.local) << c.code;
    }

    // An exception that is no std::exception is logged as well.
    Install(&tReadingSources::cpu, [](tReadingContext&) { throw 42; });
    PassAfter(20);
    EXPECT_NE(Events().find("rv15 unknown error\r\n"), std::string::npos);
}

// --- Shared blocks created by the test itself, under a prefix of this process.

class SharedBlockPass : public ReadingPass {
protected:
    SharedBlockPass() {
        m_prefix = "calorix-test-" + std::to_string(getpid()) + "-";
        setenv(kSharedBlockPrefixVariable, m_prefix.c_str(), 1);
    }
    ~SharedBlockPass() override {
        for (const std::string& name : m_created) shm_unlink(("/" + m_prefix + name).c_str());
        unsetenv(kSharedBlockPrefixVariable);
    }

    void CreateBlock(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string object = "/" + m_prefix + name;
        const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        m_created.push_back(name);
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }

private:
    std::string m_prefix;
    std::vector<std::string> m_created;
};

// A block reader in the shape of the real ones: a count far into the block,
// then one temperature.
class tTestBlockSource : public tSharedBlockSource {
public:
    using tSharedBlockSource::tSharedBlockSource;

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        context.rs.sample.T[0] = static_cast<int16_t>(view.I32(0) * 100);
        context.rs.sample.T[1] = static_cast<int16_t>(view.I32(0x600) * 100);
    }
};

std::vector<uint8_t> BlockWith(size_t size, int32_t first, int32_t atOffset0x600) {
    std::vector<uint8_t> bytes(size, 0);
    std::memcpy(bytes.data(), &first, 4);
    if (size >= 0x604) std::memcpy(bytes.data() + 0x600, &atOffset0x600, 4);
    return bytes;
}

TEST_F(SharedBlockPass, BlockShorterThanItsLayoutFailsAtTheReadingLevel) {
    CreateBlock("TestBlock", BlockWith(16, 25, 0));
    sources.cpuid =
        std::make_unique<tTestBlockSource>(tSharedBlockInfo{"TestBlock", false, "tb1", "tb2"});
    tFakeSource* next = Install(&tReadingSources::cpuCool);
    ReadValues(context, sources, false);

    EXPECT_EQ(int16_t{rs.sample.T[0]}, 2500);        // read before the failure: kept
    EXPECT_EQ(int16_t{rs.sample.T[1]}, kNoValue16);  // beyond the block: untouched
    EXPECT_NE(Events().find("tb2 read of 4 bytes at offset 1536 beyond the block's 16 bytes\r\n"),
              std::string::npos)
        << Events();
    EXPECT_EQ(next->calls, 1);
}

TEST_F(SharedBlockPass, LevelWithoutItsOwnCodeReachesTheSourceCode) {
    CreateBlock("VCOOL_SHARED_DATA", BlockWith(8, 30, 0));
    sources.vCool = std::make_unique<tTestBlockSource>(kVCoolBlock);
    ReadValues(context, sources, false);
    EXPECT_EQ(int16_t{rs.sample.T[0]}, 3000);
    EXPECT_NE(Events().find("rv7 read of 4 bytes at offset 1536"), std::string::npos) << Events();
}

TEST_F(SharedBlockPass, WholeBlockIsReadAndAMissingOneIsSkippedSilently) {
    CreateBlock("TestBlock", BlockWith(0x700, 25, 40));
    sources.cpuid =
        std::make_unique<tTestBlockSource>(tSharedBlockInfo{"TestBlock", true, "tb1", "tb2"});
    sources.mbm5190 =
        std::make_unique<tTestBlockSource>(tSharedBlockInfo{"NoSuchBlock", true, "tb3", "tb4"});
    ReadValues(context, sources, false);
    EXPECT_EQ(int16_t{rs.sample.T[0]}, 2500);
    EXPECT_EQ(int16_t{rs.sample.T[1]}, 4000);
    EXPECT_EQ(Events(), "");
}

TEST_F(SharedBlockPass, EmptyBlockIsSkippedLikeAMissingOne) {
    CreateBlock("TestBlock", {});
    sources.cpuid =
        std::make_unique<tTestBlockSource>(tSharedBlockInfo{"TestBlock", false, "tb1", "tb2"});
    ReadValues(context, sources, false);
    EXPECT_EQ(int16_t{rs.sample.T[0]}, kNoValue16);
    EXPECT_EQ(Events(), "");
}

}  // namespace
}  // namespace cx
