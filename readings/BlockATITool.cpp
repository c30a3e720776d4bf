#include "readings/BlockATITool.h"

#include <cmath>

#include "readings/BlockRules.h"

namespace cx {

namespace {

constexpr size_t kTempLocal = 0x48;   // f64
constexpr size_t kTempRemote = 0x50;  // f64
constexpr size_t kFanSpeed = 0x58;    // u16
constexpr double kTemperatureLimit = 150;
constexpr uint16_t kFanLimit = 20000;

}  // namespace

void ReadATIToolBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const tSettings& set = context.settings;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        const std::string& t = set.OrderAtiToolT[n];
        if (t == "templocal" || t == "tempremote") {
            const double v = view.F64(t == "templocal" ? kTempLocal : kTempRemote);
            if (!std::isnan(v) && v < kTemperatureLimit && (v != 0 || set.AcceptZeroValue)) {
                s.T[n] = ScaledSlot(v, 100);
            }
        }
        if (set.OrderAtiToolF[n] == "fanspeed") {
            const uint16_t f = view.U16(kFanSpeed);
            if (f < kFanLimit) s.F[n] = static_cast<int16_t>(f);
        }
    }
}

}  // namespace cx
