#include "readings/Boinc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "readings/OutsideFiles.h"
#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

std::string FixtureText() {
    return ReadOutsideFile(std::string(CALORIX_FIXTURES) + "/files/client_state.xml").value();
}

TEST(Boinc, CpuTimeTexts) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {97200, "1 d 3 h"}, {7500, "2:05 h"},   {0, "0:00 h"},
        {59.9, "0:00 h"},   {86400, "1 d 0 h"}, {3600, "1:00 h"},
        {86399, "23:59 h"}, {-5, "0:00 h"},     {1e7, "115 d 17 h"},
    };
    for (const auto& c : cases) EXPECT_EQ(BOINCCpuTimeText(c.seconds), c.text) << c.seconds;
}

TEST(Boinc, ProjectHostNames) {
    const struct {
        const char* url;
        const char* host;
    } cases[] = {
        {"http://setiathome.berkeley.edu/", "setiathome.berkeley.edu"},
        {"https://boinc.bakerlab.org/rosetta/", "boinc.bakerlab.org"},
        {"einstein.phys.uwm.edu", "einstein.phys.uwm.edu"},
        {" http://www.worldcommunitygrid.org/ ", "www.worldcommunitygrid.org"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProjectHostName(c.url), c.host) << c.url;
}

TEST(Boinc, StateFileGivesTasksAndProjects) {
    std::vector<tBOINCActiveTask> tasks;
    std::vector<tBOINCProject> projects;
    ParseBOINCState(FixtureText(), tasks, projects);

    ASSERT_EQ(tasks.size(), 2u);
    // The checkpoint's fraction line does not pass for the task's own.
    EXPECT_EQ(tasks[0].projectText, "einstein.phys.uwm.edu  v601");
    EXPECT_EQ(tasks[0].resultName, "h1_0550.00_S5R4__123_S5R4a_1");
    EXPECT_EQ(tasks[0].cpuTimeText, "1 d 3 h");
    EXPECT_DOUBLE_EQ(tasks[0].fractionDone, 0.25);
    // The host goes in front of a version read earlier.
    EXPECT_EQ(tasks[1].projectText, "boinc.bakerlab.org  v422");
    EXPECT_EQ(tasks[1].cpuTimeText, "2:05 h");
    EXPECT_DOUBLE_EQ(tasks[1].fractionDone, 0.5);

    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[0].projectName, "Rosetta@home");
    EXPECT_DOUBLE_EQ(projects[0].userTotalCredit, 123456.789);
    EXPECT_DOUBLE_EQ(projects[0].userAverageCredit, 250.5);
    EXPECT_DOUBLE_EQ(projects[0].hostTotalCredit, 4567.25);
    EXPECT_DOUBLE_EQ(projects[0].hostAverageCredit, 12.75);
    EXPECT_EQ(projects[1].projectName, "Einstein & friends");
    EXPECT_DOUBLE_EQ(projects[1].hostTotalCredit, 0);
}

TEST(Boinc, NumberThatIsNoNumberEndsTheReadKeepingWhatWasRead) {
    std::vector<tBOINCActiveTask> tasks;
    std::vector<tBOINCProject> projects;
    ParseBOINCState(
        "<project>\n<project_name>A</project_name>\n<user_total_credit>lots</user_total_credit>\n"
        "</project>\n<project>\n<project_name>B</project_name>\n</project>\n",
        tasks, projects);
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_EQ(projects[0].projectName, "A");

    // A task cut off by the end of the file is kept as far as it goes.
    ParseBOINCState("<active_task>\n<result_name>r1</result_name>", tasks, projects);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].resultName, "r1");
}

// A fake machine: a process tree, a registry values file and the data folder.
class BOINCSourceTest : public ::testing::Test {
protected:
    std::string Dir(const std::string& folder) const { return (m_root / folder).string() + "/"; }
    void PutState(const std::string& folder) {
        m_root.Write(folder + "/client_state.xml", FixtureText());
    }
    void WriteRegistry(const std::string& dataDir) {
        m_root.Write("registry.ini",
                     "[HKLM\\SOFTWARE\\Space Sciences Laboratory, U.C. Berkeley\\BOINC Setup]\n"
                     "DATADIR=" +
                         dataDir + "\n");
    }
    std::string FoundDir() {
        test::tSystemReaderHarness harness(m_root.Path().string());
        tBOINCSource source(m_root / "registry.ini");
        source.Read(harness.context);
        return harness.settings.BOINCPath;
    }

    test::tTempDir m_root;
};

TEST_F(BOINCSourceTest, DataFolderFromClientThenRegistryThenPlatformFolder) {
    EXPECT_EQ(FoundDir(), "");
    PutState("var/lib/boinc-client");
    EXPECT_EQ(FoundDir(), Dir("var/lib/boinc-client"));
    WriteRegistry(Dir("registered"));
    EXPECT_EQ(FoundDir(), Dir("registered"));
    // A running client works in its data folder.
    m_root.Write("proc/4242/comm", "boinc\n");
    fs::create_symlink("/usr/bin/boinc", m_root / "proc/4242/exe");
    fs::create_symlink(m_root / "clientdata", m_root / "proc/4242/cwd");
    EXPECT_EQ(FoundDir(), Dir("clientdata"));
}

TEST_F(BOINCSourceTest, ReadReplacesTheListsAndLogsTheFolder) {
    PutState("data");
    test::tSystemReaderHarness harness(m_root.Path().string());
    harness.settings.BOINCPath = (m_root / "data").string();
    harness.rs.boincTasks.resize(5);
    tBOINCSource source(m_root / "registry.ini");
    source.Read(harness.context);
    EXPECT_EQ(harness.rs.boincTasks.size(), 2u);
    EXPECT_EQ(harness.rs.boincProjects.size(), 2u);
    EXPECT_NE(harness.EventText().find("] Found BOINC in " + Dir("data")), std::string::npos);

    // Without the file the lists are emptied and nothing is logged.
    fs::remove(m_root / "data/client_state.xml");
    harness.settings.BOINCPath = Dir("data");
    fs::remove(harness.logDir / "CXEvents.txt");
    source.Read(harness.context);
    EXPECT_TRUE(harness.rs.boincTasks.empty());
    EXPECT_TRUE(harness.rs.boincProjects.empty());
    EXPECT_FALSE(fs::exists(harness.logDir / "CXEvents.txt"));
}

}  // namespace
}  // namespace cx
