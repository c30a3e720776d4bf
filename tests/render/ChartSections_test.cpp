#include <gtest/gtest.h>

#include "ChartFixture.h"
#include "monitor/render/ChartSections.h"

namespace cx::test {
namespace {

// Each test shows one section alone, so its plot is the first: its top
// lies at 2 + 4 (time axis) + 7.
constexpr int kFirstPlotTop = 13;

class ChartSections : public ChartTest {
protected:
    ChartSections() { settings.visT.fill(0); }
};

TEST_F(ChartSections, VoltageGetsItsOwnScaleAndLegendRow) {
    settings.visV[0] = 1;
    for (double age : {1.0, 0.0}) AddRow(age).V[0] = 1210;
    Draw();
    // 12.00 .. 12.40 V over 40 pixels: 12.10 V lies 10 pixels up.
    const int bottom = kFirstPlotTop + settings.VHeight;
    EXPECT_EQ(RowsOf(settings.colV[0], 505, kFirstPlotTop, bottom + 1),
              (std::vector<int>{bottom - 10, bottom - 9}));  // bold: twice
    ASSERT_EQ(hover.voltages.size(), 1u);
    EXPECT_EQ(hover.bands[kBandVoltages].bottom, 2 + 4 + settings.VHeight + 8 + 9);
}

TEST_F(ChartSections, FanScaleFollowsTheReadings) {
    settings.visF[0] = true;
    settings.boldF[0] = false;
    for (double age : {1.0, 0.5, 0.0}) AddRow(age).F[0] = 1200;
    Draw();
    EXPECT_EQ(settings.FMin, 750);
    EXPECT_EQ(settings.FMax, 1500);
    // (1200 - 750) x 40 / 750 = 24 pixels above the bottom; the newest row
    // starts the line, as fans are walked from the newest row.
    const int bottom = kFirstPlotTop + settings.FHeight;
    EXPECT_EQ(RowsOf(settings.colF[0], 505, kFirstPlotTop, bottom + 1),
              std::vector<int>{bottom - 24});
    EXPECT_EQ(RowsOf(settings.colF[0], 255, kFirstPlotTop, bottom + 1),
              std::vector<int>{bottom - 24});
}

TEST_F(ChartSections, FixedFanScaleOfZeroRangeIsWidened) {
    settings.visF[0] = true;
    settings.boldF[0] = false;
    settings.FAuto = false;
    settings.FMin = settings.FMax = 2000;
    for (double age : {1.0, 0.0}) AddRow(age).F[0] = 2000;
    Draw();
    const int bottom = kFirstPlotTop + settings.FHeight;
    EXPECT_EQ(RowsOf(settings.colF[0], 505, kFirstPlotTop, bottom + 1), std::vector<int>{bottom});
}

TEST_F(ChartSections, MemoryAreaOnItsAutomaticScale) {
    settings.visMem = 1;
    for (double age : {1.0, 0.5, 0.0}) AddRow(age).MemUsed = 40000;
    rs.memTotal = 80000;
    Draw();
    EXPECT_EQ(settings.MemMin, 32768);
    EXPECT_EQ(settings.MemMax, 65536);
    // (40000 - 32768) x 60 / 32768 = 13.2 pixels.
    const int base = kFirstPlotTop + settings.MemHeight;
    const std::vector<int> rows =
        RowsOf(settings.colMem, 300, kFirstPlotTop, kFirstPlotTop + settings.MemHeight + 1);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), base - 13);
    EXPECT_EQ(rows.back(), base);
    EXPECT_GT(hover.bands[kBandMemory].bottom, base);
}

TEST_F(ChartSections, FixedMemoryScaleOfZeroRangeIsWidened) {
    settings.visMem = 1;
    settings.MemAuto = false;
    settings.MemMin = settings.MemMax = 65536;
    for (double age : {1.0, 0.0}) AddRow(age).MemUsed = 65536 + 8192;
    Draw();
    // Half of the widened range: 30 of 60 pixels.
    const int base = kFirstPlotTop + settings.MemHeight;
    EXPECT_EQ(RowsOf(settings.colMem, 300, kFirstPlotTop, base + 1).front(), base - 30);
}

