// Window messages between processes over Unix datagram sockets. Every window
// binds "<class>.<pid>" (a second window of the class in the same process
// "<class>.<pid>-2", and so on) in the runtime folder; a sender that wants an
// answer binds a temporary ".reply-..." socket beside them and names it in
// the message.
#include "platform/MessageBus.h"

#include <poll.h>
#include <strings.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <system_error>

#include "platform/Paths.h"

namespace cx {

namespace {

constexpr uint32_t kMessageMagic = 0x43584D42;  // "CXMB"
constexpr uint32_t kAnswerMagic = 0x43584D41;   // "CXMA"
constexpr const char* kReplyPrefix = ".reply-";
constexpr int kMaxWindowsPerProcess = 64;

// The record that travels as one datagram. Both ends are programs of this
// system on the same machine, so the layout is the host's own.
struct tWireMessage {
    uint32_t magic = kMessageMagic;
    uint32_t msg = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint64_t sequence = 0;  // matches the answer to the request
    uint32_t wantsAnswer = 0;
    char replyPath[sizeof(sockaddr_un::sun_path)] = {};
};

struct tWireAnswer {
    uint32_t magic = kAnswerMagic;
    uint32_t reserved = 0;
    uint64_t sequence = 0;
    int64_t result = 0;
};

// No padding in either record, so no stray bytes of our memory travel.
static_assert(sizeof(tWireMessage) == 36 + sizeof(sockaddr_un::sun_path));
static_assert(sizeof(tWireAnswer) == 24);

// A socket descriptor, closed (and its bound path removed) on every path out.
class tSocket {
public:
    tSocket() : m_fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~tSocket() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_boundPath.empty()) ::unlink(m_boundPath.c_str());
    }
    tSocket(const tSocket&) = delete;
    tSocket& operator=(const tSocket&) = delete;
    int Fd() const { return m_fd; }
    void RemoveOnClose(std::string path) { m_boundPath = std::move(path); }

private:
    int m_fd;
    std::string m_boundPath;
};

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A class name becomes part of a file name: it must stay one plain name.
bool IsValidClassName(std::string_view className) {
    return !className.empty() && className.front() != '.' &&
           className.find('/') == std::string_view::npos &&
           className.find('\0') == std::string_view::npos;
}

uint64_t RandomNumber() {
    uint64_t value = 0;
    if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
        // Without the random source, time and stack address still tell
        // concurrent senders apart well enough for a name.
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        value = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                reinterpret_cast<uintptr_t>(&now);
    }
    return value;
}

// Whether a process is bound to the socket file: connecting to a file nobody
// listens on any more is refused.
bool SocketHasListener(const std::string& path) {
    sockaddr_un address{};
    if (!MakeAddress(path, address)) return false;
    tSocket probe;
    if (probe.Fd() < 0) return true;  // cannot tell; keep it
    if (::connect(probe.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    return errno != ECONNREFUSED && errno != ENOENT;
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Parses "<class>.<pid>" or "<class>.<pid>-<n>"; the pid or 0 when the name
// is not one of a window of the class.
pid_t WindowPid(const std::string& name, std::string_view className) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot != className.size()) return 0;
    if (strncasecmp(name.c_str(), std::string(className).c_str(), dot) != 0) return 0;
    std::string rest = name.substr(dot + 1);
    const size_t dash = rest.find('-');
    std::string pidText = rest.substr(0, dash);
    if (dash != std::string::npos) {
        if (!AllDigits(rest.substr(dash + 1))) return 0;
    }
    if (!AllDigits(pidText) || pidText.size() > 9) return 0;
    return static_cast<pid_t>(std::stol(pidText));
}

bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int waitMs = left.count() > 0
                               ? static_cast<int>(std::min<int64_t>(left.count(), 60 * 60 * 1000))
                               : 0;
        pollfd entry{fd, POLLIN, 0};
        const int rc = ::poll(&entry, 1, waitMs);
        if (rc > 0) return true;
        if (rc == 0) return false;
        if (errno != EINTR) return false;
    }
}

// Sends one datagram without ever blocking; until the deadline a full queue
// of the receiver is waited out.
bool SendDatagram(int fd, const std::string& path, const void* data, size_t size,
                  std::chrono::steady_clock::time_point deadline) {
    sockaddr_un address{};
    if (!MakeAddress(path, address)) return false;
    for (;;) {
        const ssize_t sent = ::sendto(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL,
                                      reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (sent == static_cast<ssize_t>(size)) return true;
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
            struct timespec pause {
                0, 2000000
            };
            nanosleep(&pause, nullptr);
            continue;
        }
        return false;
    }
}

}  // namespace

tMessageBus::tMessageBus(std::string runtimeFolder)
    : m_folder(runtimeFolder.empty() ? RuntimeFolder() : std::move(runtimeFolder)) {}

std::vector<std::string> tMessageBus::FindWindows(std::string_view className) const {
    std::vector<std::string> found;
    if (m_folder.empty() || !IsValidClassName(className)) return found;
    struct tCandidate {
        std::filesystem::file_time_type created;
        std::string path;
    };
    std::vector<tCandidate> candidates;
    std::error_code ec;
    // Stepping with an error code: a folder that changes under us must not throw.
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        const pid_t pid = WindowPid(name, className);
        if (pid <= 0) continue;
        std::error_code typeError;
        if (!entry.is_socket(typeError)) continue;
        const std::string path = entry.path().string();
        // A socket left by a process that died, or whose name a new process
        // inherited by pid reuse, is removed so nobody waits on it again.
        if ((::kill(pid, 0) != 0 && errno == ESRCH) || !SocketHasListener(path)) {
            ::unlink(path.c_str());
            continue;
        }
        std::error_code timeError;
        candidates.push_back({entry.last_write_time(timeError), path});
    }
    // The window that has been there longest comes first.
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return a.created != b.created ? a.created < b.created : a.path < b.path;
    });
    for (auto& candidate : candidates) found.push_back(std::move(candidate.path));
    return found;
}

