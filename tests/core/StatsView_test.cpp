// The statistics views: chart selection, title, day navigation, the wheel,
// hover hints, the double-click pages and the reset.
#include "monitor/core/StatsView.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/CoreFixture.h"
#include "monitor/core/HistoryStore.h"
#include "monitor/core/StatsHover.h"
#include "monitor/core/StatsReset.h"
#include "settings/ValueFormats.h"

namespace cx::test {
namespace {

constexpr TDateTime kMarch10 = 46091.0;

// Days from the walk's start to the selected day, and what the chart shows.
struct tWalkStep {
    int step;
    double daysBack;  // selected day = 10 March 15:00 minus this
    tLogChoice log;
    TDateTime endTime;  // UTC (the fake zone is UTC)
    double spanHours;
};

TEST(StatsViewTest, DayNavigationWalksBackOverTenthOfMarch) {
    const TDateTime now = kMarch10 + 15.0 / 24;
    const double lastSecond = 1.0 / 86400;
    const tWalkStep walk[] = {
        {1, 0, tLogChoice::Log7d, kMarch10 - lastSecond, 24},
        {2, 1, tLogChoice::Log7d, kMarch10 - 1 - lastSecond, 24},
        {7, 6, tLogChoice::Log7d, kMarch10 - 6 - lastSecond, 24},
        {8, 7, tLogChoice::Log1a, kMarch10 - 7 - lastSecond, 168},
        {9, 14, tLogChoice::Log1a, kMarch10 - 14 - lastSecond, 168},
    };
    tStatsView view;
    int done = 0;
    for (const tWalkStep& w : walk) {
        while (done < w.step) {
            StepBackOneDay(view, now);
            ++done;
        }
        SCOPED_TRACE(w.step);
        EXPECT_EQ(view.checked, tStatsItem::None);
        EXPECT_DOUBLE_EQ(view.selectedDay, now - w.daysBack);
        const tChartSelection chart = SelectChart(view, now, now, 2, tTimeZoneRules{});
        EXPECT_EQ(chart.log, w.log);
        EXPECT_NEAR(chart.endTime, w.endTime, 1e-9);
        EXPECT_EQ(chart.spanHours, w.spanHours);
    }
    // Forward from 24 February: a week while more than seven days back, then days.
    StepForwardOneDay(view, now);
    EXPECT_DOUBLE_EQ(view.selectedDay, now - 7);
    StepForwardOneDay(view, now);
    EXPECT_DOUBLE_EQ(view.selectedDay, now - 6);
}

TEST(StatsViewTest, ForwardFromYesterdayReturnsToTheLiveView) {
    TDateTime now = kMarch10 + 15.0 / 24;
    tStatsView view;
    StepBackOneDay(view, now);
    StepBackOneDay(view, now);
    // A minute later ">" goes back to the day before.
    now += 60.0 / 86400;
    StepForwardOneDay(view, now);
    EXPECT_EQ(view.checked, tStatsItem::None);
    EXPECT_DOUBLE_EQ(view.selectedDay, kMarch10 + 15.0 / 24);
    StepForwardOneDay(view, now);
    EXPECT_EQ(view.selectedDay, 0);
    EXPECT_EQ(view.checked, tStatsItem::Live);
    // Forward without a selected day keeps the live view.
    StepForwardOneDay(view, now);
    EXPECT_EQ(view.checked, tStatsItem::Live);
}

TEST(StatsViewTest, ViewsChooseTheirLogAndSpan) {
    const TDateTime now = kMarch10 + 0.5, sample = now - 0.001;
    tStatsView view;
    tChartSelection chart = SelectChart(view, now, sample, 2.5, tTimeZoneRules{});
    EXPECT_EQ(chart.log, tLogChoice::Log8h);
    EXPECT_EQ(chart.endTime, sample);
    EXPECT_EQ(chart.spanHours, 2.5);
    ChooseView(view, tStatsItem::Stats24);
    chart = SelectChart(view, now, sample, 2.5, tTimeZoneRules{});
    EXPECT_EQ(chart.log, tLogChoice::Log7d);
    EXPECT_EQ(chart.spanHours, 24);
    ChooseView(view, tStatsItem::Stats7);
    chart = SelectChart(view, now, sample, 2.5, tTimeZoneRules{});
    EXPECT_EQ(chart.spanHours, 168);
    EXPECT_EQ(HoverLog(view, now), tLogChoice::Log7d);

    // A selected day ends at its local midnight, converted to UTC: an hour
    // east of Greenwich that is 23:00 UTC minus one second.
    tTimeZoneRules cet;
    cet.bias = -60;
    view.selectedDay = now - 2;
    chart = SelectChart(view, now, sample, 2.5, cet);
    EXPECT_NEAR(chart.endTime, kMarch10 - 2 - 1.0 / 24 - 1.0 / 86400, 1e-9);
}

TEST(StatsViewTest, WheelStepsBetweenTheThreeViewsOnly) {
    tStatsView view;
    EXPECT_FALSE(WheelUp(view));
    EXPECT_TRUE(WheelDown(view));
    EXPECT_EQ(view.checked, tStatsItem::Stats24);
    EXPECT_TRUE(WheelDown(view));
    EXPECT_EQ(view.checked, tStatsItem::Stats7);
    EXPECT_FALSE(WheelDown(view));
    EXPECT_TRUE(WheelUp(view));
    EXPECT_TRUE(WheelUp(view));
    EXPECT_EQ(view.checked, tStatsItem::Live);

    StepBackOneDay(view, kMarch10);
    const tStatsView pastDay = view;
    EXPECT_FALSE(WheelDown(view));
    EXPECT_FALSE(WheelUp(view));
    EXPECT_EQ(view.checked, pastDay.checked);
    EXPECT_EQ(view.selectedDay, pastDay.selectedDay);
}

TEST(StatsViewTest, WindowTitleNamesTheViewAndTheUploadState) {
    tMessages messages;
    messages.SetText("Stats24", "Last 24 hours");
    messages.SetText("Stats7", "Last 7 days");
    messages.SetText("UploadInactive", "Automatic upload off");
    tStatsView view;
    EXPECT_EQ(StatsWindowTitle(view, true, messages), "Calorix");
    view.checked = tStatsItem::Stats24;
    EXPECT_EQ(StatsWindowTitle(view, false, messages),
              "Calorix - Last 24 hours - Automatic upload off");
    view.checked = tStatsItem::Stats7;
    EXPECT_EQ(StatsWindowTitle(view, true, messages), "Calorix - Last 7 days");
}

class StatsHoverTest : public tCoreFixture {
protected:
    StatsHoverTest() {
        messages.Load(std::filesystem::path(CALORIX_SOURCE_DIR) / "lang" / "English.lng");
        ResetLogs(histories);
        // Ten rows 20 s apart in the 8-hour log.
        for (int i = 0; i < 10; ++i) {
            clock.local = kMarch10At15 + i * 20 * kSecond;
            context.readValues(false);
            rs.sample.NetIn[0] = 1000 + 200 * i;  // 10 KB/s down
            rs.sample.NetOut[0] = 500 + 20 * i;   // 1 KB/s up
            AddSampleToAllLogs(context, true);
        }
        // The live view: 2 hours over 500 pixels.
        hover.endTime = clock.local;
        hover.pixelsPerHour = 250;
        hover.halfPixelHours = 2.0 / (2 * 500);
        const int bands[kBandCount][2] = {{10, 50},   {50, 90},   {90, 130},
                                          {130, 170}, {170, 210}, {210, 250},
                                          {250, 290}, {290, 400}, {400, 450}};
        for (int b = 0; b < kBandCount; ++b) hover.bands[b] = {bands[b][0], bands[b][1]};
        hover.temperatures = {{0, "CPU"}, {2, "Case"}};
        hover.networks = {{0, "eth0"}};
        hover.cpus = {{1, "Core2"}};
    }
    // x of the pixel `seconds` before the end time.
    int XAt(double seconds) const {
        return settings.StatsWidth - 45 - static_cast<int>(seconds / 3600 * 250);
    }
    std::string Hover(int x, int y) {
        const tHintInput input{settings, messages, tLocaleFormats{}, rs, rules, events};
        return HoverHint(view, clock.local, histories, hover, x, y, input);
    }

