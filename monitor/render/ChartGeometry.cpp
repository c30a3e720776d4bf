#include "monitor/render/ChartGeometry.h"

#include <chrono>
#include <cmath>

#include "readings/TimeFunctions.h"
#include "settings/Formats.h"

namespace cx {

namespace {

constexpr std::chrono::sys_days kDayZero{std::chrono::year{1899} / 12 / 30};

std::chrono::year_month_day DateOf(TDateTime t) {
    return std::chrono::year_month_day{kDayZero + std::chrono::days{int64_t(std::floor(t))}};
}

TDateTime DaysOf(const std::chrono::year_month_day& date) {
    return double((std::chrono::sys_days{date} - kDayZero).count());
}

// The same time of day on the date `months` months before t's date, or
// `fallbackDays` before t when that date does not exist.
TDateTime MonthsBack(TDateTime end, int months, double fallbackDays) {
    const std::chrono::year_month_day date = DateOf(end);
    const double timeOfDay = end - std::floor(end);
    const std::chrono::year_month month =
        std::chrono::year_month{date.year(), date.month()} - std::chrono::months{months};
    const std::chrono::year_month_day earlier = month / date.day();
    if (!earlier.ok()) return end - fallbackDays;
    return DaysOf(earlier) + timeOfDay;
}

}  // namespace

int RoundToInt(double value) {
    return int(std::nearbyint(value));
}

int TruncPixels(double value) {
    const double nearest = std::nearbyint(value);
    if (std::fabs(value - nearest) < 1e-6) return int(nearest);
    return int(std::trunc(value));
}

int FloorPixels(double value) {
    return int(std::floor(value + 1e-6));
}

int CeilPixels(double value) {
    return int(std::ceil(value - 1e-6));
}

int tChartGeometry::LineX(double ageHours) const {
    return (width - 45) - TruncPixels(ageHours * pixelsPerHour);
}

int tChartGeometry::AreaX(double ageHours) const {
    return (width - 44) - TruncPixels(ageHours * pixelsPerHour);
}

double GridStepHours(double spanHours) {
    if (spanHours <= 2) return 0.25;
    if (spanHours <= 4) return 0.5;
    if (spanHours <= 8) return 1;
    if (spanHours <= 24) return 4;
    if (spanHours <= 240) return 24;
    return 120;
}

TDateTime MonthSpanStart(TDateTime end) {
    return MonthsBack(end, 1, 30);
}

TDateTime YearSpanStart(TDateTime end) {
    return MonthsBack(end, 12, 365);
}

tChartGeometry MakeChartGeometry(int width, TDateTime endTime, double spanHours,
                                 const tTimeZoneRules& rules, bool timeInUTC) {
    tChartGeometry g;
    g.width = width;
    g.endTime = endTime;
    g.displayEnd = timeInUTC ? endTime : UTCToLocal(endTime, rules);
    if (spanHours == kSpanMonth) spanHours = (endTime - MonthSpanStart(endTime)) * 24;
    if (spanHours == kSpanYear) spanHours = (endTime - YearSpanStart(endTime)) * 24;
    // A span that is not positive would turn every x position upside down.
    if (!(spanHours > 0)) spanHours = 2;
    g.spanHours = spanHours;
    g.gridStepHours = GridStepHours(spanHours);
    g.pixelsPerHour = (width - 50) / spanHours;
    g.halfPixelHours = spanHours / (width - 50) / 2;
    const int column = (width - 55) / 5;
    g.x1 = 10;
    g.x2 = column + 55;
    g.x3 = g.x2 + column;
    g.x4 = g.x3 + column;
    g.x5 = g.x4 + column;
    return g;
}

std::string ShortTimeFormat(const tLocaleFormats& locale) {
    std::string format = locale.longTimeFormat;
    for (const char* seconds : {":ss", ".ss", ":s"}) {
        if (size_t at = format.find(seconds); at != std::string::npos) {
            format.erase(at, std::string(seconds).size());
            break;
        }
    }
    return format;
}

std::vector<tTimeMark> TimeMarks(const tChartGeometry& g, const tLocaleFormats& locale) {
    std::vector<tTimeMark> marks;
    const double right = g.RightEdge();
    auto columnOf = [&](TDateTime t) {
        return RoundToInt(right - g.pixelsPerHour * (g.displayEnd - t) * 24);
    };
    if (g.spanHours >= 2400) {
        std::chrono::year_month_day date = DateOf(g.displayEnd);
        std::chrono::year_month month{date.year(), date.month()};
        for (;;) {
            const TDateTime start = DaysOf(std::chrono::year_month_day{month / 1});
            const int x = columnOf(start);
            if (x < 6) break;
            marks.push_back({x, FormatDateTime("mmm", start, locale)});
            month -= std::chrono::months{1};
        }
        return marks;
    }
    const std::string timeFormat = ShortTimeFormat(locale);
    const double stepDays = g.gridStepHours / 24;
    // The last grid time not after the end; an end on a grid time counts as on it.
    double first = std::trunc(g.displayEnd * 24 / g.gridStepHours + 1e-9) * stepDays;
    for (int i = 0;; ++i) {
        // Whole seconds, so that a mark at midnight formats as that day.
        const TDateTime t = std::nearbyint((first - i * stepDays) * 86400) / 86400;
        const int x = columnOf(t);
        if (x < 6) break;
        const bool midnight = t == std::floor(t);
        const bool dateLabel = g.gridStepHours >= 72 || midnight;
        marks.push_back(
            {x, FormatDateTime(dateLabel ? locale.shortDateFormat : timeFormat, t, locale)});
    }
    return marks;
}

}  // namespace cx
