#include "monitor/render/ChartGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cx {
namespace {

constexpr TDateTime kEnd = 46091.0;  // 2026-03-10 00:00 UTC

tChartGeometry Geometry(double span, TDateTime end = kEnd) {
    return MakeChartGeometry(550, end, span, tTimeZoneRules{}, true);
}

TEST(ChartGeometry, NewestAndOldestRowsLieOnThePlotEdges) {
    for (double span : {2.0, 24.0, 168.0}) {
        SCOPED_TRACE(span);
        const tChartGeometry g = Geometry(span);
        EXPECT_EQ(g.LineX(0), 505);
        // A row exactly one span old, its age computed from time stamps.
        const double age = g.AgeHours(kEnd - span / 24);
        EXPECT_FALSE(g.BeyondSpan(age));
        EXPECT_EQ(g.LineX(age), 5);
        EXPECT_EQ(g.AreaX(0), 506);
        EXPECT_TRUE(g.BeyondSpan(span + 0.01));
    }
    const tChartGeometry g = Geometry(2);
    EXPECT_EQ(g.x1, 10);
    EXPECT_EQ(g.x2, 154);
    EXPECT_EQ(g.x3, 253);
    EXPECT_EQ(g.x4, 352);
    EXPECT_EQ(g.x5, 451);
    EXPECT_DOUBLE_EQ(g.pixelsPerHour, 250);
    EXPECT_DOUBLE_EQ(g.halfPixelHours, 0.002);
}

TEST(ChartGeometry, DisplayEndIsLocalUnlessTimesShowInUTC) {
    tTimeZoneRules centralEurope;
    centralEurope.bias = -60;
    EXPECT_DOUBLE_EQ(MakeChartGeometry(550, kEnd, 2, centralEurope, false).displayEnd,
                     kEnd + 1.0 / 24);
    const tChartGeometry utc = MakeChartGeometry(550, kEnd, 2, centralEurope, true);
    EXPECT_DOUBLE_EQ(utc.displayEnd, kEnd);
    EXPECT_EQ(TimeMarks(utc, tLocaleFormats{})[0].label, "10/03/2026");
}

TEST(ChartGeometry, GridStepFollowsTheSpan) {
    const struct {
        double span, step;
    } cases[] = {{1, 0.25}, {2, 0.25}, {3, 0.5}, {8, 1}, {24, 4}, {168, 24}, {240, 24}, {744, 120}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(GridStepHours(c.span), c.step) << c.span;
}

TEST(ChartGeometry, TwoHourViewMarksEveryQuarterHourWithTimes) {
    const std::vector<tTimeMark> marks = TimeMarks(Geometry(2), tLocaleFormats{});
    ASSERT_EQ(marks.size(), 9u);  // 0:00 back to 22:00, which lies at x = 6
    EXPECT_EQ(marks[0].x, 506);
    EXPECT_EQ(marks[0].label, "10/03/2026");  // midnight shows the date
    EXPECT_EQ(marks[1].label, "23:45");
    EXPECT_EQ(marks[1].x, 506 - 62);  // 62.5 rounded half to even
    EXPECT_EQ(marks[2].x, 506 - 125);
    EXPECT_EQ(marks[8].label, "22:00");
    EXPECT_EQ(marks[8].x, 6);
}

TEST(ChartGeometry, DayViewMarksEveryFourHoursAndDatesMidnight) {
    const std::vector<tTimeMark> marks = TimeMarks(Geometry(24, kEnd + 0.5 / 24), tLocaleFormats{});
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_EQ(marks[0].label, "10/03/2026");  // 0:00, half an hour before the end
    EXPECT_EQ(marks[0].x, 496);
    EXPECT_EQ(marks[1].label, "20:00");
    EXPECT_EQ(marks[3].label, "12:00");
    EXPECT_EQ(marks[5].label, "04:00");
}

TEST(ChartGeometry, WeekViewMarksEveryDayWithDates) {
    const std::vector<tTimeMark> marks = TimeMarks(Geometry(168, kEnd + 0.25), tLocaleFormats{});
    ASSERT_EQ(marks.size(), 7u);
    EXPECT_EQ(marks[0].label, "10/03/2026");
    EXPECT_EQ(marks[6].label, "04/03/2026");
    for (const tTimeMark& mark : marks) EXPECT_GE(mark.x, 6);
}

TEST(ChartGeometry, YearViewMarksMonthStarts) {
    const tChartGeometry g = Geometry(kSpanYear);
    EXPECT_DOUBLE_EQ(g.spanHours, 365 * 24);
    const std::vector<tTimeMark> marks = TimeMarks(g, tLocaleFormats{});
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks[0].label, "Mar");
    EXPECT_EQ(marks[0].x, 506 - RoundToInt(9 * 24 * g.pixelsPerHour));
}

TEST(ChartGeometry, CalendarSpansFallBackWhereTheDateDoesNotExist) {
    // 2026-03-31 12:00 has no 31 February: 30 days back.
    const TDateTime march31 = 46112.5;
    EXPECT_DOUBLE_EQ(MonthSpanStart(march31), march31 - 30);
    // 2026-03-10 goes to 2026-02-10, 28 days back; January goes to December.
    EXPECT_DOUBLE_EQ(MonthSpanStart(kEnd), kEnd - 28);
    const TDateTime january15 = 46037.0;  // 2026-01-15
    EXPECT_DOUBLE_EQ(MonthSpanStart(january15), january15 - 31);
    // 2024-02-29 has no day a year earlier: 365 days back.
    const TDateTime leapDay = 45351.25;
    EXPECT_DOUBLE_EQ(YearSpanStart(leapDay), leapDay - 365);
    EXPECT_DOUBLE_EQ(Geometry(kSpanMonth).spanHours, 28 * 24);
}

}  // namespace
}  // namespace cx
