// The reading tick, break values at clock changes and standby, the uptime
// record, the tray tip and the timer intervals.
#include "monitor/core/ReadingCycle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "core/CoreFixture.h"
#include "monitor/core/DisplayStats.h"
#include "monitor/core/HistoryStore.h"

namespace cx::test {
namespace {

class tFakeTimer : public ICycleTimer {
public:
    void SetInterval(uint32_t milliseconds) override {
        interval = milliseconds;
        ++restarts;
    }
    void SetEnabled(bool on) override {
        enabled = on;
        calls += on ? "+" : "-";
    }
    uint32_t interval = 0;
    bool enabled = true;
    int restarts = 0;
    std::string calls;
};

class ReadingCycleTest : public tCoreFixture {
protected:
    ReadingCycleTest() {
        ResetLogs(histories);
        InsertValue(context, true);
        ClearEvents();
        passes = 0;
    }
    // One tick `seconds` after the previous one.
    void Tick(double seconds) {
        clock.Advance(seconds);
        cycle.OnReadTempTimer(texts);
    }
    bool IsBreakRow(const tSample& row) const {
        return row.T[0] == kNoValue16 && row.MemUsed == kNoValue32;
    }

    tFakeTimer readTemp, logTimer, check, autoConnect;
    tCycleTimers timers{readTemp, logTimer, check, autoConnect};
    int redraws = 0;
    std::string tip;
    tReadingCycle cycle{
        context, timers,
        tCycleDisplay{[this] { ++redraws; }, [this](const std::string& text) { tip = text; }}};
    tTrayTipTexts texts{"Uptime", "Upload active", "Upload inactive"};
};

TEST_F(ReadingCycleTest, TickAddsThePreviousSampleAndTakesANewOne) {
    const int32_t before = histories.log8h.count;
    const TDateTime previousSample = rs.sample.time;
    Tick(20);
    EXPECT_EQ(passes, 1);
    EXPECT_FALSE(lastForce);
    EXPECT_EQ(histories.log8h.count, before);  // overwrote the open row
    EXPECT_DOUBLE_EQ(Value(histories.log8h.rows[before].time), previousSample);
    EXPECT_DOUBLE_EQ(Value(rs.sample.time), NowUTC(clock));
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(readTemp.interval, 20000u);
}

TEST_F(ReadingCycleTest, SubSecondTickAddsNothingButStillRedraws) {
    settings.ReadUpTime = false;
    const tT before = histories.log8h;
    Tick(0.9);
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(histories.log8h.count, before.count);
    EXPECT_EQ(std::memcmp(histories.log8h.rows.data(), before.rows.data(),
                          before.rows.size() * sizeof(tSample)),
              0);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(tip, "Calorix\r\nUpload active");
    EXPECT_EQ(readTemp.interval, 20000u);
}

// The clock is set forward or back by `seconds` between two ticks.
struct tClockChangeCase {
    const char* name;
    double seconds;
    bool wantBreak;
};

class ClockChangeTest : public ReadingCycleTest,
                        public ::testing::WithParamInterface<tClockChangeCase> {};

TEST_P(ClockChangeTest, BreaksOnlyBeyondFiveMinutes) {
    const tClockChangeCase& c = GetParam();
    settings.ReadTemp = 7000;
    const int32_t before = histories.log8h.count;
    clock.local += c.seconds * kSecond;
    cycle.OnTimeChange();
    EXPECT_TRUE(Logged("Time change detected"));
    EXPECT_EQ(Logged("Inserting break value"), c.wantBreak);
    EXPECT_EQ(histories.log8h.count > before, c.wantBreak);
    EXPECT_EQ(readTemp.interval, 7000u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClockChangeTest,
                         ::testing::Values(tClockChangeCase{"forward_300", 300, false},
                                           tClockChangeCase{"back_300", -300, false},
                                           tClockChangeCase{"forward_301", 301, true},
                                           tClockChangeCase{"back_301", -301, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadingCycleTest, SuspendStopsTheTimersAndResumeBreaks) {
    for (int i = 0; i < 5; ++i) Tick(20);
    EXPECT_EQ(cycle.OnPowerBroadcast(kPowerSuspend), 1);
    EXPECT_FALSE(readTemp.enabled);
    EXPECT_FALSE(logTimer.enabled);
    EXPECT_FALSE(check.enabled);
    EXPECT_FALSE(autoConnect.enabled);
    EXPECT_TRUE(Logged("WMPowerBroadcast 4"));
    EXPECT_TRUE(Logged("Entering standby/suspend/hibernation"));

    // A standby of 200 s: beyond the 8-hour log's gap limit of 100 s, within
    // the 7-day log's 25 minutes.
    const int32_t count8h = histories.log8h.count;
    const int32_t count7d = histories.log7d.count;
    clock.Advance(200);
    EXPECT_EQ(cycle.OnPowerBroadcast(kPowerResumeAutomatic), 1);
    const tT& log8h = histories.log8h;
    ASSERT_EQ(log8h.count, count8h + 4);
    EXPECT_TRUE(IsBreakRow(log8h.rows[count8h + 1]));
    EXPECT_TRUE(IsBreakRow(log8h.rows[count8h + 2]));
    const tT& log7d = histories.log7d;
    ASSERT_EQ(log7d.count, count7d + 3);
    EXPECT_TRUE(IsBreakRow(log7d.rows[count7d + 1]));
    for (const tT* log : {&log8h, &log7d}) {
        EXPECT_FALSE(IsBreakRow(log->rows[log->count - 1]));
        EXPECT_DOUBLE_EQ(Value(log->rows[log->count - 1].time), NowUTC(clock));
        EXPECT_DOUBLE_EQ(Value(log->rows[log->count].time), NowUTC(clock));
    }
    EXPECT_TRUE(readTemp.enabled);
    EXPECT_EQ(readTemp.interval, 10000u);
    EXPECT_TRUE(logTimer.enabled);
    EXPECT_TRUE(check.enabled);
    EXPECT_EQ(check.interval, 93000u);
    EXPECT_TRUE(autoConnect.enabled);
    EXPECT_EQ(autoConnect.interval, 40000u);
    EXPECT_TRUE(Logged("Awaking from standby/suspend"));
}

TEST_F(ReadingCycleTest, ShortStandbyGivesOneBreakRow) {
    for (int i = 0; i < 3; ++i) Tick(20);
    cycle.OnPowerBroadcast(kPowerQueryStandby);
    const int32_t count8h = histories.log8h.count;
    clock.Advance(5);
    cycle.OnPowerBroadcast(kPowerResumeSuspend);
    const tT& log = histories.log8h;
    ASSERT_EQ(log.count, count8h + 3);
    EXPECT_TRUE(IsBreakRow(log.rows[count8h + 1]));
    EXPECT_FALSE(IsBreakRow(log.rows[count8h + 2]));
    EXPECT_DOUBLE_EQ(Value(log.rows[count8h + 2].time), Value(log.rows[count8h + 3].time));
}

TEST_F(ReadingCycleTest, OtherPowerEventsChangeNothing) {
    const tT before = histories.log8h;
    EXPECT_EQ(cycle.OnPowerBroadcast(10), 1);
    EXPECT_EQ(histories.log8h.count, before.count);
    EXPECT_TRUE(readTemp.calls.empty());
    EXPECT_EQ(readTemp.restarts, 0);
    EXPECT_TRUE(Logged("WMPowerBroadcast 10"));
}

TEST_F(ReadingCycleTest, TrayTipShowsUptimeAndUploadState) {
    rs.uptimeDays = 3;
    rs.uptimeHours = 4;
    rs.uptimeMinutes = 5;
    rs.uptimeSeconds = 6;
    settings.AutoConnect = false;
    EXPECT_EQ(TrayTipText(rs, settings, texts),
              "Calorix\r\nUptime 3 d 04:05:06 h\r\nUpload inactive");
    settings.ReadUpTime = false;
    settings.AutoConnect = true;
    EXPECT_EQ(TrayTipText(rs, settings, texts), "Calorix\r\nUpload active");
}

TEST_F(ReadingCycleTest, TrayTipIsCutTo63Characters) {
    settings.ReadUpTime = false;
    texts.uploadActive = std::string(80, 'x');
    const std::string cut = TrayTipText(rs, settings, texts);
    EXPECT_EQ(cut, "Calorix\r\n" + std::string(54, 'x'));
    // Cutting counts characters, so a two-byte character is never split.
    texts.uploadActive = "\xC3\xA9" + std::string(52, 'x') + "\xC3\xA9\xC3\xA9";
    EXPECT_EQ(TrayTipText(rs, settings, texts),
              "Calorix\r\n\xC3\xA9" + std::string(52, 'x') + "\xC3\xA9");
}

TEST_F(ReadingCycleTest, UptimeRecordKeepsTheLongestUptime) {
    settings.upRecSeconds = 1000;
    rs.uptime = 999;
    Tick(20);
    EXPECT_EQ(settings.upRecSeconds, 1000u);
    rs.uptime = 90061;
    rs.uptimeDays = 1;
    rs.uptimeHours = 1;
    rs.uptimeMinutes = 1;
    rs.uptimeSeconds = 1;
    Tick(0.5);  // the record is kept even on a tick that adds nothing
    EXPECT_EQ(settings.upRecSeconds, 90061u);
    EXPECT_EQ(settings.upRecTime, "90061");
    EXPECT_EQ(settings.upRecDays, 1);
    EXPECT_EQ(settings.upRecSecs, 1);

    settings.ReadUpTime = false;
    rs.uptime = 100000;
    Tick(20);
    EXPECT_EQ(settings.upRecSeconds, 90061u);
}

TEST_F(ReadingCycleTest, OptionsChangeGivesOneQuickTickThenTheReadInterval) {
    settings.ReadTemp = 5000;
    cycle.OnOptionsApplied();
    EXPECT_EQ(readTemp.interval, 2000u);
    Tick(2);
    EXPECT_EQ(readTemp.interval, 5000u);
    Tick(5);
    EXPECT_EQ(readTemp.interval, 5000u);
    // An interval that is not a positive number of milliseconds falls back to 20 s.
    settings.ReadTemp = 0;
    Tick(5);
    EXPECT_EQ(readTemp.interval, 20000u);
}

TEST_F(ReadingCycleTest, LogTimerSavesWithoutBackupsWhileSaveLogIsOn) {
    cycle.OnLogTimer();
    EXPECT_EQ(logTimer.calls, "-+");
    EXPECT_TRUE(std::filesystem::exists(dir / "Calorix8h.log6"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Calorix8h.log6.backup"));
    std::filesystem::remove(dir / "Calorix8h.log6");
    settings.SaveLog = false;
    cycle.OnLogTimer();
    EXPECT_EQ(logTimer.calls, "-+");
    EXPECT_FALSE(std::filesystem::exists(dir / "Calorix8h.log6"));
}

TEST_F(ReadingCycleTest, DisplayStatsRunsEveryWindowEvenWhenOneFails) {
    std::string order;
    tDisplayTargets targets;
    targets.mainVisible = true;
    targets.showLight = true;
    targets.showBanner = true;
    targets.drawMain = [&] {
        order += "main ";
        throw std::runtime_error("no chart");
    };
    targets.unlockMain = [&] { order += "unlock "; };
    targets.drawLight = [&] {
        order += "light ";
        throw std::runtime_error("no light");
    };
    targets.drawBanner = [&] { order += "banner "; };
    targets.hideTaskbarEntry = [&] { order += "hide "; };
    DisplayStats(targets, events);
    EXPECT_EQ(order, "main unlock light banner ");
    EXPECT_TRUE(Logged("dis1 no chart"));
    EXPECT_TRUE(Logged("dis2 no light"));

    order.clear();
    targets.mainVisible = false;
    targets.showLight = false;
    DisplayStats(targets, events);
    EXPECT_EQ(order, "unlock banner hide ");
}

}  // namespace
}  // namespace cx::test
