#include "readings/Hwmon.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"
#include "settings/SettingsFiles.h"

namespace cx {
namespace {

using test::SysFixture;
using test::tSystemReaderHarness;

void ClearSensorSlots(tReadingSet& rs) {
    for (int i = 0; i < 10; ++i) rs.sample.T[i] = rs.sample.V[i] = rs.sample.F[i] = kNoValue16;
}

void DefaultNames(tSettings& settings) {
    for (int i = 0; i < 10; ++i) {
        settings.nameT[i] = "T" + std::to_string(i + 1);
        settings.nameV[i] = "V" + std::to_string(i + 1);
        settings.nameF[i] = "F" + std::to_string(i + 1);
    }
}

TEST(HwmonTest, InputNames) {
    struct tCase {
        const char* name;
        bool ok;
        tHwmonKind kind;
        int index;
    };
    const tCase cases[] = {
        {"temp1_input", true, tHwmonKind::Temperature, 1},
        {"temp12_input", true, tHwmonKind::Temperature, 12},
        {"fan3_input", true, tHwmonKind::Fan, 3},
        {"in0_input", true, tHwmonKind::Voltage, 0},
        {"temp1_label", false, {}, 0},
        {"temp_input", false, {}, 0},
        {"intrusion0_input", false, {}, 0},
        {"power1_input", false, {}, 0},
    };
    for (const tCase& c : cases) {
        tHwmonKind kind{};
        int index = -1;
        EXPECT_EQ(ParseHwmonInputName(c.name, kind, index), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(index, c.index) << c.name;
    }
}

TEST(HwmonTest, ChipsAreOrderedByTheirDeviceNotTheirNumber) {
    const std::vector<tHwmonChip> chips = ScanHwmonChips(SysFixture("hwmon"));
    ASSERT_EQ(chips.size(), 3u);
    // hwmon3, hwmon0, hwmon1: coretemp.0 and nct6775.656 sit under platform/, acpitz under
    // virtual/.
    EXPECT_EQ(chips[0].name, "coretemp");
    EXPECT_EQ(chips[1].name, "nct6775");
    EXPECT_EQ(chips[2].name, "acpitz");
    ASSERT_EQ(chips[0].inputs.size(), 3u);
    EXPECT_EQ(chips[0].inputs[0].label, "Package id 0");
    EXPECT_EQ(chips[0].inputs[2].index, 10);  // temp10 after temp2
    // Temperatures, then fans, then voltages.
    ASSERT_EQ(chips[1].inputs.size(), 5u);
    EXPECT_EQ(chips[1].inputs[0].label, "temp1");
    EXPECT_EQ(chips[1].inputs[1].label, "fan1");
    EXPECT_EQ(chips[1].inputs[4].label, "+12V");
}

TEST(HwmonTest, RunningSlotNumbersAndNamesForDefaultLabels) {
    tSystemReaderHarness h(SysFixture("hwmon"));
    ClearSensorSlots(h.rs);
    DefaultNames(h.settings);
    h.settings.nameT[1] = "CPU core";  // a user's label stays
    tHwmonSource source;
    source.Read(h.context);

    const int16_t temps[] = {4500, 4300, 4150, 3850, 2780, kNoValue16};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(h.rs.sample.T[i], temps[i]) << "T" << i + 1;
    EXPECT_EQ(h.rs.sample.F[0], 1200);
    EXPECT_EQ(h.rs.sample.F[1], 0);  // the pass turns a stopped fan into the marker
    EXPECT_EQ(h.rs.sample.F[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.V[0], 104);
    EXPECT_EQ(h.rs.sample.V[1], 1210);

    EXPECT_EQ(h.settings.nameT[0], "coretemp Package id 0");
    EXPECT_EQ(h.settings.nameT[1], "CPU core");
    EXPECT_EQ(h.settings.nameT[3], "nct6775 temp1");
    EXPECT_EQ(h.settings.nameT[4], "acpitz temp1");
    EXPECT_EQ(h.settings.nameV[1], "nct6775 +12V");
    EXPECT_EQ(h.settings.nameF[0], "nct6775 fan1");
    EXPECT_EQ(h.settings.nameT[5], "T6");

    // Names are given once: a label reset to its default later stays as it is.
    h.settings.nameT[0] = "T1";
    source.Read(h.context);
    EXPECT_EQ(h.settings.nameT[0], "T1");
}

TEST(HwmonTest, BoundSlotsTakeTheirSensorAndRunningNumbersStepOverThem) {
    tSystemReaderHarness h(SysFixture("hwmon"));
    ClearSensorSlots(h.rs);
    DefaultNames(h.settings);
    tHwmonSource source({{"T3", "coretemp:Package id 0"},
                         {"t1", "acpitz:temp1"},
                         {"F2", "nct6775:fan1"},
                         {"T9", "nochip:temp1"},     // nothing matches: left alone
                         {"X1", "coretemp:Core 0"},  // not a slot
                         {"T11", "coretemp:Core 0"},
                         {"T4", "no colon"}});
    h.rs.sample.T[8] = 1234;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 2780);  // acpitz
    EXPECT_EQ(h.rs.sample.T[1], 4300);  // Core 0, first running slot not bound
    EXPECT_EQ(h.rs.sample.T[2], 4500);  // Package id 0
    EXPECT_EQ(h.rs.sample.T[3], 4150);
    EXPECT_EQ(h.rs.sample.T[4], 3850);
    EXPECT_EQ(h.rs.sample.T[5], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[8], 1234);
    EXPECT_EQ(h.rs.sample.F[0], 0);  // fan2 took the first free fan slot
    EXPECT_EQ(h.rs.sample.F[1], 1200);
    EXPECT_EQ(h.settings.nameT[2], "coretemp Package id 0");
}

TEST(HwmonTest, ZeroTemperatureIsNoValueUnlessAcceptedAndNewChipsAreSeen) {
    test::tTempDir root;
    root.Write("sys/class/hwmon/hwmon0/name", "k10temp\n");
    root.Write("sys/class/hwmon/hwmon0/temp1_input", "0\n");
    root.Write("sys/class/hwmon/hwmon0/temp2_input", "-5000\n");
    tSystemReaderHarness h(root.Path().string());
    tHwmonSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    h.settings.AcceptZeroValue = true;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 0);
    EXPECT_EQ(h.rs.sample.T[1], -500);

    // A chip whose driver loads later joins on the next pass; without a device
    // behind them the chips go by name.
    root.Write("sys/class/hwmon/hwmon1/name", "amdgpu\n");
    root.Write("sys/class/hwmon/hwmon1/temp1_input", "51000\n");
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 5100);
    EXPECT_EQ(h.rs.sample.T[1], 0);
    EXPECT_EQ(h.rs.sample.T[2], -500);
}

TEST(HwmonTest, BindingsOfTheOrderHwmonSectionReachTheirSlots) {
    tSystemReaderHarness h(SysFixture("hwmon"));
    test::tTempDir settingsDir;
    settingsDir.Write("CXClient.ini",
                      "[OrderHwmon]\r\nT2=acpitz:temp1\r\nf3=nct6775:fan1\r\nX1=acpitz:temp1\r\n");
    const tAutostart noAutostart{tAutostartFolders{}};
    tRecordingPowerBackend power;
    const tMessageBus bus{settingsDir.Dir()};
    const tSettingsContext settingsContext{
        settingsDir.Dir(), settingsDir.Dir(), h.events, noAutostart, power, bus, "tester"};
    LoadSettings(h.settings, settingsContext);
    EXPECT_EQ(h.settings.OrderHwmon,
              (tHwmonBindings{{"T2", "acpitz:temp1"}, {"F3", "nct6775:fan1"}}));

    ClearSensorSlots(h.rs);
    tHwmonSource source;
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4500);
    EXPECT_EQ(h.rs.sample.T[1], 2780);  // acpitz, bound
    EXPECT_EQ(h.rs.sample.T[2], 4300);
    EXPECT_EQ(h.rs.sample.F[2], 1200);

    // A section changed while the program runs takes effect at the next pass.
    h.settings.OrderHwmon = {{"T1", "nct6775:temp1"}};
    ClearSensorSlots(h.rs);
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 3850);
    EXPECT_EQ(h.rs.sample.T[1], 4500);
    EXPECT_EQ(h.rs.sample.F[0], 1200);

    // Without the section the bindings are gone.
    settingsDir.Write("CXClient.ini", "[Misc]\r\n");
    LoadSettings(h.settings, settingsContext);
    EXPECT_TRUE(h.settings.OrderHwmon.empty());
    ClearSensorSlots(h.rs);
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4500);
    EXPECT_EQ(h.rs.sample.T[3], 3850);
}

}  // namespace
}  // namespace cx
