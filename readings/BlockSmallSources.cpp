#include "readings/BlockSmallSources.h"

#include "readings/BlockRules.h"

namespace cx {

namespace {

constexpr double kTemperatureLimit = 150;
constexpr int32_t kFanLimit = 20000;
// Hmonitor writes 255 into a fan it cannot read.
constexpr int32_t kFanNotRead = 255;

}  // namespace

void ReadCPUCooLBlock(const tBlockView& view, tReadingContext& context) {
    if (view.I32(0x54) == 0) return;
    tSample& s = context.rs.sample;
    const bool accept = context.settings.AcceptZeroValue;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        const int32_t t = view.I32(4 * n);
        if (PassesTemperatureRule(t, kTemperatureLimit, accept)) s.T[n] = ScaledSlot(t, 100);
    }
    for (size_t n = 0; n < 7; ++n) {
        const float v = view.F32(0x28 + 4 * n);
        if (v > -20 && v < 20 && v != 0) s.V[n] = ScaledSlot(v, 100);
    }
    for (size_t n = 0; n < 4; ++n) {
        const int32_t f = view.I32(0x44 + 4 * n);
        if (f < kFanLimit) s.F[n] = ScaledSlot(f, 1);
    }
    // The loads are in 1024ths.
    for (size_t n = 0; n < 2; ++n) s.CPU[n] = ScaledSlot(view.I32(0x5C + 4 * n) / 1024.0, 10000);
}

void ReadVCoolBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const bool accept = context.settings.AcceptZeroValue;
    for (size_t n = 0; n < 2; ++n) {
        const uint32_t t = view.U32(0x24 + 4 * n);
        if (PassesTemperatureRule(t, kTemperatureLimit, accept)) s.T[n] = ScaledSlot(t, 100);
    }
    for (size_t n = 0; n < 3; ++n) {
        const uint32_t f = view.U32(0x2C + 4 * n);
        if (f < static_cast<uint32_t>(kFanLimit)) s.F[n] = static_cast<int16_t>(f);
    }
    s.CPU[3] = ScaledSlot(view.I32(0x38), 100);
}

void ReadHmonitorBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const bool accept = context.settings.AcceptZeroValue;
    auto element = [&view](size_t e) { return view.F32(4 * e); };
    for (size_t n = 0; n < 3; ++n) {
        const float t = element(n + 1);
        if (PassesTemperatureRule(t, kTemperatureLimit, accept)) s.T[n] = ScaledSlot(t, 100);
    }
    // Voltage slots V1..V7 take elements 5, 6, 4, 7, 8, 9, 10.
    constexpr size_t kVoltageElements[7] = {5, 6, 4, 7, 8, 9, 10};
    for (size_t n = 0; n < 7; ++n) {
        const float v = element(kVoltageElements[n]);
        if (v != 0) s.V[n] = ScaledSlot(v, 100);
    }
    for (size_t n = 0; n < 3; ++n) {
        const int32_t f = view.I32(0x2C + 4 * n);
        if (f != kFanNotRead && f < kFanLimit) s.F[n] = ScaledSlot(f, 1);
    }
}

}  // namespace cx
