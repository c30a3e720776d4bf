#include "readings/ValueBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "readings/ReadingPass.h"
#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

void Put(uint8_t* block, size_t offset, double value) {
    std::memcpy(block + offset, &value, sizeof value);
}

std::array<uint8_t, kValueBlockSize> FreshBlock() {
    std::array<uint8_t, kValueBlockSize> block{};
    FillValueBlockMarkers(block.data());
    return block;
}

TEST(ValueBlock, FreshBlockChangesNothing) {
    auto block = FreshBlock();
    tReadingSet rs;
    rs.sample.T[0] = 1234;
    rs.sample.F[0] = 2000;
    rs.sample.Clock = 5;
    rs.processorCount = 4;
    const tReadingSet before = rs;
    ApplyValueBlock(tBlockView(block.data(), block.size()), rs);
    EXPECT_EQ(std::memcmp(&rs.sample, &before.sample, sizeof rs.sample), 0);
    EXPECT_EQ(rs.processorCount, 4);
}

TEST(ValueBlock, ValuesAreScaledIntoTheirSlots) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double fan;
        int16_t slot;  // what F1 holds afterwards; 777 is the value before
    } fans[] = {{80, -8000}, {1500, 1500}, {255, 255}, {254.5, -25450},
                {0, 0},      {-255, 777},  {-1, 777},  {nan, 777}};
    for (const auto& c : fans) {
        auto block = FreshBlock();
        Put(block.data(), kValueBlockFanOffset, c.fan);
        tReadingSet rs;
        rs.sample.F[0] = 777;
        ApplyValueBlock(tBlockView(block.data(), block.size()), rs);
        EXPECT_EQ(rs.sample.F[0], c.slot) << c.fan;
    }

    auto block = FreshBlock();
    Put(block.data(), kValueBlockTempOffset + 2 * 8, 45.5);
    Put(block.data(), kValueBlockTempOffset + 3 * 8, 1e6);  // beyond a slot: no value
    Put(block.data(), kValueBlockVoltOffset + 9 * 8, 12.125);
    Put(block.data(), kValueBlockCpuOffset + 3 * 8, 50.5);
    Put(block.data(), kValueBlockClockOffset, 3600.5);
    block[kValueBlockCountOffset] = 2;
    tReadingSet rs;
    rs.maxClock = 2000000;
    ApplyValueBlock(tBlockView(block.data(), block.size()), rs);
    EXPECT_EQ(rs.sample.T[2], 4550);
    EXPECT_EQ(rs.sample.T[3], kNoValue16);
    EXPECT_EQ(rs.sample.V[9], 1212);  // ties round to even
    EXPECT_EQ(rs.sample.CPU[3], 5050);
    EXPECT_EQ(rs.sample.Clock, 3600500);
    EXPECT_EQ(rs.maxClock, 3600500);
    EXPECT_EQ(rs.processorCount, 2);
}

TEST(ValueBlock, ShortBlockThrowsAndChangesNothing) {
    auto block = FreshBlock();
    Put(block.data(), kValueBlockTempOffset, 30);
    tReadingSet rs;
    EXPECT_THROW(ApplyValueBlock(tBlockView(block.data(), 200), rs), std::runtime_error);
    EXPECT_EQ(rs.sample.T[0], 0);
}

// The bytes of the block as another program sees them.
std::array<uint8_t, kValueBlockSize> BlockContent() {
    std::array<uint8_t, kValueBlockSize> content{};
    const int fd = shm_open(SharedBlockObjectName(kValueBlock.name).c_str(), O_RDONLY, 0);
    if (fd >= 0) {
        if (pread(fd, content.data(), content.size(), 0) != static_cast<ssize_t>(content.size())) {
            content.fill(0);
        }
        close(fd);
    }
    return content;
}

// A source that writes fixed readings, standing for every source before the block.
class tEarlierSource : public IReadingSource {
public:
    void Read(tReadingContext& context) override {
        context.rs.sample.T[2] = 1234;
        context.rs.sample.T[3] = 2222;
        context.rs.sample.F[0] = 3000;
        context.rs.processorCount = 8;
    }
};

