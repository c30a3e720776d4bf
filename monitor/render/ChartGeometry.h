#pragma once
// Where things lie on the statistics chart: the span a drawing covers, the
// x position of a row's age, the grid step and the time labels along the
// axis. Every section of the chart shares one of these per drawing.
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Locale.h"

namespace cx {

// Span codes that stand for one calendar month or one calendar year back.
inline constexpr double kSpanMonth = -31;
inline constexpr double kSpanYear = -365;

struct tChartGeometry {
    int width = 550;           // StatsWidth
    TDateTime endTime = 0;     // UTC at the right edge of every plot
    TDateTime displayEnd = 0;  // the end time as the user sees it
    double spanHours = 2;
    double gridStepHours = 0.25;
    double pixelsPerHour = 250;
    double halfPixelHours = 0.002;
    int x1 = 10, x2 = 154, x3 = 253, x4 = 352, x5 = 451;  // legend columns

    // The right edge of the plots, which stands for the end time.
    int RightEdge() const { return width - 44; }
    // The age of a row in hours, (end time - row time) x 24.
    double AgeHours(TDateTime rowTime) const { return (endTime - rowTime) * 24; }
    // Whether a row of this age lies before the span (a row exactly one span
    // old still counts, whatever the rounding of its time stamp).
    bool BeyondSpan(double ageHours) const { return ageHours > spanHours + 1e-7; }
    // The column of a line point of this age: the newest row at width - 45.
    int LineX(double ageHours) const;
    // The column of an area or bar point of this age: the newest at width - 44.
    int AreaX(double ageHours) const;
};

// The geometry of one drawing. `spanHours` is positive or one of the codes
// above; the end time is shown as local time unless `timeInUTC` is set.
tChartGeometry MakeChartGeometry(int width, TDateTime endTime, double spanHours,
                                 const tTimeZoneRules& rules, bool timeInUTC);

// The grid step for a span: 0.25 h up to 2 h, 0.5 h up to 4 h, 1 h up to 8 h,
// 4 h up to a day, a day up to 10 days, else 5 days.
double GridStepHours(double spanHours);

// The start of the month or year span that ends at `end`: the same calendar
// date and time one month (one year) earlier, or end - 30 (365) days when
// that date does not exist.
TDateTime MonthSpanStart(TDateTime end);
TDateTime YearSpanStart(TDateTime end);

// One mark of the time axis: its column and its label.
struct tTimeMark {
    int x = 0;
    std::string label;
};

// The marks from the right edge leftwards while x >= 6: every grid step
// (labelled with the date when the step is 72 hours or more or the mark is
// midnight, else the short time), or, for spans of 2400 hours or more, every
// month start labelled with the short month name.
std::vector<tTimeMark> TimeMarks(const tChartGeometry& geometry, const tLocaleFormats& locale);

// The locale's time without seconds, for the axis labels.
std::string ShortTimeFormat(const tLocaleFormats& locale);

// Rounds half to even, as every coordinate of the chart is rounded.
int RoundToInt(double value);
// Cuts towards zero, but takes a value within rounding noise of the next
// whole number as that number, so that exact ages land on exact columns.
int TruncPixels(double value);
// Floor and Ceil with the same allowance for rounding noise.
int FloorPixels(double value);
int CeilPixels(double value);

}  // namespace cx
