#pragma once
// The value scales of the chart sections: the automatic limits that follow
// the data and the grid steps between them. Every scale whose range comes out
// as zero is widened upwards by one step, so a line that never moves lies on
// the bottom of its plot instead of dividing by zero.
#include <cstdint>
#include <optional>

namespace cx {

// The limits of one section, in the series' own units. Unknown limits mean
// that no data was found: the section is then left out.
struct tScale {
    std::optional<int64_t> min;
    std::optional<int64_t> max;
    bool Known() const { return min && max; }
    int64_t Range() const { return *max - *min; }
};

// Minimum, maximum and average of one series over the span.
struct tSeriesStats {
    std::optional<int64_t> min;
    std::optional<int64_t> max;
    std::optional<int64_t> avg;
    bool Known() const { return min && max; }
};

// Makes max > min by raising max to min + step where the range is zero
// (the step itself is at least 1).
void WidenZeroRange(tScale& scale, int64_t step);

// Temperatures (hundredths of a degree): widens the scale to the series in
// 5-degree steps, then keeps it within -50 .. 150 degrees.
void WidenTemperatureScale(tScale& scale, const tSeriesStats& series);
void ClampTemperatureScale(tScale& scale);
// The temperature grid step: `stepDegrees` x 100 when positive, else the
// range divided into Ceil(H / 30 + 1) parts rounded up to 5 degrees.
int64_t TemperatureGridStep(const tScale& scale, double stepDegrees, int plotHeight);

// The granularity of a voltage (hundredths of a volt) by its magnitude.
int64_t VoltageGranularity(int64_t magnitude);
// A voltage's own scale from its minimum and maximum, clamped to +-300 V.
tScale VoltageScale(const tSeriesStats& series);
int64_t VoltageGridStep(const tScale& scale, int plotHeight);

// Fans: rpm, or litres per hour for flow readings (negative maxima).
void WidenFanScale(tScale& scale, const tSeriesStats& series);
void ClampFanScale(tScale& scale);
// The fan scale's own step for a zero range and its grid: 5 below 50,
// 50 below 500, else 250.
int64_t FanGranularity(int64_t max);
int64_t FanGridStep(const tScale& scale, int plotHeight);

// Memory in KB, in steps of 16 MB.
inline constexpr int64_t kMemoryStep = 16384;
int64_t MemoryGridStep(const tScale& scale, int plotHeight);

// Ceil(x / step) x step for any sign of x.
int64_t CeilToMultiple(double x, int64_t step);
int64_t FloorToMultiple(double x, int64_t step);

}  // namespace cx