TEST_F(ChartSections, CPULoadOnAFixedPercentScale) {
    settings.visCPU[0] = true;
    settings.boldCPU[0] = false;
    for (double age : {1.0, 0.0}) AddRow(age).CPU[0] = 5000;
    rs.sample.CPU[0] = 5000;
    Draw();
    const int bottom = kFirstPlotTop + settings.CPUHeight;
    EXPECT_EQ(RowsOf(settings.colCPU[0], 400, kFirstPlotTop, bottom + 1),
              std::vector<int>{bottom - 30});
    ASSERT_EQ(hover.cpus.size(), 1u);
    EXPECT_LT(hover.bands[kBandCPU].top, hover.bands[kBandCPU].bottom);
}

class ChartNetwork : public ChartSections {
protected:
    ChartNetwork() {
        settings.visNet[0] = true;
        settings.NetAuto = false;
        settings.NetLog = false;
        settings.NetMin = 0;
        settings.NetMax = 16;
    }
    // Rows every 0.1 hours over two hours, receiving 8 KB/s, with a break at age 1.
    void AddTraffic() {
        for (int step = 20; step >= 0; --step) {
            tSample& row = AddRow(step * 0.1);
            if (step == 10) continue;
            row.NetIn[0] = (20 - step) * 2880;
            row.NetOut[0] = 0;
        }
        rs.sample.NetIn[0] = 20 * 2880;
        rs.sample.NetOut[0] = 0;
    }
    int Base() const { return kFirstPlotTop + settings.NetHeight; }
};

TEST_F(ChartNetwork, BarsReachTheirRateAndOfflineTimeIsBlanked) {
    AddTraffic();
    Draw();
    const std::vector<int> rows = RowsOf(settings.colRNet[0], 300, kFirstPlotTop, Base() + 2);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), kFirstPlotTop + 41);  // half of the 0..16 KB/s scale
    EXPECT_EQ(rows.back(), Base());
    // The break at age 1 blanks from age 1.1 to age 0.9 (x 231 .. 281).
    // Neighbouring gaps join without a seam.
    for (int x : {231, 256, 280}) {
        EXPECT_EQ(canvas.Pixel(x, kFirstPlotTop + 60), settings.cBack) << x;
        EXPECT_EQ(canvas.Pixel(x, kFirstPlotTop + 10), settings.cBack) << x;
    }
    for (int x : {230, 281}) {
        EXPECT_EQ(canvas.Pixel(x, kFirstPlotTop + 60), settings.colRNet[0]) << x;
    }
    ASSERT_EQ(hover.networks.size(), 1u);
}

TEST_F(ChartNetwork, OfflineTimeShowsWhenTheSettingIsOff) {
    settings.ShowOfflineTime = false;
    AddTraffic();
    Draw();
    EXPECT_EQ(canvas.Pixel(256, kFirstPlotTop + 60), settings.cScBack);
}

TEST_F(ChartNetwork, LogarithmicScaleOfZeroRangeStillDraws) {
    settings.NetLog = true;
    settings.NetMax = 1;  // raised to 1 .. 1, then widened to 1 .. 8
    AddTraffic();
    Draw();
    const std::vector<int> rows = RowsOf(settings.colRNet[0], 300, kFirstPlotTop, Base() + 2);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), kFirstPlotTop + 1);  // 8 KB/s at the top of the scale
}

TEST_F(ChartNetwork, AdapterWithoutTrafficIsLeftOut) {
    for (double age : {1.0, 0.0}) {
        tSample& row = AddRow(age);
        row.NetIn[0] = row.NetOut[0] = 500;
    }
    rs.sample.NetIn[0] = rs.sample.NetOut[0] = 500;
    Draw();
    EXPECT_TRUE(hover.networks.empty());
    EXPECT_EQ(hover.bands[kBandNetwork].top, hover.bands[kBandNetwork].bottom);
}

TEST_F(ChartSections, ChargeRateFromTheShortLog) {
    tT shortLog;
    shortLog.count = -1;
    shortLog.rows.clear();
    shortLog.rows2.clear();
    auto add = [&](double minutesAgo, int32_t remaining) {
        tSample row{};
        row.time = kChartEnd - minutesAgo / 1440;
        row.BatRemaining = remaining;
        row.BatFull = 50000;
        shortLog.rows.push_back(row);
        shortLog.rows2.push_back(tSample2{});
        shortLog.count = int32_t(shortLog.rows.size()) - 1;
    };
    for (int minutes = 30; minutes >= 0; minutes -= 5) add(minutes, 25000 + minutes * 50);
    tSample current = shortLog.rows.back();
    current.BatRemaining = 25000;
    // The newest row more than 10 minutes old is the reference: 15 minutes
    // ago at 25750, so 750 lost in 15 minutes is 72000 a day.
    EXPECT_NEAR(ChargeRatePerDay(shortLog, current, 2), -72000, 0.01);
    EXPECT_EQ(ChargeRatePerDay(tT{}, current, 2), 0);
}

