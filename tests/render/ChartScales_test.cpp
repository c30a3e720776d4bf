#include "monitor/render/ChartScales.h"

#include <gtest/gtest.h>

namespace cx {
namespace {

tSeriesStats Series(int64_t min, int64_t max) {
    return {min, max, (min + max) / 2};
}

TEST(ChartScales, TemperatureScaleMovesInFiveDegreeSteps) {
    tScale scale{1500, 5500};
    WidenTemperatureScale(scale, Series(3000, 8530));
    EXPECT_EQ(scale.min, 1500);
    EXPECT_EQ(scale.max, 9000);
    tScale unknown;
    WidenTemperatureScale(unknown, Series(-7321, 17000));
    ClampTemperatureScale(unknown);
    EXPECT_EQ(unknown.min, -5000);
    EXPECT_EQ(unknown.max, 15000);
    // A series without data leaves the limits unknown.
    tScale empty;
    WidenTemperatureScale(empty, tSeriesStats{});
    EXPECT_FALSE(empty.Known());
}

TEST(ChartScales, TemperatureGridStep) {
    EXPECT_EQ(TemperatureGridStep({1500, 5500}, 0, 120), 1000);  // 4000 div 5 -> 10 degrees
    EXPECT_EQ(TemperatureGridStep({1500, 5500}, 2.5, 120), 250);
    EXPECT_EQ(TemperatureGridStep({4000, 4500}, 0, 120), 500);
}

TEST(ChartScales, VoltageScaleFollowsItsGranularity) {
    const tScale single = VoltageScale(Series(1210, 1210));
    EXPECT_EQ(single.min, 1200);
    EXPECT_EQ(single.max, 1240);
    const tScale low = VoltageScale(Series(150, 165));
    EXPECT_EQ(low.min, 145);
    EXPECT_EQ(low.max, 170);
    EXPECT_FALSE(VoltageScale(tSeriesStats{}).Known());
    EXPECT_EQ(VoltageGridStep(single, 40), 40);  // 40 div 3 rounded up to 0.40 V
}

TEST(ChartScales, FanScaleByMagnitude) {
    const struct {
        int64_t min, max, scaleMin, scaleMax;
    } cases[] = {
        {800, 1200, 500, 1500},  // rpm in 250 steps
        {200, 300, 150, 400},    // slow fans in 50 steps
        {-6000, -5000, 45, 70},  // flow of 50..60 l/h, in 5 l/h steps
    };
    for (const auto& c : cases) {
        tScale scale;
        WidenFanScale(scale, Series(c.min, c.max));
        ClampFanScale(scale);
        EXPECT_EQ(scale.min, c.scaleMin) << c.max;
        EXPECT_EQ(scale.max, c.scaleMax) << c.max;
    }
    tScale zero;
    WidenFanScale(zero, Series(0, 0));
    EXPECT_FALSE(zero.Known());
}

TEST(ChartScales, ZeroRangeIsWidenedUpwardsByOneStep) {
    const struct {
        const char* what;
        tScale scale;
        int64_t step;
        int64_t max;
    } cases[] = {
        {"temperature", {4000, 4000}, 500, 4500},
        {"fan", {2000, 2000}, FanGranularity(2000), 2250},
        {"slow fan", {300, 300}, FanGranularity(300), 350},
        {"memory", {32768, 32768}, kMemoryStep, 49152},
        {"voltage", {1200, 1200}, VoltageGranularity(1200), 1240},
        {"no step", {7, 7}, 0, 8},
    };
    for (auto c : cases) {
        WidenZeroRange(c.scale, c.step);
        EXPECT_EQ(c.scale.max, c.max) << c.what;
        EXPECT_GT(c.scale.Range(), 0) << c.what;
    }
    tScale open{5, 10};
    WidenZeroRange(open, 500);
    EXPECT_EQ(open.max, 10);
}

}  // namespace
}  // namespace cx
