#include "readings/Aquaero.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "readings/OutsideFiles.h"
#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

TEST(Aquaero, CommaValuesFillTheirSlots) {
    tReadingSet rs;
    tSample& s = rs.sample;
    for (int n = 0; n < kTempSlots; ++n) s.T[n] = s.V[n] = s.F[n] = kNoValue16;
    const tSettings settings;
    ApplyAquaeroText(ReadOutsideFile(std::string(CALORIX_FIXTURES) + "/files/aquaero.xml").value(),
                     settings, s);
    EXPECT_EQ(s.T[0], 2730);
    EXPECT_EQ(s.T[1], kNoValue16);  // content that is no number
    EXPECT_EQ(s.T[2], -425);
    EXPECT_EQ(s.F[0], 1250);        // Fan1Rpm 1250: rpm
    EXPECT_EQ(s.F[1], kNoValue16);  // a fan at 0 is left alone
    EXPECT_EQ(s.F[2], -4500);       // below 255: a percentage
    EXPECT_EQ(s.F[4], -12050);      // Flow1Hour 120,5 shows as 120.5
    EXPECT_EQ(s.V[0], 1205);
    EXPECT_EQ(s.V[1], kNoValue16);
}

TEST(Aquaero, ConfiguredTagsChooseTheElements) {
    tSettings settings;
    settings.OrderAquaeroT = {};
    settings.OrderAquaeroV = {};
    settings.OrderAquaeroF = {};
    settings.OrderAquaeroT[4] = "Water";
    settings.OrderAquaeroF[4] = "Water";  // the T tag of a slot is tried first
    settings.OrderAquaeroV[5] = "Pump";
    settings.OrderAquaeroF[5] = "PumpFan";
    tSample s{};
    ApplyAquaeroLine("<Water>31,5</Water><Pump>x</Pump><PumpFan>1500</PumpFan>", settings, s);
    EXPECT_EQ(s.T[4], 3150);
    EXPECT_EQ(s.F[4], 0);
    EXPECT_EQ(s.V[5], 0);
    EXPECT_EQ(s.F[5], 1500);
    // A huge value cannot be held by a slot and reads as no value.
    ApplyAquaeroLine("<Water>1e9</Water>", settings, s);
    EXPECT_EQ(s.T[4], kNoValue16);
}

// The three folders a file can come from, each with a different temperature.
class AquaeroDirectoryTest : public ::testing::Test {
protected:
    void Put(const std::string& folder, int celsius) {
        m_dirs.Write(folder + "/aquaero.xml",
                     "<Sensor1>" + std::to_string(celsius) + "</Sensor1>\n");
    }
    std::string Dir(const std::string& folder) const { return (m_dirs / folder).string() + "/"; }
    int16_t ReadWith(const std::string& aquaeroPath) {
        test::tSystemReaderHarness harness(m_dirs.Path().string());  // a root without /proc
        harness.settings.AquaeroPath = aquaeroPath;
        tAquaeroSource source(Dir("settings"), Dir("program"));
        harness.rs.sample.T[0] = kNoValue16;
        source.Read(harness.context);
        m_chosen = harness.settings.AquaeroPath;
        return harness.rs.sample.T[0];
    }

    test::tTempDir m_dirs;
    std::string m_chosen;
};

TEST_F(AquaeroDirectoryTest, SetFolderThenProgramThenSettingsFolder) {
    EXPECT_EQ(ReadWith(""), kNoValue16);
    EXPECT_EQ(m_chosen, "");

    Put("settings", 20);
    EXPECT_EQ(ReadWith(""), 2000);
    EXPECT_EQ(m_chosen, Dir("settings"));

    Put("program", 30);
    EXPECT_EQ(ReadWith(""), 3000);
    EXPECT_EQ(m_chosen, Dir("program"));
    // A set folder without the file gives way to the others; with it, it wins.
    EXPECT_EQ(ReadWith(Dir("configured")), 3000);
    Put("configured", 40);
    EXPECT_EQ(ReadWith((m_dirs / "configured").string()), 4000);
    EXPECT_EQ(m_chosen, Dir("configured"));
}

TEST_F(AquaeroDirectoryTest, RunningSoftwareGivesTheFolder) {
    Put("aquasuite", 25);
    Put("program", 30);
    m_dirs.Write("proc/321/comm", "aquasuite\n");
    fs::create_symlink(m_dirs / "aquasuite/aquasuite", m_dirs / "proc/321/exe");
    EXPECT_EQ(ReadWith(""), 2500);
    EXPECT_EQ(m_chosen, Dir("aquasuite"));
}

}  // namespace
}  // namespace cx
