#include "readings/TimeFunctions.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace cx {

namespace {

using namespace std::chrono;

constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;

sys_days ToSysDays(TDateTime t) {
    return sys_days(days(static_cast<int64_t>(std::floor(t - kUnixEpochDays))));
}

TDateTime FromSysDays(sys_days d) {
    return static_cast<TDateTime>(d.time_since_epoch().count()) + kUnixEpochDays;
}

// A rule the transition arithmetic can evaluate: a real month, weekday and
// week. Anything else is treated as "no rule" rather than as a wrong date.
bool IsValidRule(const tZoneDate& rule) {
    return rule.month >= 1 && rule.month <= 12 && rule.dayOfWeek <= 6 && rule.week >= 1 &&
           rule.week <= 5;
}

bool HasDaylightRule(const tTimeZoneRules& rules) {
    return rules.daylightDate.month != 0 && IsValidRule(rules.daylightDate) &&
           IsValidRule(rules.standardDate);
}

}  // namespace

TDateTime NowUTC(const IClock& clock) {
    const tTimeZoneRules rules = clock.ZoneRules();
    int32_t bias = rules.bias;
    switch (clock.ZoneState()) {
        case tZoneState::Standard:
            bias += rules.standardBias;
            break;
        case tZoneState::Daylight:
            bias += rules.daylightBias;
            break;
        case tZoneState::Unknown:
            break;
    }
    return clock.LocalNow() + bias / kMinutesPerDay;
}

TDateTime ZoneTransition(int year, const tZoneDate& rule) {
    const year_month_day first{std::chrono::year(year), month(rule.month), day(1)};
    const unsigned firstWeekday = weekday(sys_days(first)).c_encoding();
    const unsigned toWeekday = (rule.dayOfWeek + 7u - firstWeekday) % 7u;
    const unsigned week = std::clamp<unsigned>(rule.week, 1, 5);
    unsigned dayOfMonth = 1 + toWeekday + (week - 1) * 7;
    // Week 5 means the last such weekday: step back a week until the date exists.
    const unsigned lastDay = static_cast<unsigned>(
        year_month_day_last(first.year(), month_day_last(first.month())).day());
    while (dayOfMonth > lastDay) dayOfMonth -= 7;
    const sys_days date = sys_days(first) + days(dayOfMonth - 1);
    const double seconds =
        rule.hour * 3600.0 + rule.minute * 60.0 + rule.second + rule.millisecond / 1000.0;
    return FromSysDays(date) + seconds / kSecondsPerDay;
}

bool IsDaylightTime(TDateTime t, const tTimeZoneRules& rules) {
    if (!HasDaylightRule(rules)) return false;
    const int year = static_cast<int>(year_month_day(ToSysDays(t)).year());
    const TDateTime daylightStart = ZoneTransition(year, rules.daylightDate);
    const TDateTime standardStart = ZoneTransition(year, rules.standardDate);
    if (daylightStart < standardStart) return t >= daylightStart && t < standardStart;
    // A southern zone: daylight time spans the turn of the year, from its start
    // late in the year to the standard start early in the next one.
    return t < standardStart || t >= daylightStart;
}

int32_t LocalOffsetMinutes(TDateTime t, const tTimeZoneRules& rules) {
    if (!HasDaylightRule(rules)) return -rules.bias;
    return IsDaylightTime(t, rules) ? -(rules.bias + rules.daylightBias)
                                    : -(rules.bias + rules.standardBias);
}

TDateTime UTCToLocal(TDateTime t, const tTimeZoneRules& rules) {
    return t + LocalOffsetMinutes(t, rules) / kMinutesPerDay;
}

TDateTime LocalToUTC(TDateTime t, const tTimeZoneRules& rules) {
    return t - LocalOffsetMinutes(t, rules) / kMinutesPerDay;
}

TDateTime UTCToDisplay(TDateTime t, const tTimeZoneRules& rules, bool timeInUTC) {
    return timeInUTC ? t : UTCToLocal(t, rules);
}

}  // namespace cx
