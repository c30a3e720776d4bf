// The real clock over the system zone, and the zone's rules of one year found
// by scanning the C library's local-time conversion for offset changes.
#include "platform/Clock.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

namespace cx {

namespace {

constexpr int kSecondsPerDay = 86400;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

struct tLocalInfo {
    long offsetSeconds = 0;  // local = UTC + offset
    bool daylight = false;
};

tLocalInfo LocalInfoAt(time_t when) {
    struct tm parts {};
    tLocalInfo info;
    if (localtime_r(&when, &parts) != nullptr) {
        info.offsetSeconds = parts.tm_gmtoff;
        info.daylight = parts.tm_isdst > 0;
    }
    return info;
}

bool SameRule(const tLocalInfo& a, const tLocalInfo& b) {
    return a.offsetSeconds == b.offsetSeconds && a.daylight == b.daylight;
}

// One change of the zone's offset or daylight flag, at instant `at` (the first
// second of the new rule).
struct tTransition {
    time_t at = 0;
    tLocalInfo before;
    tLocalInfo after;
};

// The rule record form of a transition: the wall-clock time just before the
// switch, as the clock on the wall showed it under the old offset.
tZoneDate ZoneDateOf(const tTransition& transition) {
    time_t wall = transition.at + transition.before.offsetSeconds;
    struct tm parts {};
    gmtime_r(&wall, &parts);
    tZoneDate date;
    const int year = parts.tm_year + 1900;
    const int month = parts.tm_mon + 1;
    date.month = static_cast<uint16_t>(month);
    date.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
    // A weekday in the month's last seven days is "the last" such weekday, so
    // the rule finds the same day in years whose month starts differently.
    date.week = parts.tm_mday + 7 > DaysInMonth(year, month)
                    ? 5
                    : static_cast<uint16_t>((parts.tm_mday - 1) / 7 + 1);
    date.hour = static_cast<uint16_t>(parts.tm_hour);
    date.minute = static_cast<uint16_t>(parts.tm_min);
    date.second = static_cast<uint16_t>(parts.tm_sec);
    date.millisecond = 0;
    return date;
}

time_t UtcMidnightOfJanuaryFirst(int year) {
    struct tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mday = 1;
    return timegm(&parts);
}

class tSystemClock : public IClock {
public:
    TDateTime LocalNow() const override {
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        const tLocalInfo info = LocalInfo(now.tv_sec);
        const double localSeconds = static_cast<double>(now.tv_sec + info.offsetSeconds) +
                                    static_cast<double>(now.tv_nsec / 1000000) / 1000.0;
        return kUnixEpochDays + localSeconds / kSecondsPerDay;
    }

    tTimeZoneRules ZoneRules() const override {
        time_t now = time(nullptr);
        struct tm parts {};
        tzset();
        localtime_r(&now, &parts);
        return CachedZoneRules(parts.tm_year + 1900);
    }

    tZoneState ZoneState() const override {
        time_t now = time(nullptr);
        struct tm parts {};
        tzset();
        if (localtime_r(&now, &parts) == nullptr || parts.tm_isdst < 0) return tZoneState::Unknown;
        return parts.tm_isdst > 0 ? tZoneState::Daylight : tZoneState::Standard;
    }

    uint64_t MonotonicMilliseconds() const override {
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<uint64_t>(now.tv_sec) * 1000u +
               static_cast<uint64_t>(now.tv_nsec / 1000000);
    }

private:
    // What identifies the zone the C library uses: finding a year's rules
    // scans the whole year (about 90 us), while the reading pass asks for
    // them every 20 s. The rules are found again when the year, the TZ
    // variable, the zone's names and offsets or the zone file change.
    struct tZoneKey {
        int year = 0;
        std::string tz, standardName, daylightName;
        long timezone = 0;
        int daylight = 0;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t modified = 0;
        long modifiedNanoseconds = 0;

        bool operator==(const tZoneKey&) const = default;
    };

