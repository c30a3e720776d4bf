#pragma once
// What a test of the /proc and /sys readers needs: a reading set, settings, an
// event log in a temporary folder that the test can read back, a fake clock,
// and a context over a root folder.
#include <string>

#include "platform/Clock.h"
#include "readings/ReadingContext.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

namespace cx::test {

struct tSystemReaderHarness {
    tTempDir logDir;
    bool debug = true;
    tFakeClock clock;
    tEventLog events{logDir / "CXEvents.txt", debug, clock};
    tReadingSet rs;
    tSettings settings;
    tReadingContext context{rs, settings, events, clock, "/"};

    explicit tSystemReaderHarness(std::string root = "/") { context.root = std::move(root); }

    std::string EventText() const { return logDir.Read("CXEvents.txt"); }
};

// The fixture trees of these tests.
inline std::string SysFixture(const std::string& name) {
    return std::string(CALORIX_FIXTURES) + "/sysfs/" + name;
}

}  // namespace cx::test
