#include "monitor/render/ChartScales.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace cx {

int64_t CeilToMultiple(double x, int64_t step) {
    return int64_t(std::ceil(x / double(step))) * step;
}

int64_t FloorToMultiple(double x, int64_t step) {
    return int64_t(std::floor(x / double(step))) * step;
}

void WidenZeroRange(tScale& scale, int64_t step) {
    if (scale.Known() && *scale.max == *scale.min)
        *scale.max = *scale.min + std::max<int64_t>(step, 1);
}

void WidenTemperatureScale(tScale& scale, const tSeriesStats& series) {
    if (series.min && (!scale.min || *series.min < *scale.min)) {
        scale.min = FloorToMultiple(double(*series.min), 500);
    }
    if (series.max && (!scale.max || *series.max > *scale.max)) {
        scale.max = CeilToMultiple(double(*series.max), 500);
    }
}

void ClampTemperatureScale(tScale& scale) {
    if (scale.min) scale.min = std::max<int64_t>(*scale.min, -5000);
    if (scale.max) scale.max = std::min<int64_t>(*scale.max, 15000);
}

int64_t TemperatureGridStep(const tScale& scale, double stepDegrees, int plotHeight) {
    if (stepDegrees > 0) return std::llround(stepDegrees * 100);
    const int64_t parts = int64_t(std::ceil(plotHeight / 30.0 + 1));
    if (parts <= 0) return 0;
    return CeilToMultiple(double(scale.Range() / parts), 500);
}

int64_t VoltageGranularity(int64_t magnitude) {
    if (magnitude < 400) return 5;
    if (magnitude < 800) return 10;
    if (magnitude < 10000) return 40;
    return 100;
}

tScale VoltageScale(const tSeriesStats& series) {
    tScale scale;
    if (!series.Known()) return scale;
    const int64_t g = VoltageGranularity(std::llabs(*series.max));
    auto lower = [&](int64_t x) { return int64_t(std::floor(double(x) / g - 0.001)) * g; };
    auto upper = [&](int64_t x) { return int64_t(std::ceil(double(x) / g + 0.001)) * g; };
    scale.min =
        std::clamp<int64_t>(std::min(lower(*series.min), lower(*series.max)), -30000, 30000);
    scale.max =
        std::clamp<int64_t>(std::max(upper(*series.min), upper(*series.max)), -30000, 30000);
    return scale;
}

int64_t VoltageGridStep(const tScale& scale, int plotHeight) {
    const int64_t parts = int64_t(std::ceil(plotHeight / 20.0 + 1));
    if (parts <= 0) return 0;
    const int64_t g = VoltageGranularity(*scale.max);
    return CeilToMultiple(double(scale.Range() / parts), g);
}

void WidenFanScale(tScale& scale, const tSeriesStats& series) {
    if (!series.Known()) return;
    const int64_t m = *series.max;
    const int64_t minimum = *series.min;
    if (m < 0) {
        const double a = -double(m);
        const double b = -double(minimum);
        if (!scale.min || a / 100 - 5 < double(*scale.min)) {
            scale.min = int64_t(std::trunc(a / 500 - 1)) * 5;
        }
        if (!scale.max || b / 100 + 10 > double(*scale.max)) {
            scale.max = int64_t(std::trunc(b / 500 + 2)) * 5;
        }
    } else if (m > 0 && m < 500) {
        if (!scale.min || minimum - 50 < *scale.min) {
            scale.min = int64_t(std::trunc(minimum / 50.0 - 1)) * 50;
        }
        if (!scale.max || m + 100 > *scale.max) scale.max = int64_t(std::trunc(m / 50.0 + 2)) * 50;
    } else if (m >= 500) {
        if (!scale.min || minimum - 250 < *scale.min) {
            scale.min = int64_t(std::trunc(minimum / 250.0 - 1)) * 250;
        }
        if (!scale.max || m + 500 > *scale.max)
            scale.max = int64_t(std::trunc(m / 250.0 + 2)) * 250;
    }
}

void ClampFanScale(tScale& scale) {
    if (scale.min) scale.min = std::max<int64_t>(*scale.min, 0);
    if (scale.max) scale.max = std::min<int64_t>(*scale.max, 20000);
}

int64_t FanGranularity(int64_t max) {
    if (max < 50) return 5;
    if (max < 500) return 50;
    return 250;
}

int64_t FanGridStep(const tScale& scale, int plotHeight) {
    const int64_t parts = int64_t(std::ceil(plotHeight / 20.0 + 1));
    if (parts <= 0) return 0;
    return CeilToMultiple(double(scale.Range() / parts), FanGranularity(*scale.max));
}

int64_t MemoryGridStep(const tScale& scale, int plotHeight) {
    const int64_t parts = int64_t(std::ceil(plotHeight / 20.0 + 1));
    if (parts <= 0) return 0;
    return CeilToMultiple(double(scale.Range() / parts), kMemoryStep);
}

}  // namespace cx
