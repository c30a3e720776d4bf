#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <memory>

#include "platform/ChildProcess.h"
#include "support/TempDir.h"

namespace cx {
namespace {

TEST(InstanceLock, OneHolderAtATimeAndFreeAgainAfterwards) {
    test::tTempDir dir;
    const std::string folder = dir.Path().string();
    EXPECT_FALSE(tInstanceLock::IsTaken("Calorix", folder));
    auto first = std::make_unique<tInstanceLock>("Calorix", folder);
    ASSERT_TRUE(first->IsHeld());
    EXPECT_TRUE(tInstanceLock::IsTaken("Calorix", folder));
    tInstanceLock second("Calorix", folder);
    EXPECT_FALSE(second.IsHeld());
    tInstanceLock other("CXOptions", folder);
    EXPECT_TRUE(other.IsHeld()) << "each name is a lock of its own";
    first.reset();
    EXPECT_FALSE(tInstanceLock::IsTaken("Calorix", folder));
    EXPECT_TRUE(tInstanceLock("Calorix", folder).IsHeld());
}

TEST(InstanceLock, ReleasedWhenTheHolderDies) {
    test::tTempDir dir;
    const std::string folder = dir.Path().string();
    // The child takes the lock and ends without releasing it.
    test::tChildResult child = test::RunInChild([&] {
        auto* leaked = new tInstanceLock("CXSysInfo", folder);
        return std::string(leaked->IsHeld() ? "held" : "free");
    });
    ASSERT_EQ(child.output, "held");
    EXPECT_FALSE(tInstanceLock::IsTaken("CXSysInfo", folder));
    EXPECT_TRUE(tInstanceLock("CXSysInfo", folder).IsHeld());
}

TEST(InstanceLock, SeenAcrossProcesses) {
    test::tTempDir dir;
    const std::string folder = dir.Path().string();
    tInstanceLock lock("Calorix", folder);
    ASSERT_TRUE(lock.IsHeld());
    test::tChildResult child = test::RunInChild([&] {
        return std::string(tInstanceLock::IsTaken("Calorix", folder) ? "taken" : "free") +
               (tInstanceLock("Calorix", folder).IsHeld() ? " held" : " refused");
    });
    EXPECT_EQ(child.output, "taken refused");
}

TEST(InstanceLock, BadNamesNeverLock) {
    test::tTempDir dir;
    for (const char* name : {"", "../Calorix", ".hidden"}) {
        EXPECT_FALSE(tInstanceLock(name, dir.Path().string()).IsHeld()) << name;
        EXPECT_FALSE(tInstanceLock::IsTaken(name, dir.Path().string())) << name;
    }
}

}  // namespace
}  // namespace cx
