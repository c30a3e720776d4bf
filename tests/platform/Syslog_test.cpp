#include "platform/Syslog.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/ChildProcess.h"

namespace cx {
namespace {

// In a child with its own mount namespace, a fresh /dev holds a log socket
// of our own, so the entry is seen without touching the machine's log.
TEST(Syslog, WarningCarriesIdentLevelAndEventId) {
    test::tChildResult result = test::RunInChild([] {
        if (::unshare(CLONE_NEWNS) != 0) return std::string("skip: no mount namespace");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", "/dev", "tmpfs", 0, nullptr) != 0) {
            return std::string("skip: cannot mount");
        }
        int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "/dev/log");
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return std::string("skip: cannot bind /dev/log");
        }
        timeval wait{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ReportSyslogWarning(7, "Alert: 100% of T1");
        char buffer[1024] = {};
        ssize_t got = ::recv(fd, buffer, sizeof buffer - 1, 0);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string("none");
    });
    if (result.output.rfind("skip: ", 0) == 0) GTEST_SKIP() << result.output;
    // Priority 12 is the user facility at warning level.
    EXPECT_EQ(result.output.rfind("<12>", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("Calorix["), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Event 7: Alert: 100% of T1"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace cx
