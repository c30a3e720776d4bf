#include "readings/SpeedFanNames.h"

#include <gtest/gtest.h>

#include <string>

#include "readings/OutsideFiles.h"
#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

std::string FixtureText() {
    return ReadOutsideFile(std::string(CALORIX_FIXTURES) + "/files/speedfansens.cfg").value();
}

TEST(SpeedFanNames, NamedSensorsLabelTheSlotsMappedToThem) {
    tSettings settings;
    settings.nameT[8] = "My own";    // a label the user chose stays
    settings.OrderSpeedFanT[0] = 2;  // T1 shows SpeedFan's third temperature
    ApplySpeedFanNames(FixtureText(), settings);

    // The default map gives slot n SpeedFan's value 10 - n (0-based): temperature 0
    // goes to T10, temperature 1 to T9.
    EXPECT_EQ(settings.nameT[9], "CPU (W83627HF)");
    EXPECT_EQ(settings.nameT[8], "My own");
    // The section without a name line neither takes the previous name nor
    // counts, so the next named one is temperature 2.
    EXPECT_EQ(settings.nameT[0], "Board (IT8712F)");
    EXPECT_EQ(settings.nameT[7], "Board (IT8712F)");
    EXPECT_EQ(settings.nameT[6], "T7");
    EXPECT_EQ(settings.nameF[9], "Rear fan (W83627HF)");
    EXPECT_EQ(settings.nameV[9], "Vcore (W83627HF)");
    EXPECT_EQ(settings.nameV[8], "V9");
}

TEST(SpeedFanNames, WithoutFromTheChipIsTheLineAfterItsFirstFiveCharacters) {
    tSettings settings;
    ApplySpeedFanNames("xxx Temp LM75@$48\nname=GPU\nxxx end\n", settings);
    EXPECT_EQ(settings.nameT[9], "GPU (emp LM75)");
    tSettings none;
    ApplySpeedFanNames("name=Orphan\nactive=true\nxxx\n", none);
    EXPECT_EQ(none.nameT, tSettings{}.nameT);
}

class SpeedFanNamesSourceTest : public ::testing::Test {
protected:
    void WriteRegistry(const std::string& folder) {
        m_files.Write("registry.ini",
                      "[HKEY_LOCAL_MACHINE\\Software\\SpeedFan]\n@=" + folder + "\n");
    }

    test::tTempDir m_files;
    test::tSystemReaderHarness m_harness;
    tSpeedFanNamesSource m_source{m_files / "registry.ini"};
};

TEST_F(SpeedFanNamesSourceTest, ReadsTheFileOnceFromSpeedFansFolder) {
    m_files.Write("speedfan/speedfansens.cfg", FixtureText());
    WriteRegistry((m_files / "speedfan").string());
    m_harness.rs.refreshSpeedFanNames = true;
    m_source.Read(m_harness.context);
    EXPECT_FALSE(m_harness.rs.refreshSpeedFanNames);
    EXPECT_EQ(m_harness.settings.nameT[9], "CPU (W83627HF)");
}

TEST_F(SpeedFanNamesSourceTest, WithoutEntryOrFileTheFlagStaysUp) {
    for (const bool withEntry : {false, true}) {
        if (withEntry) WriteRegistry((m_files / "empty").string());
        m_harness.rs.refreshSpeedFanNames = true;
        m_source.Read(m_harness.context);
        EXPECT_TRUE(m_harness.rs.refreshSpeedFanNames) << withEntry;
        EXPECT_EQ(m_harness.settings.nameT, tSettings{}.nameT) << withEntry;
    }
}

}  // namespace
}  // namespace cx
