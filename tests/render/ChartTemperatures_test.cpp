#include <gtest/gtest.h>

#include "ChartFixture.h"

namespace cx::test {
namespace {

constexpr tColour kT1 = 0x0000FF;

class ChartTemperatures : public ChartTest {
protected:
    ChartTemperatures() {
        settings.colT[0] = kT1;
        settings.colT[1] = 0x00A000;
    }
    // The rows of T1's colour in column x inside the plot.
    std::vector<int> LineRows(int x) const {
        const int top = TemperaturePlotTop();
        return RowsOf(kT1, x, top - 2, top + settings.THeight + 2);
    }
};

TEST_F(ChartTemperatures, LineRunsFromOneSpanAgoToTheNewestRow) {
    AddTemperature(2, 4000);
    AddTemperature(1, 4000);
    AddTemperature(0, 4000);
    Draw();
    ASSERT_EQ(canvas.Width(), 550);
    // A constant 40 degrees: the range 40..40 is widened to 40..45, so the
    // line lies on the bottom of the plot.
    EXPECT_EQ(settings.TMinStats, 4000);
    EXPECT_EQ(settings.TMaxStats, 4000);
    const int bottom = TemperaturePlotTop() + settings.THeight;
    EXPECT_EQ(LineRows(505), std::vector<int>{bottom});
    EXPECT_EQ(LineRows(5), std::vector<int>{bottom});
    EXPECT_EQ(LineRows(300), std::vector<int>{bottom});
    EXPECT_TRUE(LineRows(4).empty());
    EXPECT_TRUE(LineRows(506).empty());
}

TEST_F(ChartTemperatures, FixedScaleOfZeroRangeIsWidened) {
    settings.TAutoStats = false;
    settings.TMinStats = settings.TMaxStats = 5000;
    AddTemperature(1, 5000);
    AddTemperature(0, 5000);
    Draw();
    const int bottom = TemperaturePlotTop() + settings.THeight;
    EXPECT_EQ(LineRows(505), std::vector<int>{bottom});
    // The user's own limits are left as they were set.
    EXPECT_EQ(settings.TMaxStats, 5000);
}

TEST_F(ChartTemperatures, BreakRowsEndPiecesAndALoneRowIsOnePixel) {
    AddTemperature(1.0, 4200);
    AddRow(0.9);  // break
    AddTemperature(0.8, 4200);
    AddRow(0.7);  // break
    AddTemperature(0.6, 4200);
    AddTemperature(0.0, 4200);
    Draw();
    const int lone = 505 - 200;
    EXPECT_EQ(LineRows(lone).size(), 1u);
    for (int x = 505 - 250 + 1; x < 505; ++x) {
        if (x == lone || x >= 505 - 150) continue;
        EXPECT_TRUE(LineRows(x).empty()) << "x " << x;
    }
    EXPECT_EQ(LineRows(505 - 250).size(), 1u);  // the row before the first break
    EXPECT_EQ(LineRows(505 - 100).size(), 1u);  // the piece after the second
}

TEST_F(ChartTemperatures, AlphaSmoothsTheLine) {
    settings.Alpha = 0.5;
    AddTemperature(1.0, 4000);
    AddTemperature(0.5, 4200);
    AddTemperature(0.0, 4400);
    Draw();
    // Scale 40..45 degrees over 120 pixels: 0.24 pixels per hundredth.
    const int bottom = TemperaturePlotTop() + settings.THeight;
    EXPECT_EQ(LineRows(255), std::vector<int>{bottom});       // 40.00
    EXPECT_EQ(LineRows(380), std::vector<int>{bottom - 24});  // 41.00
    EXPECT_EQ(LineRows(505), std::vector<int>{bottom - 60});  // 42.50
}

TEST_F(ChartTemperatures, LegendOnlySensorHasNoLineAndLeavesTheScale) {
    settings.visT[1] = 2;
    for (double age : {1.0, 0.0}) {
        tSample& row = AddRow(age);
        row.T[0] = 4000;
        row.T[1] = 9000;
    }
    rs.sample.T[0] = 4000;
    rs.sample.T[1] = 9000;
    Draw();
    EXPECT_EQ(settings.TMaxStats, 4000);
    const int top = TemperaturePlotTop();
    const int plotBottom = top + settings.THeight + 1;
    EXPECT_TRUE(ColumnsOf(settings.colT[1], top - 2, plotBottom).empty());
    const tHoverBand band = hover.bands[kBandTemperatures];
    EXPECT_FALSE(ColumnsOf(settings.colT[1], plotBottom + 1, band.bottom).empty());
    ASSERT_EQ(hover.temperatures.size(), 2u);
    EXPECT_EQ(hover.temperatures[1].slot, 1);
    EXPECT_EQ(hover.temperatures[1].name, "T2");
    EXPECT_EQ(band.bottom, plotBottom + 2 * 9);
}

TEST_F(ChartTemperatures, LegendTextCarriesOnlyTheSeriesColours) {
    settings.visT[1] = 1;
    for (double age : {1.5, 0.5, 0.0}) {
        tSample& row = AddRow(age);
        row.T[0] = 3550;
        row.T[1] = 6120;
    }
    rs.sample.T[0] = 3550;
    Draw();
    const int legendTop = TemperaturePlotTop() + settings.THeight + 2;
    const tHoverBand band = hover.bands[kBandTemperatures];
    int textPixels = 0;
    for (int y = legendTop; y < band.bottom; ++y) {
        // Right of the legend the lowest grid label reaches down into these rows.
        for (int x = 1; x < settings.StatsWidth - 46; ++x) {
            const tColour c = canvas.Pixel(x, y);
            if (c == settings.cBack) continue;
            ASSERT_TRUE(c == settings.colT[0] || c == settings.colT[1])
                << std::hex << c << " at " << std::dec << x << "," << y;
            ++textPixels;
        }
    }
    EXPECT_GT(textPixels, 100);
}

TEST_F(ChartTemperatures, EmptyLogLeavesThePictureAlone) {
    canvas.SetSize(3, 3);
    canvas.SetPixel(1, 1, 0x123456);
    Draw();
    EXPECT_EQ(canvas.Width(), 3);
    EXPECT_EQ(canvas.Pixel(1, 1), 0x123456u);
}

}  // namespace
}  // namespace cx::test
