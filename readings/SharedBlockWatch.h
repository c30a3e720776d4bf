#pragma once
// A watch over the folder where POSIX shared-memory objects live, so that a
// block source can keep its block open and mapped between passes and look at
// it again only when something happened to its name. Without such a watch
// every pass would open, map, unmap and close each block.
//
// One inotify instance serves the whole process: every source holds the same
// watch through ForProcess(), and it closes when the last source goes. The
// watch knows nothing of block name prefixes, so sources of any prefix share
// it; only the names someone follows are kept track of.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace cx {

// Where glibc's shm_open puts its objects.
inline constexpr const char* kSharedMemoryFolder = "/dev/shm";

// What became of a followed name since it was last asked about.
enum class tBlockChange {
    kNone,       // nothing: the open block and its mapping are still right
    kModified,   // written or resized: the size has to be looked at again
    kReplaced,   // created, removed, renamed or its permissions changed (or
                 // events were lost): the block has to be opened afresh
    kUnwatched,  // the folder is no longer watched: open the block on every pass
};

class tSharedBlockWatch {
public:
    // The process's watch over the shared-memory folder, created on first use
    // and shared while anyone holds it; nullptr where no watch can be set up
    // (no such folder, no inotify, its limits reached).
    static std::shared_ptr<tSharedBlockWatch> ForProcess();
    // The process's watch when one is held already; never creates one.
    static std::shared_ptr<tSharedBlockWatch> IfRunning();

    // A watch over `folder` of its own; Usable() tells whether it was set up.
    explicit tSharedBlockWatch(std::string folder);
    ~tSharedBlockWatch();
    tSharedBlockWatch(const tSharedBlockWatch&) = delete;
    tSharedBlockWatch& operator=(const tSharedBlockWatch&) = delete;

    bool Usable() const { return m_fd >= 0; }

    // How far a follower has seen the changes of its name.
    struct tStamp {
        uint64_t epoch = 0;  // 0: never asked
        uint64_t replaced = 0;
        uint64_t modified = 0;
    };

    // Starts and ends following an object name (the file name in the folder,
    // without a slash). Several followers of one name are counted.
    void Follow(std::string_view name);
    void Unfollow(std::string_view name);

    // Reads the pending events, then tells what became of a followed `name`
    // since `stamp` and brings the stamp up to date. A fresh stamp answers
    // kReplaced, so the first look opens the block; a name nobody follows
    // answers kUnwatched, as the folder does while it cannot be watched.
    tBlockChange Poll(std::string_view name, tStamp& stamp);

    // Whether a followed `name` is present, answered from the last probe while
    // no event touched it since; otherwise `probe` is asked and its answer
    // kept. A name nobody follows, or an unwatched folder, is always probed.
    bool Presence(std::string_view name, bool (*probe)(std::string_view name));

private:
    struct tEntry {
        int followers = 0;
        uint64_t replaced = 0;
        uint64_t modified = 0;
        // The last probe's answer and the epoch and replace count it was
        // taken at; an unset epoch means no answer is kept.
        bool present = false;
        uint64_t presentEpoch = 0;
        uint64_t presentReplaced = 0;
    };

    // Reads every pending event; called with the lock held.
    void Drain();
    // Watches the folder (again); true when it is watched afterwards.
    bool AddWatch();
    // Forgets what is known of every name: each follower starts afresh.
    void ForgetAll() { ++m_epoch; }

    const std::string m_folder;
    int m_fd = -1;
    int m_wd = -1;
    // Starts at 1, so a fresh stamp (epoch 0) never matches.
    uint64_t m_epoch = 1;
    std::mutex m_mutex;
    std::map<std::string, tEntry, std::less<>> m_names;
};

}  // namespace cx
