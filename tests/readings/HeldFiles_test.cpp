#include "readings/HeldFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// A held file of an ordinary folder follows every way a file can change:
// rewritten in place, renamed over, deleted, created again.
TEST(HeldFiles, OrdinaryFilesAreNeverReadStale) {
    test::tTempDir dir;
    const std::string path = (dir / "value").string();
    tHeldFile file;
    std::string buffer;
    EXPECT_FALSE(file.Read(path, buffer));

    dir.Write("value", "42\n");
    ASSERT_TRUE(file.Read(path, buffer));
    EXPECT_EQ(buffer, "42\n");
    dir.Write("value", "1234567\n");  // in place, longer
    ASSERT_TRUE(file.Read(path, buffer));
    EXPECT_EQ(buffer, "1234567\n");

    dir.Write("new", std::string(10000, 'x'));  // larger than the first read
    fs::rename(dir / "new", dir / "value");
    ASSERT_TRUE(file.Read(path, buffer));
    EXPECT_EQ(buffer.size(), 10000u);

    fs::remove(dir / "value");
    EXPECT_FALSE(file.Read(path, buffer));
    EXPECT_TRUE(buffer.empty());
    EXPECT_FALSE(file.IsOpen());

    dir.Write("value", "7\n");
    tHeldFiles files;
    int64_t value = 0;
    ASSERT_TRUE(files.ReadInteger(path, value, buffer));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(files.Count(), 1u);
    fs::remove(dir / "value");
    EXPECT_FALSE(files.ReadInteger(path, value, buffer));
    EXPECT_EQ(files.Count(), 0u);  // a file that stopped answering is let go
}

TEST(HeldFiles, KernelFilesAreMadeAnewOnEachRead) {
    tHeldFile file;
    std::string first, second;
    ASSERT_TRUE(file.Read("/proc/uptime", first));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(file.Read("/proc/uptime", second));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_NE(first, second);
    // A file of many pages is read to its end.
    std::string maps;
    ASSERT_TRUE(file.Read("/proc/self/maps", maps));
    EXPECT_EQ(maps.back(), '\n');
}

TEST(HeldFiles, FoldersAreListedAgainFromTheStart) {
    test::tTempDir dir;
    dir.Write("box/b", "");
    dir.Write("box/a", "");
    const std::string path = (dir / "box").string();
    tHeldFolder folder;
    std::vector<std::string> names;
    ASSERT_TRUE(folder.List(path, names));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(folder.IsKernelFolder());

    dir.Write("box/c", "");
    fs::remove(dir / "box/a");
    ASSERT_TRUE(folder.List(path, names));
    EXPECT_EQ(names, (std::vector<std::string>{"b", "c"}));

    // Removed and made again: the new folder is listed, not the old one.
    fs::remove_all(dir / "box");
    EXPECT_FALSE(folder.List(path, names));
    EXPECT_TRUE(names.empty());
    dir.Write("box/z", "");
    ASSERT_TRUE(folder.List(path, names));
    EXPECT_EQ(names, (std::vector<std::string>{"z"}));

    ASSERT_TRUE(folder.List("/proc", names));
    EXPECT_TRUE(folder.IsKernelFolder());
}

}  // namespace
}  // namespace cx
