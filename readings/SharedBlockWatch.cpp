#include "readings/SharedBlockWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace cx {

namespace {

// Everything that can change what opening or mapping a block gives: objects
// created, removed and renamed in or out, writes and size changes
// (ftruncate), and permission changes; plus the folder itself going away.
constexpr uint32_t kEventMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kReplacingEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
// After these the folder is no longer watched (IN_IGNORED follows the
// others, and comes alone when the watch was removed).
constexpr uint32_t kFolderGone = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// Large enough for many events, and always for one with the longest name.
constexpr size_t kEventBuffer = 16 * (sizeof(inotify_event) + NAME_MAX + 1);

struct tProcessWatch {
    std::mutex mutex;
    std::weak_ptr<tSharedBlockWatch> watch;
};

tProcessWatch& ProcessWatch() {
    static tProcessWatch process;
    return process;
}

}  // namespace

std::shared_ptr<tSharedBlockWatch> tSharedBlockWatch::ForProcess() {
    tProcessWatch& process = ProcessWatch();
    const std::lock_guard<std::mutex> lock(process.mutex);
    if (std::shared_ptr<tSharedBlockWatch> watch = process.watch.lock()) return watch;
    auto watch = std::make_shared<tSharedBlockWatch>(kSharedMemoryFolder);
    if (!watch->Usable()) return nullptr;
    process.watch = watch;
    return watch;
}

std::shared_ptr<tSharedBlockWatch> tSharedBlockWatch::IfRunning() {
    tProcessWatch& process = ProcessWatch();
    const std::lock_guard<std::mutex> lock(process.mutex);
    return process.watch.lock();
}

tSharedBlockWatch::tSharedBlockWatch(std::string folder) : m_folder(std::move(folder)) {
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) return;
    if (!AddWatch()) {
        close(m_fd);
        m_fd = -1;
    }
}

tSharedBlockWatch::~tSharedBlockWatch() {
    if (m_fd >= 0) close(m_fd);
}

bool tSharedBlockWatch::AddWatch() {
    m_wd = inotify_add_watch(m_fd, m_folder.c_str(), kEventMask);
    // Whatever happened while the folder was not watched is unknown.
    if (m_wd >= 0) ForgetAll();
    return m_wd >= 0;
}

void tSharedBlockWatch::Follow(std::string_view name) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_names.find(name);
    if (it == m_names.end()) it = m_names.emplace(std::string(name), tEntry{}).first;
    ++it->second.followers;
}

void tSharedBlockWatch::Unfollow(std::string_view name) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_names.find(name);
    if (it != m_names.end() && --it->second.followers <= 0) m_names.erase(it);
}

void tSharedBlockWatch::Drain() {
    if (m_fd < 0) return;
    // A folder that went away may be back (remounted, recreated).
    if (m_wd < 0 && !AddWatch()) return;
    alignas(inotify_event) char buffer[kEventBuffer];
    for (;;) {
        const ssize_t got = read(m_fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // The queue cannot be read: nothing it holds can be trusted,
                // so the folder counts as unwatched until it is watched anew.
                inotify_rm_watch(m_fd, m_wd);
                m_wd = -1;
                ForgetAll();
            }
            return;
        }
        if (got == 0) return;
        size_t at = 0;
        while (at + sizeof(inotify_event) <= static_cast<size_t>(got)) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* rawName = buffer + at + sizeof(inotify_event);
            at += sizeof(inotify_event) + event.len;
            if (at > static_cast<size_t>(got)) break;  // the kernel never cuts an event

            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                ForgetAll();
                continue;
            }
            if (event.wd != m_wd || m_wd < 0) continue;  // left over from an earlier watch
            if ((event.mask & kFolderGone) != 0) {
                if ((event.mask & IN_IGNORED) == 0) inotify_rm_watch(m_fd, m_wd);
                m_wd = -1;
                ForgetAll();
                continue;
            }
            if (event.len == 0) continue;
            const std::string_view name(rawName, strnlen(rawName, event.len));
            const auto it = m_names.find(name);
            if (it == m_names.end()) continue;
            if ((event.mask & IN_MODIFY) != 0) ++it->second.modified;
            if ((event.mask & kReplacingEvents) != 0) ++it->second.replaced;
        }
    }
}

tBlockChange tSharedBlockWatch::Poll(std::string_view name, tStamp& stamp) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Drain();
    const auto it = m_names.find(name);
    if (m_wd < 0 || it == m_names.end()) {
        stamp = {};
        return tBlockChange::kUnwatched;
    }
    const tEntry& entry = it->second;
    tBlockChange change = tBlockChange::kNone;
    if (stamp.epoch != m_epoch || stamp.replaced != entry.replaced) {
        change = tBlockChange::kReplaced;
    } else if (stamp.modified != entry.modified) {
        change = tBlockChange::kModified;
    }
    stamp = {m_epoch, entry.replaced, entry.modified};
    return change;
}

bool tSharedBlockWatch::Presence(std::string_view name, bool (*probe)(std::string_view name)) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Drain();
    const auto it = m_names.find(name);
    if (m_wd < 0 || it == m_names.end()) return probe(name);
    tEntry& entry = it->second;
    if (entry.presentEpoch == m_epoch && entry.presentReplaced == entry.replaced) {
        return entry.present;
    }
    entry.present = probe(name);
    entry.presentEpoch = m_epoch;
    entry.presentReplaced = entry.replaced;
    return entry.present;
}

}  // namespace cx