// Each test has its own block names, so parallel tests never meet.
class ValueBlockShmTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string prefix = "cxvb-" + std::to_string(getpid()) + "-";
        setenv(kSharedBlockPrefixVariable, prefix.c_str(), 1);
        m_sources.speedFan = std::make_unique<tEarlierSource>();
        m_sources.valueBlock = std::make_unique<tValueBlockSource>();
        m_sources.idleSeconds = [] { return int64_t{-1}; };
    }
    void TearDown() override {
        m_block.Release();
        unsetenv(kSharedBlockPrefixVariable);
    }

    // Another program of this user writes into the block and ends.
    void WriteFromAnotherProcess(const std::function<void(uint8_t*)>& write) {
        const std::string name = SharedBlockObjectName(kValueBlock.name);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = shm_open(name.c_str(), O_RDWR, 0);
            if (fd < 0) _exit(2);
            void* data = mmap(nullptr, kValueBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (data == MAP_FAILED) _exit(3);
            write(static_cast<uint8_t*>(data));
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }

    test::tSystemReaderHarness m_harness;
    tReadingSources m_sources;
    tValueBlock m_block;
};

TEST_F(ValueBlockShmTest, CreatedBlockIsThisUsersAndFullOfMarkers) {
    ASSERT_TRUE(m_block.Create(m_harness.events));
    const std::string name = SharedBlockObjectName(kValueBlock.name);
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat info {};
    ASSERT_EQ(fstat(fd, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_uid, geteuid());
    EXPECT_EQ(info.st_size, static_cast<off_t>(kValueBlockSize));
    close(fd);
    EXPECT_EQ(BlockContent(), FreshBlock());

    // A second creation takes the block over and starts it afresh.
    WriteFromAnotherProcess([](uint8_t* data) { Put(data, kValueBlockTempOffset, 50); });
    tValueBlock again;
    ASSERT_NE(BlockContent(), FreshBlock());
    ASSERT_TRUE(again.Create(m_harness.events));
    EXPECT_EQ(BlockContent(), FreshBlock());
    ASSERT_TRUE(m_block.IsOpen());
    again.Release();
    m_block.Release();
    EXPECT_FALSE(SharedBlockExists(kValueBlock.name));
    EXPECT_EQ(m_harness.EventText(), "");
}

TEST_F(ValueBlockShmTest, ValuesWrittenByAnotherProcessOverrideEarlierSources) {
    ASSERT_TRUE(m_block.Create(m_harness.events));
    WriteFromAnotherProcess([](uint8_t* data) {
        Put(data, kValueBlockTempOffset + 2 * 8, 45.5);
        Put(data, kValueBlockFanOffset, 80);
        data[kValueBlockCountOffset] = 2;
    });

    ReadValues(m_harness.context, m_sources, false);
    EXPECT_EQ(m_harness.rs.sample.T[2], 4550);
    EXPECT_EQ(m_harness.rs.sample.F[0], -8000);  // 80 %
    EXPECT_EQ(m_harness.rs.processorCount, 2);
    EXPECT_EQ(m_harness.rs.sample.T[3], 2222);  // the block had nothing for T4

    // A fan set to 0 ends the pass as the marker.
    WriteFromAnotherProcess([](uint8_t* data) { Put(data, kValueBlockFanOffset, 0); });
    ReadValues(m_harness.context, m_sources, false);
    EXPECT_EQ(m_harness.rs.sample.F[0], kNoValue16);
}

TEST_F(ValueBlockShmTest, WithoutBlockThePassKeepsTheEarlierValues) {
    ReadValues(m_harness.context, m_sources, false);
    EXPECT_EQ(m_harness.rs.sample.T[2], 1234);
    EXPECT_EQ(m_harness.rs.sample.F[0], 3000);
    EXPECT_EQ(m_harness.EventText(), "");
}

TEST_F(ValueBlockShmTest, ShortBlockIsLoggedByThePass) {
    const std::string name = SharedBlockObjectName(kValueBlock.name);
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 100), 0);
    close(fd);
    ReadValues(m_harness.context, m_sources, false);
    shm_unlink(name.c_str());
    EXPECT_EQ(m_harness.rs.sample.T[2], 1234);
    EXPECT_NE(m_harness.EventText().find("] rv24 value block of 100 bytes"), std::string::npos)
        << m_harness.EventText();
}

}  // namespace
}  // namespace cx
