#include "platform/Power.h"

#include <gtest/gtest.h>

#include "platform/EnvGuard.h"
#include "support/TempDir.h"

namespace cx {
namespace {

TEST(Power, RecordingBackendRecordsActionsAndKeepsTheRequest) {
    test::tTempDir dir;
    tRecordingPowerBackend backend;
    backend.recordFile = (dir / "power.txt").string();
    backend.capabilities = {true, false};
    backend.privilege = false;
    EXPECT_TRUE(backend.Capabilities().hibernateAllowed);
    EXPECT_FALSE(backend.Capabilities().suspendAllowed);
    EXPECT_FALSE(backend.EnableShutdownPrivilege());

    backend.PowerOff(true);
    backend.Suspend(false, false);
    backend.Suspend(true, true);
    EXPECT_EQ(backend.SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED), 0u);
    EXPECT_EQ(backend.SetExecutionState(ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED)
        << "a one-time call leaves the standing request";
    EXPECT_EQ(backend.SetExecutionState(ES_CONTINUOUS), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_EQ(backend.SetExecutionState(ES_CONTINUOUS), 0u);

    const std::vector<std::string> expected{
        "PowerOff force=1",
        "Suspend hibernate=0 force=0",
        "Suspend hibernate=1 force=1",
        "SetExecutionState 0x80000001",
        "SetExecutionState 0x00000001",
        "SetExecutionState 0x80000000",
        "SetExecutionState 0x80000000",
    };
    EXPECT_EQ(backend.calls, expected);
    std::string file;
    for (const auto& line : expected) file += line + "\n";
    EXPECT_EQ(dir.Read("power.txt"), file);
}

TEST(Power, DefaultBackendRecordsWhenAsked) {
    test::tTempDir dir;
    {
        test::tEnvGuard record("CALORIX_POWER_RECORD", (dir / "power.txt").string());
        IPowerBackend& backend = DefaultPowerBackend();
        ASSERT_NE(dynamic_cast<tRecordingPowerBackend*>(&backend), nullptr);
        backend.Suspend(true, false);
        EXPECT_EQ(dir.Read("power.txt"), "Suspend hibernate=1 force=0\n");
    }
    EXPECT_NE(dynamic_cast<tLogindPowerBackend*>(&DefaultPowerBackend()), nullptr);
}

// Only the questions are asked of the real service; its actions would act.
TEST(Power, LogindBackendWithoutABusAllowsNothing) {
    test::tTempDir dir;
    // A bus address where nothing listens stands for a machine without one.
    test::tEnvGuard bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (dir / "no-bus-here").string());
    tLogindPowerBackend backend;
    const tPowerCapabilities capabilities = backend.Capabilities();
    EXPECT_FALSE(capabilities.hibernateAllowed);
    EXPECT_FALSE(capabilities.suspendAllowed);
    EXPECT_FALSE(backend.EnableShutdownPrivilege());
    EXPECT_EQ(backend.SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED), 0u);
    EXPECT_EQ(backend.SetExecutionState(ES_CONTINUOUS), 0u);
}

}  // namespace
}  // namespace cx
