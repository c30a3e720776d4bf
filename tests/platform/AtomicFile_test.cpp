#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include "platform/ChildProcess.h"
#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

int CountEntries(const fs::path& dir) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++count;
    return count;
}

mode_t ModeOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(AtomicFile, ReadWholeFileReturnsBytesOrNothing) {
    test::tTempDir dir;
    std::string binary("a\0b\r\n\xff", 6);
    dir.Write("data.bin", binary);
    EXPECT_EQ(ReadWholeFile(dir / "data.bin"), binary);
    dir.Write("empty", "");
    EXPECT_EQ(ReadWholeFile(dir / "empty"), std::string());
    EXPECT_FALSE(ReadWholeFile(dir / "missing").has_value());
    EXPECT_FALSE(ReadWholeFile(dir.Path()).has_value());
    // Files whose size the kernel reports as 0 are read to their end.
    auto status = ReadWholeFile("/proc/self/status");
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(status->find("Name:"), std::string::npos);
}

TEST(AtomicFile, WritesNewFileWithModeAndReplacesOldKeepingItsMode) {
    test::tTempDir dir;
    fs::path file = dir / "new.ini";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file, "first", 0640, false, &error)) << error;
    EXPECT_EQ(dir.Read("new.ini"), "first");
    EXPECT_EQ(ModeOf(file), 0640u);

    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomically(file, std::string(200000, 'x'), 0644, false, &error)) << error;
    EXPECT_EQ(dir.Read("new.ini"), std::string(200000, 'x'));
    EXPECT_EQ(ModeOf(file), 0600u);

    ASSERT_TRUE(WriteFileAtomically(file, "", 0644, true, &error)) << error;
    EXPECT_EQ(dir.Read("new.ini"), "");
    EXPECT_EQ(ModeOf(file), 0644u);
    EXPECT_EQ(CountEntries(dir.Path()), 1) << "no temporary file may stay behind";
}

TEST(AtomicFile, WriteThroughSymbolicLinkKeepsLink) {
    test::tTempDir dir;
    dir.Write("real.ini", "old");
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(WriteFileAtomically(dir / "link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(dir.Read("real.ini"), "new");
}

TEST(AtomicFile, FailsWithReasonWhenFolderIsMissingOrTargetIsFolder) {
    test::tTempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir / "no" / "such" / "file", "x", 0644, false, &error));
    EXPECT_FALSE(error.empty());
    fs::create_directory(dir / "sub");
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(dir / "sub", "x", 0644, false, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
}

// A full disk, simulated by a file-size limit in a child process: the write
// fails, the old file keeps every byte and no temporary file is left.
TEST(AtomicFile, FailedWriteLeavesOldFileIntact) {
    test::tTempDir dir;
    const std::string old = "[Misc]\r\nReadTemp=20000\r\n";
    dir.Write("CXClient.ini", old);
    test::tChildResult result = test::RunInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        if (WriteFileAtomically(dir / "CXClient.ini", std::string(100000, 'z'), 0644, false,
                                &error)) {
            return std::string("reported success");
        }
        return "failed: " + error;
    });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.output.rfind("failed: ", 0), 0u) << result.output;
    EXPECT_GT(result.output.size(), 8u) << "the failure needs a reason";
    EXPECT_EQ(dir.Read("CXClient.ini"), old);
    EXPECT_EQ(CountEntries(dir.Path()), 1);
}

TEST(AtomicFile, LeftoverTemporaryFilesOfOneFileAreRemoved) {
    test::tTempDir dir;
    dir.Write("log6", "rows");
    dir.Write(".log6.tmp-a1B2c3", "half a save");
    dir.Write(".log6.tmp-zzzzzz", "another");
    dir.Write(".log7.tmp-a1B2c3", "belongs to another file");
    dir.Write(".log6.tmp-short", "not a name the writer makes");
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(dir / "log6"), 2);
    EXPECT_EQ(dir.Read("log6"), "rows");
    EXPECT_TRUE(fs::exists(dir / ".log7.tmp-a1B2c3"));
    EXPECT_TRUE(fs::exists(dir / ".log6.tmp-short"));
    EXPECT_EQ(CountEntries(dir.Path()), 3);
}

}  // namespace
}  // namespace cx
