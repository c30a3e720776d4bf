#include "platform/Idle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/EnvGuard.h"

extern char** environ;

namespace cx {
namespace {

TEST(Idle, UnknownWithoutADisplay) {
    test::tEnvGuard display("DISPLAY", nullptr);
    EXPECT_EQ(IdleMilliseconds(), -1);
    test::tEnvGuard empty("DISPLAY", "");
    EXPECT_EQ(IdleMilliseconds(), -1);
}

TEST(Idle, UnknownWhenTheDisplayCannotBeOpened) {
    // Display numbers this high are never served.
    test::tEnvGuard display("DISPLAY", ":59999");
    EXPECT_EQ(IdleMilliseconds(), -1);
}

// A virtual X server for one test: it picks a free display number itself and
// tells it through a pipe once it accepts connections.
class tVirtualDisplay {
public:
    tVirtualDisplay() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"),
                        const_cast<char*>("3"),    const_cast<char*>("-nolisten"),
                        const_cast<char*>("tcp"),  nullptr};
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (m_pid > 0) {
            std::string number;
            pollfd entry{fds[0], POLLIN, 0};
            char c;
            while (::poll(&entry, 1, 30000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
                number += c;
            }
            if (!number.empty()) m_display = ":" + number;
        }
        ::close(fds[0]);
    }
    ~tVirtualDisplay() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    tVirtualDisplay(const tVirtualDisplay&) = delete;
    tVirtualDisplay& operator=(const tVirtualDisplay&) = delete;
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

bool XvfbInstalled() {
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

TEST(Idle, MeasuredOnARealDisplay) {
    if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    tVirtualDisplay server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    test::tEnvGuard display("DISPLAY", server.Display());
    EXPECT_GE(IdleMilliseconds(), 0);
}

}  // namespace
}  // namespace cx
