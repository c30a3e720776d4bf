#include "readings/BlockMBM.h"

#include "readings/BlockRules.h"

namespace cx {

namespace {

constexpr double kTemperatureLimit = 150;
constexpr double kVoltageLimit = 150;
constexpr int32_t kFanLimit = 20000;
// MBM writes 255 into a fan it cannot read.
constexpr int32_t kFanNotRead = 255;

// Layout 5.1.9: 100 sensor records of 80 bytes.
constexpr size_t kRecords = 0x58;
constexpr size_t kRecordSize = 80;
constexpr size_t kRecordCount = 100;
constexpr size_t kRecordValue = 0x10;
constexpr uint8_t kVoltageRecord = 2;
constexpr uint8_t kFanRecord = 3;

bool PlausibleVoltage(double v) {
    return v != 0 && v > -kVoltageLimit && v < kVoltageLimit;
}

double RecordValue(const tBlockView& view, size_t record) {
    return view.F64(kRecords + kRecordSize * record + kRecordValue);
}

// The fixed arrays of layouts 5.1.0.7 and 5.0.9x: ten i32 temperatures at 0,
// f64 voltages at 0x28, i32 fans at `fans`.
struct tArrayLayout {
    size_t validWord;
    size_t voltageCount;
    size_t fans;
    size_t fanCount;
};

void ReadArrayLayout(const tBlockView& view, tReadingContext& context, const tArrayLayout& layout) {
    if (view.I32(layout.validWord) <= 0) return;
    tSample& s = context.rs.sample;
    const bool accept = context.settings.AcceptZeroValue;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        const int32_t t = view.I32(4 * n);
        if (PassesTemperatureRule(t, kTemperatureLimit, accept)) s.T[n] = ScaledSlot(t, 100);
    }
    for (size_t n = 0; n < layout.voltageCount; ++n) {
        const double v = view.F64(0x28 + 8 * n);
        if (PlausibleVoltage(v)) s.V[n] = ScaledSlot(v, 100);
    }
    for (size_t n = 0; n < layout.fanCount; ++n) {
        const int32_t f = view.I32(layout.fans + 4 * n);
        if (f != kFanNotRead && f < kFanLimit) s.F[n] = ScaledSlot(f, 1);
    }
}

}  // namespace

void ReadMBM5190Block(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const tSettings& set = context.settings;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        // The settings loader keeps indexes below 100; one set beyond by hand
        // names no record, and its slot is left alone.
        const size_t record = set.OrderMBM5190T[n];
        if (record >= kRecordCount) continue;
        const double t = RecordValue(view, record);
        if (PassesTemperatureRule(t, kTemperatureLimit, set.AcceptZeroValue)) {
            s.T[n] = ScaledSlot(t, 100);
        }
    }
    // Voltages and fans take the next slot of their kind in record order,
    // even when the value is rejected.
    size_t voltages = 0, fans = 0;
    for (size_t record = 0; record < kRecordCount; ++record) {
        const uint8_t type = view.U8(kRecords + kRecordSize * record);
        if (type == kVoltageRecord && voltages < kSensorSlots) {
            const double v = RecordValue(view, record);
            if (PlausibleVoltage(v)) s.V[voltages] = ScaledSlot(v, 100);
            ++voltages;
        } else if (type == kFanRecord && fans < kSensorSlots) {
            const double f = RecordValue(view, record);
            if (f != kFanNotRead) s.F[fans] = ScaledSlot(f, 1);
            ++fans;
        }
    }
}

void ReadMBM5107Block(const tBlockView& view, tReadingContext& context) {
    ReadArrayLayout(view, context, {0xA0, 10, 0x78, 10});
}

void ReadMBM509xBlock(const tBlockView& view, tReadingContext& context) {
    ReadArrayLayout(view, context, {0x70, 7, 0x60, 4});
}

}  // namespace cx