    static tZoneKey CurrentZoneKey(int year) {
        tZoneKey key;
        key.year = year;
        if (const char* tz = std::getenv("TZ")) key.tz = tz;
        key.standardName = tzname[0] != nullptr ? tzname[0] : "";
        key.daylightName = tzname[1] != nullptr ? tzname[1] : "";
        key.timezone = ::timezone;
        key.daylight = ::daylight;
        struct stat info {};
        if (stat("/etc/localtime", &info) == 0) {
            key.device = info.st_dev;
            key.inode = info.st_ino;
            key.size = info.st_size;
            key.modified = info.st_mtim.tv_sec;
            key.modifiedNanoseconds = info.st_mtim.tv_nsec;
        }
        return key;
    }

    tTimeZoneRules CachedZoneRules(int year) const {
        tZoneKey key = CurrentZoneKey(year);
        {
            const std::lock_guard lock(m_cacheMutex);
            if (m_cached && m_cachedKey == key) return m_cachedRules;
        }
        const tTimeZoneRules rules = SystemTimeZoneRules(year);
        const std::lock_guard lock(m_cacheMutex);
        m_cachedKey = std::move(key);
        m_cachedRules = rules;
        m_cached = true;
        return rules;
    }

    mutable std::mutex m_cacheMutex;
    mutable bool m_cached = false;
    mutable tZoneKey m_cachedKey;
    mutable tTimeZoneRules m_cachedRules;

    static tLocalInfo LocalInfo(time_t when) {
        // localtime_r alone need not notice a changed TZ; tzset makes it.
        tzset();
        return LocalInfoAt(when);
    }
};

}  // namespace

const IClock& SystemClock() {
    // Its only state is the zone-rule cache behind a mutex, so one shared
    // instance is safe for every thread.
    static const tSystemClock clock;
    return clock;
}

tTimeZoneRules SystemTimeZoneRules(int year) {
    tzset();
    // Scan the local year in six-hour steps (no zone keeps a rule for less),
    // then narrow every change down to the second.
    constexpr time_t kStep = 6 * 3600;
    const time_t first = UtcMidnightOfJanuaryFirst(year) - 14 * 3600;
    const time_t last = UtcMidnightOfJanuaryFirst(year + 1) + 14 * 3600;

    std::optional<tTransition> daylightStart;
    std::optional<tTransition> standardStart;
    std::optional<long> standardOffset;
    std::optional<long> daylightOffset;

    tLocalInfo previous = LocalInfoAt(first);
    if (!previous.daylight) standardOffset = previous.offsetSeconds;
    for (time_t t = first; t < last; t += kStep) {
        const time_t next = t + kStep;
        const tLocalInfo current = LocalInfoAt(next);
        if (!SameRule(previous, current)) {
            time_t low = t;      // still the old rule
            time_t high = next;  // already the new rule
            while (high - low > 1) {
                time_t middle = low + (high - low) / 2;
                if (SameRule(LocalInfoAt(middle), previous)) {
                    low = middle;
                } else {
                    high = middle;
                }
            }
            tTransition transition{high, previous, current};
            // Only the changes that happen within this local year count.
            struct tm parts {};
            time_t wall = high + previous.offsetSeconds;
            gmtime_r(&wall, &parts);
            if (parts.tm_year + 1900 == year) {
                if (!previous.daylight && current.daylight && !daylightStart) {
                    daylightStart = transition;
                } else if (previous.daylight && !current.daylight && !standardStart) {
                    standardStart = transition;
                }
            }
        }
        if (!current.daylight) standardOffset = current.offsetSeconds;
        if (current.daylight && !daylightOffset) daylightOffset = current.offsetSeconds;
        previous = current;
    }

    tTimeZoneRules rules;
    // A zone that is in daylight time all year still has a standard offset
    // only through its daylight offset; take that as the base then.
    const long base = standardOffset.value_or(daylightOffset.value_or(0));
    rules.bias = static_cast<int32_t>(-base / 60);
    rules.standardBias = 0;
    if (daylightStart && standardStart) {
        const long daylight = daylightStart->after.offsetSeconds;
        const long standard = standardStart->after.offsetSeconds;
        rules.bias = static_cast<int32_t>(-standard / 60);
        rules.daylightBias = static_cast<int32_t>(-(daylight - standard) / 60);
        rules.daylightDate = ZoneDateOf(*daylightStart);
        rules.standardDate = ZoneDateOf(*standardStart);
    }
    return rules;
}

}  // namespace cx
