#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace cx {
namespace {

// Sets TZ for one test and restores the previous value afterwards.
class tZoneGuard {
public:
    explicit tZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~tZoneGuard() {
        if (m_old) {
            setenv("TZ", m_old->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    tZoneGuard(const tZoneGuard&) = delete;
    tZoneGuard& operator=(const tZoneGuard&) = delete;

private:
    std::optional<std::string> m_old;
};

struct tZoneCase {
    const char* zone;
    int year;
    int32_t bias;
    int32_t daylightBias;
    tZoneDate daylightDate;
    tZoneDate standardDate;
};

void ExpectDate(const tZoneDate& actual, const tZoneDate& expected, const std::string& what) {
    EXPECT_EQ(actual.month, expected.month) << what;
    if (expected.month == 0) return;
    EXPECT_EQ(actual.dayOfWeek, expected.dayOfWeek) << what;
    EXPECT_EQ(actual.week, expected.week) << what;
    EXPECT_EQ(actual.hour, expected.hour) << what;
    EXPECT_EQ(actual.minute, expected.minute) << what;
    EXPECT_EQ(actual.second, 0) << what;
}

TEST(Clock, SystemTimeZoneRulesDescribeTheYearsTransitions) {
    const tZoneCase cases[] = {
        // Last Sunday of March 02:00 standard, last Sunday of October 03:00 daylight.
        {"Europe/Berlin", 2026, -60, -60, {3, 0, 5, 2, 0}, {10, 0, 5, 3, 0}},
        // 2024 has its last March Sunday on the 31st, still week 5.
        {"Europe/Berlin", 2024, -60, -60, {3, 0, 5, 2, 0}, {10, 0, 5, 3, 0}},
        // Second Sunday of March, first Sunday of November, both at 02:00.
        {"America/New_York", 2026, 300, -60, {3, 0, 2, 2, 0}, {11, 0, 1, 2, 0}},
        // Southern hemisphere: daylight begins in October and ends in April.
        {"Australia/Sydney", 2026, -600, -60, {10, 0, 1, 2, 0}, {4, 0, 1, 3, 0}},
        {"Asia/Tokyo", 2026, -540, 0, {}, {}},
        {"UTC", 2026, 0, 0, {}, {}},
    };
    for (const auto& c : cases) {
        tZoneGuard zone(c.zone);
        const std::string what = std::string(c.zone) + " " + std::to_string(c.year);
        const tTimeZoneRules rules = SystemTimeZoneRules(c.year);
        EXPECT_EQ(rules.bias, c.bias) << what;
        EXPECT_EQ(rules.standardBias, 0) << what;
        EXPECT_EQ(rules.daylightBias, c.daylightBias) << what;
        ExpectDate(rules.daylightDate, c.daylightDate, what + " daylight");
        ExpectDate(rules.standardDate, c.standardDate, what + " standard");
    }
}

TEST(Clock, ZoneWhoseDaylightSavingEndedHasNoRuleAfterwards) {
    // Moscow kept daylight saving until 2010 and none since 2011.
    tZoneGuard zone("Europe/Moscow");
    EXPECT_EQ(SystemTimeZoneRules(2010).daylightDate.month, 3);
    const tTimeZoneRules rules = SystemTimeZoneRules(2020);
    EXPECT_EQ(rules.daylightDate.month, 0);
    EXPECT_EQ(rules.standardDate.month, 0);
    EXPECT_EQ(rules.bias, -180);
}

TEST(Clock, SystemClockFollowsTheZone) {
    tZoneGuard zone("Asia/Tokyo");
    const IClock& clock = SystemClock();
    const double expected =
        kUnixEpochDays + (static_cast<double>(time(nullptr)) + 9 * 3600) / 86400;
    // A generous tolerance: this checks the offset, not the speed.
    EXPECT_NEAR(clock.LocalNow(), expected, 60.0 / 86400);
    EXPECT_EQ(clock.ZoneState(), tZoneState::Standard);
    EXPECT_EQ(clock.ZoneRules().bias, -540);
    // The year's rules are kept between calls, yet a change of zone is seen
    // on the next call, and so is the way back.
    {
        tZoneGuard other("America/New_York");
        EXPECT_EQ(clock.ZoneRules().bias, 300);
        EXPECT_EQ(clock.ZoneRules().daylightBias, -60);
    }
    EXPECT_EQ(clock.ZoneRules().bias, -540);
    EXPECT_EQ(clock.ZoneRules().daylightBias, 0);

    const uint64_t first = clock.MonotonicMilliseconds();
    EXPECT_GE(clock.MonotonicMilliseconds(), first);
}

TEST(Clock, LocalNowCarriesMilliseconds) {
    tZoneGuard zone("UTC");
    const IClock& clock = SystemClock();
    // Some of a handful of readings fall off a whole second.
    bool fraction = false;
    for (int i = 0; i < 50 && !fraction; ++i) {
        double seconds = clock.LocalNow() * 86400.0;
        fraction = std::fabs(seconds - std::round(seconds)) > 0.0005;
        struct timespec pause {
            0, 3000000
        };
        nanosleep(&pause, nullptr);
    }
    EXPECT_TRUE(fraction);
}

}  // namespace
}  // namespace cx
