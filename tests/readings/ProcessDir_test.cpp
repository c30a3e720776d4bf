#include "readings/ProcessDir.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// A fake /proc with a few programs; links point into the temporary folder.
class ProcessDirTest : public ::testing::Test {
protected:
    void AddProcess(int pid, const std::string& comm, const std::string& exe,
                    const std::string& cwd = {}) {
        const std::string dir = "proc/" + std::to_string(pid);
        m_root.Write(dir + "/comm", comm + "\n");
        if (!exe.empty()) fs::create_symlink(exe, m_root / (dir + "/exe"));
        if (!cwd.empty()) fs::create_symlink(cwd, m_root / (dir + "/cwd"));
    }
    std::string Root() const { return m_root.Path().string(); }
    std::string In(const std::string& path) const { return (m_root / path).string(); }

    test::tTempDir m_root;
};

TEST_F(ProcessDirTest, FindsTheFirstReadableProgramByNameInProcessIdOrder) {
    AddProcess(20, "bash", "/bin/bash");
    // Another user's client: its executable cannot be read, so it gives no folder.
    AddProcess(50, "boinc", "");
    AddProcess(100, "boinc", In("opt/boinc/boinc"), In("data"));
    AddProcess(700, "boincmgr", In("opt/boinc/boincmgr"));
    AddProcess(900, "boinc", In("other/boinc (deleted)"));
    m_root.Write("proc/self/comm", "boinc\n");

    const auto programs = FindPrograms(Root(), "boinc");
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[0].pid, 50);
    EXPECT_EQ(programs[0].executable, "");
    EXPECT_EQ(programs[1].pid, 100);
    EXPECT_EQ(programs[2].executable, In("other/boinc"));

    EXPECT_EQ(FindProcessDir(Root(), "boinc"), In("opt/boinc/"));
    EXPECT_EQ(FindProcessDir(Root(), "BOINC"), In("opt/boinc/"));
    EXPECT_EQ(FindProcessDir(Root(), "aquasuite.exe"), "");
    EXPECT_EQ(ProcessWorkingDir(Root(), 100), In("data") + "/");
    EXPECT_EQ(ProcessWorkingDir(Root(), 20), "");
}

TEST_F(ProcessDirTest, MissingProcessTreeFindsNothing) {
    EXPECT_TRUE(FindPrograms(Root(), "boinc").empty());
    EXPECT_EQ(FindProcessDir(Root() + "/absent", "boinc"), "");
}

TEST(ProgramNameMatches, ComparesCommandAndExecutableNames) {
    const struct {
        const char* name;
        const char* comm;
        const char* exe;
        bool matches;
    } cases[] = {
        {"boinc", "boinc", "boinc", true},
        {"boinc", "boinc", "", true},
        {"boinc", "BOINC", "", true},
        {"boinc", "boincmgr", "boincmgr", false},
        // A Windows program under an emulator keeps its ".exe" in the command name.
        {"aquasuite.exe", "aquasuite.exe", "wine64-preloader", true},
        {"aquasuite.exe", "aquasuite", "aquasuite", true},
        {"mobilemeter", "MobileMeter.exe", "", true},
        {"mobilemeter", "mobile", "", false},
        // A long name is cut to 15 characters in the command name.
        {"averylongprogramname", "averylongprogra", "averylongprogramname", true},
        {"averylongprogramname", "averylongprogra", "", true},
        {"averylongprogramname", "averylongprogra", "averylongprogramother", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramNameMatches(c.name, c.comm, c.exe), c.matches)
            << c.name << " / " << c.comm << " / " << c.exe;
    }
}

TEST(ProcessDir, FindsThisTestProgramOnTheRealMachine) {
    std::string comm;
    {
        std::ifstream in("/proc/self/comm");
        std::getline(in, comm);
    }
    bool foundSelf = false;
    for (const auto& program : FindPrograms("/", comm)) foundSelf |= program.pid == getpid();
    EXPECT_TRUE(foundSelf);
    EXPECT_EQ(ProcessWorkingDir("/", getpid()),
              fs::current_path().string() == "/" ? "/" : fs::current_path().string() + "/");
}

}  // namespace
}  // namespace cx
