#include "readings/SharedBlockWatch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BlockTestHarness.h"
#include "readings/SharedBlock.h"
#include "support/TempDir.h"

namespace cx {
namespace {

using test::tBlockHarness;
using test::tShmPrefix;

// Beyond the first page: reading there from a mapping longer than a block
// that shrank would fault, so a missed resize shows as a crash.
constexpr size_t kFarOffset = 0x2000;

// A reader in the shape of the real ones: a value at the start and one far in.
class tFarBlockSource : public tSharedBlockSource {
public:
    explicit tFarBlockSource(std::shared_ptr<tSharedBlockWatch> watch)
        : tSharedBlockSource(tSharedBlockInfo{"FarBlock", false, "tb1", "tb2"}, std::move(watch)) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        context.rs.sample.T[0] = static_cast<int16_t>(view.I32(0));
        context.rs.sample.T[1] = static_cast<int16_t>(view.I32(kFarOffset));
    }
};

std::vector<uint8_t> FarBlock(size_t size, int32_t first, int32_t far) {
    std::vector<uint8_t> bytes(size, 0);
    std::memcpy(bytes.data(), &first, 4);
    if (size >= kFarOffset + 4) std::memcpy(bytes.data() + kFarOffset, &far, 4);
    return bytes;
}

// What the block's program does to its object.
void WriteObject(const std::string& objectName, const std::vector<uint8_t>& bytes) {
    const int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << objectName;
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(bytes.size())), 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    close(fd);
}
void TruncateObject(const std::string& objectName, size_t size) {
    const int fd = shm_open(objectName.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0) << objectName;
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    close(fd);
}
// Writes through a mapping, the way publishers update their blocks: no event.
void PutThroughMapping(const std::string& objectName, size_t offset, int32_t value) {
    const int fd = shm_open(objectName.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0) << objectName;
    void* data = mmap(nullptr, offset + 4, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(data, MAP_FAILED);
    std::memcpy(static_cast<uint8_t*>(data) + offset, &value, 4);
    munmap(data, offset + 4);
    close(fd);
}

// The life of a block while its source runs, once with the process's watch
// and once without any (every pass opens the block).
TEST(SharedBlockWatch, SourceFollowsTheBlockThroughItsLife) {
    for (const bool watched : {true, false}) {
        SCOPED_TRACE(watched ? "watched" : "opened on every pass");
        tShmPrefix prefix;
        const std::string name = SharedBlockObjectName("FarBlock");
        std::shared_ptr<tSharedBlockWatch> watch;
        if (watched) {
            watch = tSharedBlockWatch::ForProcess();
            ASSERT_NE(watch, nullptr) << "no inotify watch on " << kSharedMemoryFolder;
        }
        tBlockHarness h;
        tFarBlockSource source(watch);
        const auto pass = [&] {
            test::ClearSensorSlots(h.rs);
            source.Read(h.context);
        };

        pass();  // absent: skipped silently
        EXPECT_EQ(h.rs.sample.T[0], kNoValue16);

        // Created after the source started: seen on the next pass.
        WriteObject(name, FarBlock(0x3000, 11, 12));
        pass();
        EXPECT_EQ(h.rs.sample.T[0], 11);
        EXPECT_EQ(h.rs.sample.T[1], 12);

        // Written through a mapping, no event: the kept mapping shows it.
        PutThroughMapping(name, 0, 13);
        pass();
        EXPECT_EQ(h.rs.sample.T[0], 13);
        EXPECT_EQ(h.EventText(), "");

        // Shrunk below the layout: the reading level logs it, nothing beyond
        // the new end is touched.
        TruncateObject(name, 16);
        pass();
        EXPECT_EQ(h.rs.sample.T[0], 13);
        EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
        EXPECT_NE(h.EventText().find("] tb2 read of 4 bytes at offset 8192 beyond the block's 16 "
                                     "bytes"),
                  std::string::npos)
            << h.EventText();

        // Grown again: the whole new size is read.
        TruncateObject(name, 0x4000);
        PutThroughMapping(name, kFarOffset, 14);
        pass();
        EXPECT_EQ(h.rs.sample.T[1], 14);

        // Removed: skipped, even though the source held it open.
        ASSERT_EQ(shm_unlink(name.c_str()), 0);
        pass();
        EXPECT_EQ(h.rs.sample.T[0], kNoValue16);

        // Made anew with other contents and size: the new object is read.
        WriteObject(name, FarBlock(0x2800, 21, 22));
        pass();
        EXPECT_EQ(h.rs.sample.T[0], 21);
        EXPECT_EQ(h.rs.sample.T[1], 22);

        // Removed and made anew between two passes.
        ASSERT_EQ(shm_unlink(name.c_str()), 0);
        WriteObject(name, FarBlock(16, 31, 0));
        pass();
        EXPECT_EQ(h.rs.sample.T[0], 31);
        EXPECT_EQ(h.rs.sample.T[1], kNoValue16);

        // Emptied: skipped like a missing block, and read again once refilled.
        TruncateObject(name, 0);
        pass();
        EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
        WriteObject(name, FarBlock(0x3000, 41, 42));
        pass();
        EXPECT_EQ(h.rs.sample.T[1], 42);
        shm_unlink(name.c_str());
    }
}

// One watch for every source of the process, whatever their prefixes; a
// source that drains the events of another's name leaves them for it.
TEST(SharedBlockWatch, SourcesShareOneWatchAndEachSeesItsEvents) {
    tShmPrefix prefix;
    const auto first = std::make_unique<tFarBlockSource>(tSharedBlockWatch::ForProcess());
    const auto second = std::make_unique<tFarBlockSource>(tSharedBlockWatch::ForProcess());
    setenv(kSharedBlockPrefixVariable, "cxtest-other-prefix-", 1);
    const auto other = std::make_unique<tFarBlockSource>(tSharedBlockWatch::ForProcess());
    EXPECT_EQ(tSharedBlockWatch::ForProcess(), tSharedBlockWatch::IfRunning());
    EXPECT_NE(first->ObjectName(), other->ObjectName());

    tBlockHarness h1, h2, h3;
    first->Read(h1.context);
    second->Read(h2.context);
    other->Read(h3.context);
    WriteObject(first->ObjectName(), FarBlock(16, 51, 0));
    first->Read(h1.context);
    second->Read(h2.context);
    other->Read(h3.context);
    EXPECT_EQ(h1.rs.sample.T[0], 51);
    EXPECT_EQ(h2.rs.sample.T[0], 51);
    EXPECT_EQ(h3.rs.sample.T[0], kNoValue16);
    shm_unlink(first->ObjectName().c_str());
}

TEST(SharedBlockWatch, PresenceFollowsTheEventsOfAFollowedName) {
    tShmPrefix prefix;
    const std::string name = SharedBlockObjectName("FarBlock");
    EXPECT_FALSE(SharedBlockExists("FarBlock"));  // nobody follows it: asked of the system
    tFarBlockSource source(tSharedBlockWatch::ForProcess());
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(SharedBlockExists("FarBlock"));
        WriteObject(name, FarBlock(16, 1, 0));
        EXPECT_TRUE(SharedBlockExists("FarBlock"));
        EXPECT_TRUE(SharedBlockExists("FarBlock"));
        ASSERT_EQ(shm_unlink(name.c_str()), 0);
        EXPECT_FALSE(SharedBlockExists("FarBlock"));
    }
}

