#include "platform/Processes.h"

#include <gtest/gtest.h>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/ChildProcess.h"
#include "platform/EnvGuard.h"
#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// Waits for a file that a started program writes; the program runs on its
// own, so the test can only look for its result.
bool WaitForFile(const fs::path& file) {
    for (int i = 0; i < 1000; ++i) {
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(Processes, SpawnLauncherStartsDetachedInTheWorkingFolder) {
    test::tTempDir dir;
    tSpawnLauncher launcher;
    // The program writes its folder, its parent and its session, then renames
    // the file into place so the test never reads it half-written.
    ASSERT_TRUE(
        launcher.Start({"/bin/sh", "-c",
                        "{ pwd; cut -d' ' -f4,6 /proc/$$/stat; } > out.tmp && mv out.tmp out.txt"},
                       dir.Path().string()));
    ASSERT_TRUE(WaitForFile(dir / "out.txt"));
    std::istringstream out(dir.Read("out.txt"));
    std::string folder;
    long parent = 0;
    long session = 0;
    std::getline(out, folder);
    out >> parent >> session;
    EXPECT_EQ(folder, dir.Path().string());
    // Not our child, and out of our session, so it outlives us and our terminal.
    EXPECT_NE(parent, static_cast<long>(::getpid()));
    EXPECT_NE(session, static_cast<long>(::getsid(0)));
    EXPECT_GT(session, 0);
}

TEST(Processes, SpawnLauncherReportsWhatCannotStart) {
    test::tTempDir dir;
    tSpawnLauncher launcher;
    EXPECT_FALSE(launcher.Start({"calorix-no-such-program-anywhere"}, ""));
    EXPECT_FALSE(launcher.Start({"/bin/true"}, (dir / "missing").string()));
    EXPECT_FALSE(launcher.Start({}, ""));
    EXPECT_TRUE(launcher.Start({"true"}, ""));  // found through PATH
}

TEST(Processes, RecordingLauncherAndShellOpen) {
    test::tTempDir dir;
    tRecordingLauncher launcher;
    launcher.recordFile = (dir / "launch.txt").string();
    EXPECT_TRUE(ShellOpen(launcher, "http://localhost/", "/tmp"));
    EXPECT_TRUE(ShellOpen(launcher, "-odd name.txt"));
    EXPECT_FALSE(ShellOpen(launcher, ""));
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[0], (std::vector<std::string>{"xdg-open", "http://localhost/"}));
    EXPECT_EQ(launcher.workingDirs[0], "/tmp");
    EXPECT_EQ(launcher.started[1][1], "./-odd name.txt");
    EXPECT_EQ(dir.Read("launch.txt"),
              "Start cwd=/tmp xdg-open http://localhost/\n"
              "Start cwd='' xdg-open './-odd name.txt'\n");
    launcher.result = false;
    EXPECT_FALSE(ShellOpen(launcher, "x"));
}

TEST(Processes, DefaultLauncherRecordsWhenAsked) {
    test::tTempDir dir;
    {
        test::tEnvGuard record("CALORIX_LAUNCH_RECORD", (dir / "launch.txt").string());
        EXPECT_TRUE(DefaultLauncher().Start({"cxoptions", "1 - -"}, "/opt"));
        EXPECT_EQ(dir.Read("launch.txt"), "Start cwd=/opt cxoptions '1 - -'\n");
    }
    EXPECT_NE(dynamic_cast<tSpawnLauncher*>(&DefaultLauncher()), nullptr);
}

TEST(Processes, SplitCommandLineFollowsShellQuoting) {
    const struct {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"pscp -batch file", {"pscp", "-batch", "file"}},
        {"  a\t b  ", {"a", "b"}},
        {"\"/opt/my dir/prog\" -x", {"/opt/my dir/prog", "-x"}},
        {"'it''s' \"say \\\"hi\\\"\"", {"its", "say \"hi\""}},
        {"\"a\\nb\" a\\ b", {"a\\nb", "a b"}},
        {"'$HOME' \"\"", {"$HOME", ""}},
        {"pre\"fix\"post", {"prefixpost"}},
        {"\"unterminated quote", {"unterminated quote"}},
        {"trailing\\", {"trailing"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
        // Joining and splitting again gives the same words.
        EXPECT_EQ(SplitCommandLine(JoinCommandLine(c.words)), c.words) << c.line;
    }
}

}  // namespace
}  // namespace cx
