#include "settings/EventLog.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace cx {
namespace {

TDateTime Date(int y, unsigned m, unsigned d, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days day = year_month_day{year(y), month(m), std::chrono::day(d)};
    return day.time_since_epoch().count() + kUnixEpochDays +
           (hour * 3600 + minute * 60 + second) / 86400.0;
}

class EventLog : public ::testing::Test {
protected:
    EventLog() {
        clock.local = Date(2024, 3, 5, 14, 7, 9);
        locale.shortDateFormat = "dd.mm.yyyy";
        locale.longTimeFormat = "hh:nn:ss";
    }

    test::tTempDir dir;
    bool debug = true;
    tFakeClock clock;
    tLocaleFormats locale;
};

TEST_F(EventLog, NothingIsWrittenWhileTheDebugFlagIsOff) {
    debug = false;
    const tEventLog log(dir / "CXEvents.txt", debug, clock, locale);
    log.WriteEvent("rv15 boom");
    EXPECT_FALSE(std::filesystem::exists(dir / "CXEvents.txt"));

    // The flag is read at every call: switching it on takes effect at once.
    debug = true;
    log.WriteEvent("rv15 boom");
    EXPECT_TRUE(std::filesystem::exists(dir / "CXEvents.txt"));
}

TEST_F(EventLog, LinesCarryTheLocalDateAndTimeInTheUserFormat) {
    const tEventLog log(dir / "CXEvents.txt", debug, clock, locale);
    log.WriteEvent("rv15 No performance object");
    clock.Advance(61);
    log.WriteEvent("Found BOINC in /var/lib/boinc-client/");
    EXPECT_EQ(dir.Read("CXEvents.txt"),
              "[05.03.2024 14:07:09] rv15 No performance object\r\n"
              "[05.03.2024 14:08:10] Found BOINC in /var/lib/boinc-client/\r\n");
}

TEST_F(EventLog, ControlCharactersBecomeBlanksSoAnEventStaysOneLine) {
    const tEventLog log(dir / "CXEvents.txt", debug, clock, locale);
    log.WriteEvent(
        "line one\r\nline two\ttab\x01\x1f\x7f end \xc2\xb0"
        "C");
    EXPECT_EQ(dir.Read("CXEvents.txt"),
              "[05.03.2024 14:07:09] line one  line two tab    end \xc2\xb0"
              "C\r\n");
}

TEST_F(EventLog, FailuresAreSwallowed) {
    const tEventLog log(dir / "no-such-folder" / "CXEvents.txt", debug, clock, locale);
    EXPECT_NO_THROW(log.WriteEvent("lost"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}

// Several processes and threads append to the one log at the same time: every
// line arrives whole and none is lost.
TEST_F(EventLog, ConcurrentWritersNeitherLoseNorTearLines) {
    constexpr int kProcesses = 2;
    constexpr int kThreadsPerWriter = 3;
    constexpr int kLinesPerThread = 2000;
    const std::filesystem::path file = dir / "CXEvents.txt";
    // A long payload makes a torn or interleaved write visible.
    const std::string payload(300, 'x');

    auto writeLines = [&](const std::string& writer) {
        const tEventLog log(file, debug, clock, locale);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreadsPerWriter; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < kLinesPerThread; ++i) {
                    log.WriteEvent(writer + "-" + std::to_string(t) + "-" + std::to_string(i) +
                                   " " + payload);
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    };

    // Fork before this process starts any thread of its own.
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            writeLines("child" + std::to_string(p));
            _exit(0);
        }
        children.push_back(pid);
    }
    writeLines("parent");
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::string prefix = "[05.03.2024 14:07:09] ";
    std::istringstream in(dir.Read("CXEvents.txt"));
    std::map<std::string, int> seen;
    std::string line;
    int malformed = 0;
    while (std::getline(in, line)) {
        const size_t blank = line.find(' ', prefix.size());
        if (line.rfind(prefix, 0) != 0 || blank == std::string::npos ||
            line.substr(blank + 1) != payload + "\r") {
            ++malformed;
            continue;
        }
        ++seen[line.substr(prefix.size(), blank - prefix.size())];
    }
    EXPECT_EQ(malformed, 0);
    EXPECT_EQ(seen.size(),
              static_cast<size_t>((kProcesses + 1) * kThreadsPerWriter * kLinesPerThread));
    for (const auto& [id, count] : seen) {
        if (count != 1) ADD_FAILURE() << id << " written " << count << " times";
    }
}

}  // namespace
}  // namespace cx
