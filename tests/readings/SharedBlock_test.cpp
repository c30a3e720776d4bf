#include "readings/SharedBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace cx {
namespace {

TEST(BlockView, ReadsInsideTheBlockAndThrowsPastItsEnd) {
    const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 'a', 'b', 0, 'c'};
    const tBlockView view(bytes, sizeof bytes);
    EXPECT_EQ(view.U32(0), 0x04030201u);
    EXPECT_EQ(view.U16(2), 0x0403);
    EXPECT_EQ(view.U8(7), 'c');
    EXPECT_EQ(view.I32(4), view.Get<int32_t>(4));

    const struct {
        size_t offset;
        size_t length;
    } outside[] = {{5, 4},
                   {8, 1},
                   {9, 0},
                   {std::numeric_limits<size_t>::max(), 4},
                   {4, std::numeric_limits<size_t>::max()}};
    for (const auto& c : outside) {
        EXPECT_THROW(view.At(c.offset, c.length), std::out_of_range) << c.offset;
    }
    EXPECT_NO_THROW(view.At(8, 0));
}

TEST(BlockView, TextStopsAtTheFirstZeroByteOrTheFieldEnd) {
    const uint8_t bytes[8] = {'C', 'P', 'U', 0, 'x', 'y', 'z', 'w'};
    const tBlockView view(bytes, sizeof bytes);
    EXPECT_EQ(view.Text(0, 8), "CPU");
    EXPECT_EQ(view.Text(4, 3), "xyz");
    EXPECT_THROW(view.Text(4, 5), std::out_of_range);
    // Open-ended text stops quietly at the end of a block without a zero byte.
    EXPECT_EQ(view.TextUpTo(4, 4096), "xyzw");
    EXPECT_EQ(view.TextUpTo(0, 2), "CP");
    EXPECT_EQ(view.TextUpTo(20, 10), "");
}

TEST(SharedBlock, ObjectNameTakesThePrefixFromTheEnvironment) {
    unsetenv(kSharedBlockPrefixVariable);
    EXPECT_EQ(SharedBlockObjectName("$Calorix2$"), "/$Calorix2$");
    setenv(kSharedBlockPrefixVariable, "t1-", 1);
    EXPECT_EQ(SharedBlockObjectName("SFSharedMemory_ALM"), "/t1-SFSharedMemory_ALM");
    EXPECT_FALSE(SharedBlockExists("SFSharedMemory_ALM"));
    unsetenv(kSharedBlockPrefixVariable);
}

}  // namespace
}  // namespace cx