TEST_F(ChartSections, BatteryStatusTexts) {
    settings.visBat = true;
    rs.sample.BatFull = 50000;
    tChartContext context{rs, settings, messages, locale, rules, events};
    const tChartGeometry g = MakeChartGeometry(550, kChartEnd, 2, rules, true);
    tChartPass pass(canvas, log, context, g);
    rs.sample.BatRemaining = 25000;
    EXPECT_EQ(BatteryStatusText(pass, -120000),
              "Battery: 50.0 % (25000 of 50000 mWh)   runtime 10:00 h when full, 05:00 h left");
    EXPECT_EQ(BatteryStatusText(pass, 0), "Battery: 50.0 % (25000 of 50000 mWh)");
    rs.sample.time = kChartEnd;
    EXPECT_EQ(BatteryStatusText(pass, 100000),
              "Battery: 50.0 % (25000 of 50000 mWh)   full in 06:00 h (at 06:00)");
    rs.sample.BatRemaining = 50000;
    EXPECT_EQ(BatteryStatusText(pass, 0), "Battery: fully charged (50000 mWh)");
    rs.batRelative = 1;
    rs.sample.BatRemaining = 0;
    EXPECT_EQ(BatteryStatusText(pass, 0), "Battery: empty (capacity ?)");
}

TEST_F(ChartSections, BatteryChargeArea) {
    settings.visBat = true;
    for (double age : {1.0, 0.5, 0.0}) {
        tSample& row = AddRow(age);
        row.BatRemaining = 30000;
        row.BatFull = 40000;
    }
    rs.sample.BatFull = 40000;
    rs.sample.BatRemaining = 30000;
    Draw();
    const int base = kFirstPlotTop + settings.BatHeight;
    const std::vector<int> rows = RowsOf(settings.colBat, 300, kFirstPlotTop, base + 1);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), base - 30);  // 75 % of 40 pixels
    EXPECT_GT(hover.bands[kBandBattery].bottom, base);
}

TEST_F(ChartSections, DiskBarShowsTheUsedShare) {
    rs.diskSlots[0] = {"/data", 4000000, 3000000};
    settings.visDisk[0] = true;
    AddRow(0);
    Draw();
    const tHoverBand band = hover.bands[kBandDisks];
    EXPECT_EQ(band.bottom - band.top, 16 + 4);
    // A quarter used: the bar ends at 4 + Trunc(535 / 4) = 137, exclusive.
    const int y = band.top + 12;
    EXPECT_EQ(canvas.Pixel(100, y), settings.colDisk[0]);
    EXPECT_EQ(canvas.Pixel(136, band.top + 8), settings.cScBack);  // the rounded corner
    EXPECT_EQ(canvas.Pixel(140, y), settings.cScBack);
}

TEST_F(ChartSections, FooterBorderAndHoverData) {
    settings.visT[0] = 1;
    for (double age : {1.0, 0.0}) AddTemperature(age, 4000);
    Draw(168);
    EXPECT_DOUBLE_EQ(hover.endTime, kChartEnd);
    EXPECT_DOUBLE_EQ(hover.pixelsPerHour, 500.0 / 168);
    EXPECT_DOUBLE_EQ(hover.halfPixelHours, 168.0 / 500 / 2);
    const tHoverBand below = hover.bands[kBandBelowSections];
    EXPECT_EQ(below.top, hover.bands[kBandTemperatures].bottom);
    EXPECT_EQ(below.bottom, canvas.Height());
    EXPECT_EQ(canvas.Height(), below.top + 3 + 14);
    EXPECT_EQ(canvas.Pixel(0, 0), settings.cBorder2);
    EXPECT_EQ(canvas.Pixel(0, canvas.Height() - 2), settings.cBorder2);
    EXPECT_EQ(canvas.Pixel(549, 5), settings.cBorder);
    EXPECT_EQ(canvas.Pixel(200, canvas.Height() - 1), settings.cBorder);
    EXPECT_EQ(hover.temperatures.size(), 1u);
}

}  // namespace
}  // namespace cx::test