    tMessages messages;
    tStatsView view;
    tHoverData hover;
    tTimeZoneRules rules;
};

TEST_F(StatsHoverTest, TemperatureHintShowsTheRowUnderTheCursor) {
    // 72 s before the end lies the row stamped 15:01:40 (the rows are 20 s apart).
    const std::string hint = Hover(XAt(72), 30);
    const tLocaleFormats locale;
    const tValueFormatContext formats{settings, messages, locale};
    EXPECT_EQ(hint, "10/03/2026 15:01:40\r\nCPU: " + FormatTemperature(4000, formats) +
                        "\r\nCase: " + FormatTemperature(4002, formats));
}

TEST_F(StatsHoverTest, NetworkAndCpuHintsUseTheRowAndItsPredecessor) {
    const tLocaleFormats locale;
    const tValueFormatContext formats{settings, messages, locale};
    // 30 s before the end lies the row stamped 15:02:20.
    EXPECT_EQ(Hover(XAt(30), 190), "10/03/2026 15:02:20\r\neth0: Down " + FormatRate(10, formats) +
                                       " / Up " + FormatRate(1, formats));
    EXPECT_EQ(Hover(XAt(30), 420), "10/03/2026 15:02:20\r\nCore2: 15 %");
}

TEST_F(StatsHoverTest, NoHintOverTheDiskSectionBelowTheSectionsOrOutside) {
    EXPECT_EQ(Hover(XAt(30), 270), "");  // disks
    EXPECT_EQ(Hover(XAt(30), 300), "");  // below the sections
    EXPECT_EQ(Hover(XAt(30), 5), "");    // above every band
    EXPECT_EQ(Hover(XAt(30), 50), "");   // on a border: no band has it inside
    EXPECT_EQ(Hover(5, 30), "");         // left of the plot area
    EXPECT_EQ(Hover(settings.StatsWidth - 45, 30), "");
    settings.DisplayHint = false;
    EXPECT_EQ(Hover(XAt(30), 30), "");
}

TEST_F(StatsHoverTest, NoHintWithoutARowCloseEnough) {
    // Half an hour before the first row: no row lies before the cursor.
    EXPECT_EQ(Hover(XAt(1800 + 180), 30), "");
    // The live view reads the 8-hour log; a week view reads the 7-day log,
    // here emptied, which gives no text.
    ResetLog(histories.log7d);
    ChooseView(view, tStatsItem::Stats7);
    EXPECT_EQ(Hover(XAt(30), 30), "");
}

TEST_F(StatsHoverTest, DoubleClickOpensTheSectionsOptionsPage) {
    const int width = settings.StatsWidth;
    const struct {
        int x, y, page;
    } cases[] = {{100, 30, 4},  {100, 70, 5},   {100, 100, 6}, {100, 150, 7},
                 {100, 190, 8}, {100, 230, 13}, {100, 270, 9}, {100, 300, 3},
                 {100, 420, 7}, {100, 5, 3},    {3, 30, 3},    {width - 45, 30, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(OptionsPageForDoubleClick(hover, c.x, c.y, width), c.page) << c.x << "," << c.y;
    }
}

class StatsResetTest : public tCoreFixture {
protected:
    struct tTimer : ICycleTimer {
        void SetInterval(uint32_t ms) override { interval = ms; }
        void SetEnabled(bool) override {}
        uint32_t interval = 0;
    };
    tTimer light, banner, readTemp, check;
    bool answer = false;
    int forgotten = 0, redraws = 0;
    tResetActions actions{[this] { return answer; },
                          [this] { ++forgotten; },
                          [this] { ++redraws; },
                          light,
                          banner,
                          readTemp,
                          check};
};

TEST_F(StatsResetTest, NoLeavesTheLogsUntouched) {
    ReadLogs(context);
    const int32_t count = histories.log8h.count;
    EXPECT_FALSE(ResetStatistics(context, actions));
    EXPECT_EQ(histories.log8h.count, count);
    EXPECT_EQ(forgotten + redraws, 0);
    EXPECT_EQ(readTemp.interval, 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "Calorix8h.log6"));
}

TEST_F(StatsResetTest, YesRestartsEachLogWithTheFreshSample) {
    ReadLogs(context);
    answer = true;
    clock.Advance(20);
    EXPECT_TRUE(ResetStatistics(context, actions));
    for (const tT* log : {&histories.log8h, &histories.log7d, &histories.log1a}) {
        ASSERT_EQ(log->count, 0);
        EXPECT_DOUBLE_EQ(Value(log->rows[0].time), NowUTC(clock));
        EXPECT_EQ(log->cropLimit, 100);
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "Calorix8h.log6"), sizeof(tSample));
    EXPECT_EQ(forgotten, 1);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(light.interval, 15000u);
    EXPECT_EQ(banner.interval, 20000u);
    EXPECT_EQ(readTemp.interval, 2000u);
    EXPECT_EQ(check.interval, 3000u);
}

}  // namespace
}  // namespace cx::test
