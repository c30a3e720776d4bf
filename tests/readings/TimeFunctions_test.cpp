#include "readings/TimeFunctions.h"

#include <gtest/gtest.h>

#include <chrono>

namespace cx {
namespace {

constexpr double kMinute = 1.0 / 1440.0;
// Well below a second: the conversions add whole minutes to a double.
constexpr double kTolerance = 1e-7;

TDateTime Date(int y, unsigned m, unsigned d, int hour = 0, int minute = 0) {
    using namespace std::chrono;
    const sys_days day = year_month_day{year(y), month(m), std::chrono::day(d)};
    return day.time_since_epoch().count() + kUnixEpochDays + (hour * 60 + minute) * kMinute;
}

// Central Europe: daylight from the last Sunday of March 02:00, standard from
// the last Sunday of October 03:00.
tTimeZoneRules CentralEurope() {
    tTimeZoneRules rules;
    rules.bias = -60;
    rules.standardBias = 0;
    rules.daylightBias = -60;
    rules.daylightDate = {3, 0, 5, 2, 0, 0, 0};
    rules.standardDate = {10, 0, 5, 3, 0, 0, 0};
    return rules;
}

// Eastern Australia: daylight from the first Sunday of October 02:00,
// standard from the first Sunday of April 03:00.
tTimeZoneRules EasternAustralia() {
    tTimeZoneRules rules;
    rules.bias = -600;
    rules.standardBias = 0;
    rules.daylightBias = -60;
    rules.daylightDate = {10, 0, 1, 2, 0, 0, 0};
    rules.standardDate = {4, 0, 1, 3, 0, 0, 0};
    return rules;
}

TEST(TimeFunctions, NowUTCAddsTheBiasOfTheStateTheSystemReports) {
    tFakeClock clock;
    clock.local = Date(2024, 7, 1, 12, 0);
    clock.rules = CentralEurope();
    const struct {
        tZoneState state;
        int minutes;
    } cases[] = {
        {tZoneState::Daylight, -120}, {tZoneState::Standard, -60}, {tZoneState::Unknown, -60}};
    for (const auto& c : cases) {
        clock.state = c.state;
        EXPECT_NEAR(NowUTC(clock), clock.local + c.minutes * kMinute, kTolerance)
            << static_cast<int>(c.state);
    }
}

TEST(TimeFunctions, ZoneWithoutDaylightRuleUsesTheBaseBiasAllYear) {
    tTimeZoneRules india;
    india.bias = -330;
    india.standardBias = 0;
    india.daylightBias = -60;  // ignored: there is no daylight rule
    for (unsigned month : {1u, 4u, 7u, 10u, 12u}) {
        const TDateTime t = Date(2024, month, 15, 8, 0);
        EXPECT_NEAR(UTCToLocal(t, india), t + 330 * kMinute, kTolerance) << month;
        EXPECT_NEAR(LocalToUTC(t, india), t - 330 * kMinute, kTolerance) << month;
    }
}

TEST(TimeFunctions, NorthernZoneIsInDaylightOnlyBetweenTheTwoTransitions) {
    const tTimeZoneRules rules = CentralEurope();
    // 2024: daylight from 31 March 02:00, standard from 27 October 03:00.
    const struct {
        TDateTime t;
        int offsetMinutes;
    } cases[] = {
        {Date(2024, 1, 10, 12, 0), 60},   {Date(2024, 3, 31, 1, 59), 60},
        {Date(2024, 3, 31, 2, 0), 120},   {Date(2024, 7, 1, 12, 0), 120},
        {Date(2024, 10, 27, 2, 59), 120}, {Date(2024, 10, 27, 3, 0), 60},
        {Date(2024, 12, 31, 23, 0), 60},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(UTCToLocal(c.t, rules), c.t + c.offsetMinutes * kMinute, kTolerance) << c.t;
        EXPECT_NEAR(LocalToUTC(c.t, rules), c.t - c.offsetMinutes * kMinute, kTolerance) << c.t;
    }
}

TEST(TimeFunctions, SouthernZoneIsInDaylightAcrossTheTurnOfTheYear) {
    const tTimeZoneRules rules = EasternAustralia();
    // 2024: standard from 7 April 03:00, daylight from 6 October 02:00.
    const struct {
        TDateTime t;
        bool daylight;
    } cases[] = {
        {Date(2024, 1, 15, 12, 0), true},  {Date(2024, 4, 7, 2, 59), true},
        {Date(2024, 4, 7, 3, 0), false},   {Date(2024, 7, 1, 12, 0), false},
        {Date(2024, 10, 6, 1, 59), false}, {Date(2024, 10, 6, 2, 0), true},
        {Date(2024, 12, 25, 12, 0), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDaylightTime(c.t, rules), c.daylight) << c.t;
        const int offset = c.daylight ? 660 : 600;
        EXPECT_NEAR(UTCToLocal(c.t, rules), c.t + offset * kMinute, kTolerance) << c.t;
    }
}

TEST(TimeFunctions, TransitionDatesFollowTheNthWeekdayRule) {
    const struct {
        int year;
        tZoneDate rule;
        TDateTime expected;
    } cases[] = {
        // February 2023 has four Sundays: week 5 steps back to the fourth.
        {2023, {2, 0, 5, 2, 0, 0, 0}, Date(2023, 2, 26, 2, 0)},
        // March 2024 has five Sundays: week 5 is the fifth.
        {2024, {3, 0, 5, 2, 0, 0, 0}, Date(2024, 3, 31, 2, 0)},
        // The first Sunday when the month starts on one.
        {2024, {9, 0, 1, 0, 0, 0, 0}, Date(2024, 9, 1)},
        // The second Tuesday of a month starting on a Wednesday.
        {2024, {5, 2, 2, 3, 30, 0, 0}, Date(2024, 5, 14, 3, 30)},
        // Week 5 in a 29-day February: Thursday the 29th exists in 2024.
        {2024, {2, 4, 5, 0, 0, 0, 0}, Date(2024, 2, 29)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(ZoneTransition(c.year, c.rule), c.expected, kTolerance) << c.expected;
    }
    // Seconds and milliseconds of the rule count as well.
    EXPECT_NEAR(ZoneTransition(2024, {9, 0, 1, 0, 0, 30, 500}), Date(2024, 9, 1) + 30.5 / 86400,
                kTolerance);
}

TEST(TimeFunctions, MalformedRuleCountsAsNoDaylightRule) {
    tTimeZoneRules rules = CentralEurope();
    rules.standardDate.month = 13;
    const TDateTime t = Date(2024, 7, 1, 12, 0);
    EXPECT_FALSE(IsDaylightTime(t, rules));
    EXPECT_NEAR(UTCToLocal(t, rules), t + 60 * kMinute, kTolerance);
}

TEST(TimeFunctions, DisplayIsLocalUnlessTimesAreShownInUTC) {
    const TDateTime t = Date(2024, 7, 1, 12, 0);
    EXPECT_DOUBLE_EQ(UTCToDisplay(t, CentralEurope(), true), t);
    EXPECT_NEAR(UTCToDisplay(t, CentralEurope(), false), t + 120 * kMinute, kTolerance);
}

}  // namespace
}  // namespace cx
