#include "platform/MessageBus.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <thread>

#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int CountEntries(const fs::path& dir) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++count;
    return count;
}

// Binds a socket file and closes it without removing it, as a process that
// was killed leaves it behind.
void LeaveDeadSocket(const fs::path& path) {
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(MessageBus, PostArrivesWithItsParameters) {
    test::tTempDir dir;
    std::vector<tWindowMessage> received;
    tWindowListener listener(
        "TfrmCalorixMain",
        [&](const tWindowMessage& m) {
            received.push_back(m);
            return 0;
        },
        dir.Path().string());
    ASSERT_TRUE(listener.IsListening());
    tMessageBus bus(dir.Path().string());
    EXPECT_EQ(bus.FindWindow("TfrmCalorixMain"),
              (dir / ("TfrmCalorixMain." + std::to_string(getpid()))).string());
    EXPECT_TRUE(bus.FindWindow("tfrmcalorixmain").has_value()) << "class names ignore case";
    EXPECT_TRUE(bus.PostMessage("TfrmCalorixMain", {WM_OPTIONSCHANGED, 7, -3}));
    EXPECT_TRUE(bus.PostMessage("TfrmCalorixMain", {WM_SHOWINSTANCE, 0, 0}));
    EXPECT_EQ(listener.ProcessPending(), 2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].msg, WM_OPTIONSCHANGED);
    EXPECT_EQ(received[0].wParam, 7u);
    EXPECT_EQ(received[0].lParam, -3);
    EXPECT_EQ(received[1].msg, WM_SHOWINSTANCE);
    EXPECT_EQ(listener.ProcessPending(), 0);
}

TEST(MessageBus, NoWindowMeansNoDelivery) {
    test::tTempDir dir;
    tMessageBus bus(dir.Path().string());
    EXPECT_FALSE(bus.FindWindow("TfrmOptions").has_value());
    EXPECT_FALSE(bus.PostMessage("TfrmOptions", {WM_CLOSE, 0, 0}));
    EXPECT_FALSE(bus.SendMessage("TfrmOptions", {WM_CLOSE, 0, 0}, 100ms).has_value());
    for (const char* bad : {"", "../x", ".reply-1"}) {
        tWindowListener listener(bad, nullptr, dir.Path().string());
        EXPECT_FALSE(listener.IsListening()) << bad;
        EXPECT_FALSE(bus.FindWindow(bad).has_value()) << bad;
    }
}

TEST(MessageBus, SendGetsTheAnswerOfAWindowInAnotherProcess) {
    test::tTempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        bool closed = false;
        {
            tWindowListener listener(
                "TfrmSysInfo",
                [&](const tWindowMessage& m) -> int64_t {
                    if (m.msg == WM_CLOSE) closed = true;
                    return m.msg == WM_QUERYENDSESSION ? m.lParam + 1 : 0;
                },
                dir.Path().string());
            char byte = listener.IsListening() ? 'y' : 'n';
            if (::write(ready[1], &byte, 1) != 1) ::_exit(3);
            for (int i = 0; i < 400 && !closed; ++i) listener.WaitAndProcess(50ms);
        }
        ::_exit(closed ? 0 : 2);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(byte, 'y');

    tMessageBus bus(dir.Path().string());
    EXPECT_EQ(bus.SendMessage("TfrmSysInfo", {WM_QUERYENDSESSION, 0, 41}, 10s), 42);
    EXPECT_TRUE(bus.PostMessage("TfrmSysInfo", {WM_CLOSE, 0, 0}));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the window got no WM_CLOSE";
    // The window's socket went with it, and no reply socket stayed behind.
    EXPECT_EQ(CountEntries(dir.Path()), 0);
}

TEST(MessageBus, SendToAWindowInAnotherThread) {
    test::tTempDir dir;
    std::atomic<bool> stop{false};
    std::atomic<bool> listening{false};
    std::thread window([&] {
        tWindowListener listener(
            "TfrmOptions",
            [](const tWindowMessage& m) { return static_cast<int64_t>(m.wParam) * 2; },
            dir.Path().string());
        listening = listener.IsListening();
        while (!stop) listener.WaitAndProcess(20ms);
    });
    tMessageBus bus(dir.Path().string());
    for (int i = 0; i < 500 && !bus.FindWindow("TfrmOptions"); ++i)
        std::this_thread::sleep_for(10ms);
    std::optional<int64_t> answer = bus.SendMessage("TfrmOptions", {WM_USER, 21, 0}, 10s);
    stop = true;
    window.join();
    EXPECT_TRUE(listening);
    EXPECT_EQ(answer, 42);
}

