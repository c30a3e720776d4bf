#pragma once
// A monitor core over a temporary settings folder, a fake clock, a recording
// event log and a scripted reading pass.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "monitor/core/CoreContext.h"
#include "readings/TimeFunctions.h"
#include "support/TempDir.h"

namespace cx::test {

// 2026-03-10 15:00:00 as a TDateTime.
inline constexpr TDateTime kMarch10At15 = 46091.0 + 15.0 / 24;
inline constexpr double kSecond = 1.0 / 86400;

// A copy of a field of a packed row: assertions take their arguments by
// reference, which must not bind to the rows' unaligned fields.
template <typename tValue>
tValue Value(tValue value) {
    return value;
}

// A sample with plausible values in every slot and time `t`.
inline void FillSample(tSample& s, tSample2& s2, TDateTime t, int16_t base = 4000) {
    s = tSample{};
    s.time = t;
    for (int i = 0; i < 10; ++i) {
        s.T[i] = static_cast<int16_t>(base + i);
        s.V[i] = static_cast<int16_t>(1200 + i);
        s.F[i] = static_cast<int16_t>(2000 + i);
    }
    for (int i = 0; i < 4; ++i) s.CPU[i] = 1500;
    s.MemUsed = 1000;
    s.Clock = 2400000;
    s2 = tSample2{};
    s2.time = t;
    s2.ActiveSeconds = 7;
}

class tCoreFixture : public ::testing::Test {
protected:
    tCoreFixture() {
        clock.local = kMarch10At15;
        // The reading pass of the tests: a fresh, stamped copy of `next`.
        context.readValues = [this](bool force) {
            ++passes;
            lastForce = force;
            const TDateTime now = NowUTC(clock);
            FillSample(rs.sample, rs.sample2, now, nextBase);
        };
    }

    // Lines of the event log without their "[date time] " prefix and line end.
    std::vector<std::string> Events() const {
        std::vector<std::string> lines;
        std::ifstream in(dir / "CXEvents.txt");
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t end = line.find("] ");
            lines.push_back(end == std::string::npos ? line : line.substr(end + 2));
        }
        return lines;
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : Events()) {
            if (line == text) return true;
        }
        return false;
    }
    void ClearEvents() const { std::ofstream(dir / "CXEvents.txt", std::ios::trunc); }

    tTempDir dir;
    bool debug = true;
    tFakeClock clock;
    tEventLog events{dir / "CXEvents.txt", debug, clock, tLocaleFormats{}};
    tHistories histories;
    tReadingSet rs;
    tSettings settings;
    tCoreContext context{histories, rs, settings, events, clock, dir.Path(), {}, tLocaleFormats{}};
    int passes = 0;
    bool lastForce = false;
    int16_t nextBase = 4000;
};

}  // namespace cx::test
