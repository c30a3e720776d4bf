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

// The watch answers like FindPrograms while it reads far fewer names: a new
// process is read at once and once more on the next call, a process that
// renames itself later is seen within the recheck period, a gone one drops out.
TEST_F(ProcessDirTest, ProgramWatchFollowsProcessesAsTheyComeRenameAndGo) {
    AddProcess(20, "bash", "/bin/bash");
    AddProcess(100, "mobilemeter.exe", In("wine/MobileMeter.exe"));
    tProgramWatch watch;
    auto found = watch.Find(Root(), "MobileMeter");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].pid, 100);

    // Caught between fork and exec: still the shell's name on the first call.
    AddProcess(300, "bash", In("wine/MobileMeter.exe"));
    EXPECT_EQ(watch.Find(Root(), "MobileMeter").size(), 1u);
    m_root.Write("proc/300/comm", "MobileMeter.exe\n");
    found = watch.Find(Root(), "MobileMeter");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].pid, 300);

    // A settled process that takes the name later is found within the period.
    m_root.Write("proc/20/comm", "MobileMeter\n");
    bool seen = false;
    for (uint32_t i = 0; i < tProgramWatch::kRecheckCalls && !seen; ++i)
        seen = watch.Find(Root(), "mobilemeter").size() == 3;
    EXPECT_TRUE(seen);

    fs::remove_all(m_root / "proc/100");
    found = watch.Find(Root(), "MobileMeter");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].pid, 20);
    EXPECT_EQ(watch.KnownCount(), 2u);

    fs::remove_all(m_root / "proc");
    EXPECT_TRUE(watch.Find(Root(), "MobileMeter").empty());
    EXPECT_EQ(watch.KnownCount(), 0u);
}

// While the kernel's newest process id stays, no process was made: the folder
// is not listed again, and a process that ended drops out when its name fails.
TEST_F(ProcessDirTest, ProgramWatchListsAgainOnlyWhenTheNewestProcessIdMoves) {
    m_root.Write("proc/loadavg", "0.00 0.01 0.05 1/90 100\n");
    AddProcess(100, "MobileMeter", In("wine/MobileMeter.exe"));
    tProgramWatch watch;
    ASSERT_EQ(watch.Find(Root(), "MobileMeter").size(), 1u);
    // A folder the kernel never made (its id is not newer) is not listed.
    AddProcess(90, "MobileMeter", In("wine/MobileMeter.exe"));
    EXPECT_EQ(watch.Find(Root(), "MobileMeter").size(), 1u);
    m_root.Write("proc/loadavg", "0.00 0.01 0.05 1/91 120\n");
    EXPECT_EQ(watch.Find(Root(), "MobileMeter").size(), 2u);

    fs::remove_all(m_root / "proc/100");
    bool gone = false;
    for (uint32_t i = 0; i < tProgramWatch::kRecheckCalls && !gone; ++i)
        gone = watch.Find(Root(), "MobileMeter").size() == 1;
    EXPECT_TRUE(gone);
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
