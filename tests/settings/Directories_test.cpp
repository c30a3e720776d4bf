#include "settings/Directories.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

struct DirectoriesTest : ::testing::Test {
    test::tTempDir dir;
    bool debug = true;
    tEventLog events{dir / "CXEvents.txt", debug};
    std::string program = (dir / "program").string() + "/";
    std::string data = (dir / "data").string();

    void SetUp() override { fs::create_directories(program); }
};

TEST_F(DirectoriesTest, MarkerFileKeepsEverythingInTheProgramDirectory) {
    dir.Write("program/oldsettingsdir", "");
    dir.Write("program/CXClient.ini", "[Misc]\r\n");
    EXPECT_EQ(ChooseSettingsDirectory(program, data, events), program);
    EXPECT_TRUE(fs::exists(dir / "program/CXClient.ini"));
    EXPECT_FALSE(fs::exists(dir / "data")) << "nothing is created or moved";
}

TEST_F(DirectoriesTest, FirstStartAfterAnUpgradeMovesTheOlderFilesOnce) {
    for (const std::string& name : MovedSettingsFiles(false)) {
        if (name != "Stats24.txt") dir.Write("program/" + name, "old " + name);
    }
    dir.Write("program/Stats7.txt", "viewer only");
    dir.Write("program/English.lng", "stays");

    const std::string settings = ChooseSettingsDirectory(program, data, events);
    EXPECT_EQ(settings, data + "/Calorix/");
    for (const std::string& name : MovedSettingsFiles(false)) {
        if (name == "Stats24.txt") continue;  // missing in the program directory: skipped
        EXPECT_EQ(dir.Read("data/Calorix/" + name), "old " + name) << name;
        EXPECT_FALSE(fs::exists(dir / "program" / name)) << name;
    }
    EXPECT_TRUE(fs::exists(dir / "program/Stats7.txt")) << "the monitor leaves the viewer's files";
    EXPECT_TRUE(fs::exists(dir / "program/English.lng"));

    // With the 8-hour log in place, later starts move nothing.
    dir.Write("program/CXClient.ini", "newer in the program directory");
    EXPECT_EQ(ChooseSettingsDirectory(program, data, events), settings);
    EXPECT_EQ(dir.Read("data/Calorix/CXClient.ini"), "old CXClient.ini");
}

TEST_F(DirectoriesTest, MoveNeverReplacesAFileOfTheSettingsFolder) {
    dir.Write("data/Calorix/CXClient.ini", "current");
    dir.Write("program/CXClient.ini", "left behind");
    dir.Write("program/Stats7.txt", "viewer");
    ResolveSettingsDirectory(program, data, events, true);
    EXPECT_EQ(dir.Read("data/Calorix/CXClient.ini"), "current");
    EXPECT_EQ(dir.Read("program/CXClient.ini"), "left behind");
    EXPECT_EQ(dir.Read("data/Calorix/Stats7.txt"), "viewer") << "the viewer moves its own files";
}

TEST_F(DirectoriesTest, MovesAcrossFileSystems) {
    // /dev/shm is a file system of its own on most machines.
    std::string pattern = "/dev/shm/calorix-test-XXXXXX";
    if (!fs::is_directory("/dev/shm") || mkdtemp(pattern.data()) == nullptr) {
        GTEST_SKIP() << "no second file system";
    }
    const fs::path other = pattern;
    dir.Write("program/CXServer.ini", "moved");
    EXPECT_EQ(ResolveSettingsDirectory(program, other.string(), events),
              other.string() + "/Calorix/");
    std::ifstream in(other / "Calorix/CXServer.ini");
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "moved");
    EXPECT_FALSE(fs::exists(dir / "program/CXServer.ini"));
    fs::remove_all(other);
}

TEST_F(DirectoriesTest, FallsBackToTheProgramDirectory) {
    EXPECT_EQ(ResolveSettingsDirectory(program, "", events), program) << "no data folder";

    dir.Write("blocked", "a file where the data folder should be");
    EXPECT_EQ(ResolveSettingsDirectory(program, (dir / "blocked").string(), events), program);
    EXPECT_NE(dir.Read("CXEvents.txt").find("gsd "), std::string::npos);
}

}  // namespace
}  // namespace cx
