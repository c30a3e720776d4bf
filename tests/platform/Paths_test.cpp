#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ChildProcess.h"
#include "platform/EnvGuard.h"
#include "platform/SystemInfo.h"
#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(Paths, ProgramDirectoryIsTheExecutablesFolder) {
    const std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(dir + "test_platform"));
}

TEST(Paths, AllUsersDataFolderForRootAndForUsers) {
    if (geteuid() == 0) {
        EXPECT_EQ(AllUsersDataFolder(), "/var/lib");
    }
    // As another user: the XDG folder, else the home folder's, a relative XDG
    // value being invalid.
    test::tChildResult result = test::RunInChild([] {
        if (::setuid(kNobody) != 0) return std::string("no setuid");
        std::string out;
        setenv("HOME", "/home/someone", 1);
        setenv("XDG_DATA_HOME", "/data/someone", 1);
        out += AllUsersDataFolder() + "|";
        setenv("XDG_DATA_HOME", "relative/share", 1);
        out += AllUsersDataFolder() + "|";
        unsetenv("XDG_DATA_HOME");
        setenv("HOME", "/home/someone/", 1);
        out += AllUsersDataFolder();
        return out;
    });
    if (result.output == "no setuid") GTEST_SKIP() << "needs root to act as another user";
    EXPECT_EQ(result.output, "/data/someone|/home/someone/.local/share|/home/someone/.local/share");
}

TEST(Paths, RuntimeFolderIsPrivateAndCreatedWhenMissing) {
    test::tTempDir dir;
    test::tEnvGuard runtime("XDG_RUNTIME_DIR", dir.Path().string());
    const std::string folder = RuntimeFolder();
    EXPECT_EQ(folder, (dir / "calorix").string());
    EXPECT_EQ(ModeOf(folder), 0700u);
    // A folder of ours that others may enter is closed again.
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(RuntimeFolder(), folder);
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST(Paths, RuntimeFolderRefusesForeignFoldersAndLinks) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to create another user's folder";
    test::tTempDir dir;
    test::tEnvGuard runtime("XDG_RUNTIME_DIR", dir.Path().string());
    fs::create_directory(dir / "calorix");
    ASSERT_EQ(::chown((dir / "calorix").c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(RuntimeFolder(), "");

    fs::remove(dir / "calorix");
    fs::create_directory(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", dir / "calorix");
    EXPECT_EQ(RuntimeFolder(), "");
}

TEST(Paths, RuntimeFolderFallsBackToTmpWithoutOwnRuntimeDir) {
    test::tTempDir dir;
    const std::string expected = "/tmp/calorix-" + std::to_string(geteuid());
    {
        test::tEnvGuard runtime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(RuntimeFolder(), expected);
    }
    test::tEnvGuard runtime("XDG_RUNTIME_DIR", (dir / "missing").string());
    EXPECT_EQ(RuntimeFolder(), expected);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(Paths, EnsureDirectoryCreatesParents) {
    test::tTempDir dir;
    EXPECT_TRUE(EnsureDirectory(dir / "a" / "b" / "c"));
    EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
    EXPECT_TRUE(EnsureDirectory(dir / "a"));
    dir.Write("file", "x");
    EXPECT_FALSE(EnsureDirectory(dir / "file"));
    EXPECT_FALSE(EnsureDirectory(dir / "file" / "sub"));
    EXPECT_FALSE(EnsureDirectory(""));
}

TEST(SystemInfo, NamesOfUserAndHost) {
    auto user = UserName();
    ASSERT_TRUE(user.has_value());
    if (geteuid() == 0) {
        EXPECT_EQ(*user, "root");
    }
    EXPECT_FALSE(HostName().empty());
    {
        test::tEnvGuard variable("CALORIX_TEST_VALUE", "42");
        EXPECT_EQ(EnvironmentValue("CALORIX_TEST_VALUE"), "42");
    }
    EXPECT_EQ(EnvironmentValue("CALORIX_TEST_VALUE"), "");
}

TEST(SystemInfo, LocalIPAddressesLeaveOutLoopbackAndPutIPv4First) {
    bool seenIPv6 = false;
    for (const std::string& address : LocalIPAddresses()) {
        EXPECT_NE(address.rfind("127.", 0), 0u) << address;
        EXPECT_NE(address, "::1");
        EXPECT_NE(address.rfind("fe80:", 0), 0u) << address;
        const bool ipv6 = address.find(':') != std::string::npos;
        EXPECT_FALSE(seenIPv6 && !ipv6) << "IPv4 after IPv6: " << address;
        seenIPv6 = seenIPv6 || ipv6;
    }
}

}  // namespace
}  // namespace cx
