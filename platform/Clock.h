#pragma once
// The clock and the time-zone rules every time conversion of the system uses.
// Sample times are TDateTime values: days since 1899-12-30 as a double.
#include <cstdint>

namespace cx {

using TDateTime = double;

// Days between 1899-12-30 and the Unix epoch.
inline constexpr TDateTime kUnixEpochDays = 25569.0;

// One transition date of a zone rule, in the form "the n-th weekday of a month":
// week 1..4 is the n-th such weekday, 5 the last; dayOfWeek 0 = Sunday.
// month 0 means "no rule".
struct tZoneDate {
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t week = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t millisecond = 0;
};

// The zone record the time functions work on. Biases are minutes to add to
// local time to get UTC (UTC = local + bias): Central Europe has bias -60,
// daylightBias -60, standardBias 0.
struct tTimeZoneRules {
    int32_t bias = 0;
    int32_t standardBias = 0;
    int32_t daylightBias = 0;
    tZoneDate standardDate;  // when standard time begins (local time)
    tZoneDate daylightDate;  // when daylight time begins (local time)
};

// Which part of the rule the system says is in force right now.
enum class tZoneState { Unknown, Standard, Daylight };

// Source of "now". The real one reads the system; tests inject a fake.
class IClock {
public:
    virtual ~IClock() = default;
    // The local wall-clock time now.
    virtual TDateTime LocalNow() const = 0;
    // The rules of the zone in force, as a rule record (see SystemTimeZoneRules).
    virtual tTimeZoneRules ZoneRules() const = 0;
    // Whether standard or daylight time is in force now.
    virtual tZoneState ZoneState() const = 0;
    // A monotonic millisecond counter (never jumps with clock changes).
    virtual uint64_t MonotonicMilliseconds() const = 0;
};

// The process-wide real clock over the system zone (TZ, /etc/localtime).
const IClock& SystemClock();

// The system zone turned into the rule record: the standard and daylight
// offsets and the transitions of `year`, expressed as n-th weekday rules.
// A zone without daylight saving in that year yields month 0 in both dates.
tTimeZoneRules SystemTimeZoneRules(int year);

// A clock whose time and zone a test sets; its time only moves when told to.
class tFakeClock : public IClock {
public:
    TDateTime local = 0;
    tTimeZoneRules rules;
    tZoneState state = tZoneState::Unknown;
    uint64_t monotonicMs = 0;

    TDateTime LocalNow() const override { return local; }
    tTimeZoneRules ZoneRules() const override { return rules; }
    tZoneState ZoneState() const override { return state; }
    uint64_t MonotonicMilliseconds() const override { return monotonicMs; }
    // Moves both the wall clock and the monotonic counter forward.
    void Advance(double seconds) {
        local += seconds / 86400.0;
        monotonicMs += static_cast<uint64_t>(seconds * 1000.0);
    }
};

}  // namespace cx