// The watch itself over a folder of the test's own, which can also be taken
// away: every kind of event, and the folder coming back.
TEST(SharedBlockWatch, TellsWhatBecameOfAFollowedName) {
    test::tTempDir dir;
    const std::filesystem::path folder = dir / "shm";
    std::filesystem::create_directory(folder);
    tSharedBlockWatch watch(folder.string());
    ASSERT_TRUE(watch.Usable());
    watch.Follow("block");
    tSharedBlockWatch::tStamp stamp;
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kReplaced);  // first look
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kNone);

    const std::string block = (folder / "block").string();
    const auto change = [&](const auto& what, tBlockChange expected, const char* label) {
        what();
        EXPECT_EQ(watch.Poll("block", stamp), expected) << label;
        EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kNone) << label << ", asked again";
    };
    change([&] { close(open(block.c_str(), O_CREAT | O_WRONLY, 0600)); }, tBlockChange::kReplaced,
           "created");
    change([&] { ASSERT_EQ(truncate(block.c_str(), 100), 0); }, tBlockChange::kModified, "resized");
    change([&] { ASSERT_EQ(chmod(block.c_str(), 0644), 0); }, tBlockChange::kReplaced,
           "permissions");
    change([&] { close(open((folder / "other").c_str(), O_CREAT | O_WRONLY, 0600)); },
           tBlockChange::kNone, "another name");
    change([&] { std::filesystem::rename(block, folder / "moved"); }, tBlockChange::kReplaced,
           "renamed away");
    change([&] { std::filesystem::rename(folder / "other", block); }, tBlockChange::kReplaced,
           "renamed in");
    change([&] { std::filesystem::remove(block); }, tBlockChange::kReplaced, "removed");

    // A second follower of the name has its own stamp.
    watch.Follow("block");
    tSharedBlockWatch::tStamp second;
    EXPECT_EQ(watch.Poll("block", second), tBlockChange::kReplaced);
    watch.Unfollow("block");
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kNone);

    // The folder goes: unwatched, so sources open their blocks on every pass.
    std::filesystem::remove_all(folder);
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kUnwatched);
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kUnwatched);
    // It comes back: watched again, and everything is looked at afresh.
    std::filesystem::create_directory(folder);
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kReplaced);
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kNone);
    change([&] { close(open(block.c_str(), O_CREAT | O_WRONLY, 0600)); }, tBlockChange::kReplaced,
           "created in the new folder");

    // A name nobody follows is not kept track of.
    watch.Unfollow("block");
    EXPECT_EQ(watch.Poll("block", stamp), tBlockChange::kUnwatched);
}

TEST(SharedBlockWatch, NoWatchWithoutItsFolder) {
    test::tTempDir dir;
    EXPECT_FALSE(tSharedBlockWatch((dir / "missing").string()).Usable());
}

}  // namespace
}  // namespace cx
