#pragma once
// Conversions between the UTC time stamps of the samples and the local time
// the user sees, over the zone rule record of the clock.
#include "platform/Clock.h"

namespace cx {

// UTC now: the local clock plus the bias in force (base bias plus the
// standard or daylight bias as the system reports, the base bias alone when
// it reports neither).
TDateTime NowUTC(const IClock& clock);

// The date and time at which one transition rule takes effect in `year`:
// the rule's n-th weekday of its month (week 5 = the last one) at its hour,
// minute, second and millisecond.
TDateTime ZoneTransition(int year, const tZoneDate& rule);

// True when `t` lies in daylight time by the rules' transitions of t's year.
// A zone without a daylight rule is always in standard time.
bool IsDaylightTime(TDateTime t, const tTimeZoneRules& rules);

// The offset in minutes that turns UTC into local time at `t`:
// -(bias + daylightBias) in daylight time, -(bias + standardBias) in standard
// time, -bias for a zone without a daylight rule.
int32_t LocalOffsetMinutes(TDateTime t, const tTimeZoneRules& rules);

TDateTime UTCToLocal(TDateTime t, const tTimeZoneRules& rules);
TDateTime LocalToUTC(TDateTime t, const tTimeZoneRules& rules);

// What the user sees for a sample time: `t` itself when times are shown in
// UTC, else local time.
TDateTime UTCToDisplay(TDateTime t, const tTimeZoneRules& rules, bool timeInUTC);

}  // namespace cx