TEST(MessageBus, SendToAWindowThatNeverAnswersTimesOut) {
    test::tTempDir dir;
    int calls = 0;
    tWindowListener listener(
        "TfrmCalorixMain",
        [&](const tWindowMessage&) {
            ++calls;
            return 1;
        },
        dir.Path().string());
    tMessageBus bus(dir.Path().string());
    EXPECT_FALSE(bus.SendMessage("TfrmCalorixMain", {WM_CLOSE, 0, 0}, 100ms).has_value());
    EXPECT_EQ(CountEntries(dir.Path()), 1) << "the reply socket must be removed";
    // The late answer to a sender that gave up is lost without harm.
    EXPECT_EQ(listener.ProcessPending(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(CountEntries(dir.Path()), 1);
}

TEST(MessageBus, SocketsOfDeadProcessesAreRemoved) {
    test::tTempDir dir;
    // A window whose process ended without cleaning up.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        tWindowListener* leaked =
            new tWindowListener("TfrmCalorixMain", nullptr, dir.Path().string());
        ::_exit(leaked->IsListening() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const fs::path deadByPid = dir / ("TfrmCalorixMain." + std::to_string(child));
    ASSERT_TRUE(fs::exists(deadByPid));
    // A socket named after a live process (ours) that nobody is bound to.
    const fs::path deadBySocket = dir / ("TfrmCalorixMain." + std::to_string(getpid()) + "-5");
    LeaveDeadSocket(deadBySocket);
    // Files of other kinds are never touched.
    dir.Write("TfrmCalorixMain.1", "not a socket");

    tMessageBus bus(dir.Path().string());
    EXPECT_FALSE(bus.FindWindow("TfrmCalorixMain").has_value());
    EXPECT_FALSE(fs::exists(deadByPid));
    EXPECT_FALSE(fs::exists(deadBySocket));
    EXPECT_TRUE(fs::exists(dir / "TfrmCalorixMain.1"));

    // A new window whose name a dead one left behind takes the name over.
    LeaveDeadSocket(dir / ("TfrmOptions." + std::to_string(getpid())));
    tWindowListener listener("TfrmOptions", nullptr, dir.Path().string());
    EXPECT_TRUE(listener.IsListening());
    EXPECT_EQ(bus.FindWindow("TfrmOptions"),
              (dir / ("TfrmOptions." + std::to_string(getpid()))).string());
}

TEST(MessageBus, TwoWindowsOfOneClassAreBothFound) {
    test::tTempDir dir;
    tMessageBus bus(dir.Path().string());
    auto first = std::make_unique<tWindowListener>("TfrmOptions", nullptr, dir.Path().string());
    tWindowListener second("TfrmOptions", nullptr, dir.Path().string());
    tWindowListener other("TfrmSysInfo", nullptr, dir.Path().string());
    ASSERT_TRUE(first->IsListening());
    ASSERT_TRUE(second.IsListening());
    EXPECT_EQ(bus.FindWindows("TfrmOptions").size(), 2u);
    first.reset();
    EXPECT_EQ(bus.FindWindows("TfrmOptions").size(), 1u);
    EXPECT_EQ(bus.FindWindows("TfrmSysInfo").size(), 1u);
}

TEST(MessageBus, ForeignDatagramsAreDropped) {
    test::tTempDir dir;
    int calls = 0;
    tWindowListener listener(
        "TfrmCalorixMain",
        [&](const tWindowMessage&) {
            ++calls;
            return 0;
        },
        dir.Path().string());
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s",
                  (dir / ("TfrmCalorixMain." + std::to_string(getpid()))).c_str());
    const char junk[] = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_GT(
        ::sendto(fd, junk, sizeof junk, 0, reinterpret_cast<sockaddr*>(&address), sizeof address),
        0);
    ::close(fd);
    EXPECT_EQ(listener.ProcessPending(), 0);
    EXPECT_EQ(calls, 0);
    tMessageBus bus(dir.Path().string());
    EXPECT_TRUE(bus.PostMessage("TfrmCalorixMain", {WM_CLOSE, 0, 0}));
    EXPECT_EQ(listener.ProcessPending(), 1);
}

}  // namespace
}  // namespace cx