std::optional<std::string> tMessageBus::FindWindow(std::string_view className) const {
    std::vector<std::string> windows = FindWindows(className);
    if (windows.empty()) return std::nullopt;
    return windows.front();
}

bool tMessageBus::PostMessage(std::string_view className, const tWindowMessage& message) const {
    const std::optional<std::string> window = FindWindow(className);
    if (!window) return false;
    tSocket sender;
    if (sender.Fd() < 0) return false;
    tWireMessage wire;
    wire.msg = message.msg;
    wire.wParam = message.wParam;
    wire.lParam = message.lParam;
    // A post never waits, not even for room in the window's queue.
    return SendDatagram(sender.Fd(), *window, &wire, sizeof wire, std::chrono::steady_clock::now());
}

std::optional<int64_t> tMessageBus::SendMessage(std::string_view className,
                                                const tWindowMessage& message,
                                                std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::optional<std::string> window = FindWindow(className);
    if (!window) return std::nullopt;

    tSocket reply;
    if (reply.Fd() < 0) return std::nullopt;
    std::string replyPath;
    for (int attempt = 0; attempt < 8 && replyPath.empty(); ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%d-%016llx", kReplyPrefix, static_cast<int>(getpid()),
                      static_cast<unsigned long long>(RandomNumber()));
        const std::string candidate = m_folder + "/" + name;
        sockaddr_un address{};
        if (!MakeAddress(candidate, address)) return std::nullopt;
        if (::bind(reply.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            replyPath = candidate;
        } else if (errno != EADDRINUSE) {
            return std::nullopt;
        }
    }
    if (replyPath.empty()) return std::nullopt;
    reply.RemoveOnClose(replyPath);

    tWireMessage wire;
    wire.msg = message.msg;
    wire.wParam = message.wParam;
    wire.lParam = message.lParam;
    wire.sequence = RandomNumber();
    wire.wantsAnswer = 1;
    std::memcpy(wire.replyPath, replyPath.c_str(), replyPath.size() + 1);
    if (!SendDatagram(reply.Fd(), *window, &wire, sizeof wire, deadline)) return std::nullopt;

    while (WaitReadable(reply.Fd(), deadline)) {
        tWireAnswer answer;
        const ssize_t got = ::recv(reply.Fd(), &answer, sizeof answer, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (got < 0) return std::nullopt;
        // Anything else that lands here (a late answer of an earlier send
        // cannot, the name is new) is not the answer and is dropped.
        if (got == static_cast<ssize_t>(sizeof answer) && answer.magic == kAnswerMagic &&
            answer.sequence == wire.sequence) {
            return answer.result;
        }
    }
    return std::nullopt;
}

tWindowListener::tWindowListener(std::string className, tHandler handler, std::string runtimeFolder)
    : m_className(std::move(className)), m_handler(std::move(handler)) {
    const std::string folder = runtimeFolder.empty() ? RuntimeFolder() : std::move(runtimeFolder);
    if (folder.empty() || !IsValidClassName(m_className)) return;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    const std::string base = folder + "/" + m_className + "." + std::to_string(getpid());
    for (int index = 1; index <= kMaxWindowsPerProcess; ++index) {
        const std::string path = index == 1 ? base : base + "-" + std::to_string(index);
        sockaddr_un address{};
        if (!MakeAddress(path, address)) break;
        struct stat info {};
        // A socket of this name nobody listens on is a leftover of an earlier
        // process with the same pid.
        if (::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
            !SocketHasListener(path)) {
            ::unlink(path.c_str());
        }
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            m_path = path;
            m_fd = fd;
            return;
        }
        if (errno != EADDRINUSE) break;
    }
    ::close(fd);
}

tWindowListener::~tWindowListener() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_path.c_str());
}

int tWindowListener::ProcessPending() {
    if (m_fd < 0) return 0;
    int handled = 0;
    for (;;) {
        tWireMessage wire;
        const ssize_t got = ::recv(m_fd, &wire, sizeof wire, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        // Only whole records of this bus count; anything else is dropped.
        if (got != static_cast<ssize_t>(sizeof wire) || wire.magic != kMessageMagic) continue;
        ++handled;
        const int64_t result = m_handler ? m_handler({wire.msg, wire.wParam, wire.lParam}) : 0;
        if (wire.wantsAnswer == 0) continue;
        wire.replyPath[sizeof wire.replyPath - 1] = '\0';
        const std::string replyPath = wire.replyPath;
        // Answers go only to reply sockets beside our own, never to any path
        // a message names.
        const std::string folder = m_path.substr(0, m_path.rfind('/') + 1);
        if (replyPath.compare(0, folder.size(), folder) != 0 ||
            replyPath.compare(folder.size(), std::strlen(kReplyPrefix), kReplyPrefix) != 0 ||
            replyPath.find('/', folder.size()) != std::string::npos) {
            continue;
        }
        tWireAnswer answer;
        answer.sequence = wire.sequence;
        answer.result = result;
        // A sender that gave up has removed its socket; the answer is then lost.
        SendDatagram(m_fd, replyPath, &answer, sizeof answer, std::chrono::steady_clock::now());
    }
    return handled;
}

bool tWindowListener::WaitAndProcess(std::chrono::milliseconds timeout) {
    if (m_fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (WaitReadable(m_fd, deadline)) {
        if (ProcessPending() > 0) return true;
    }
    return false;
}

}  // namespace cx
