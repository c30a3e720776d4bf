#include "readings/BlockATITrayTools.h"

#include "readings/BlockRules.h"

namespace cx {

namespace {

constexpr size_t kGpuTemp = 0x14;
constexpr size_t kEnvTemp = 0x18;
constexpr size_t kFanSpeed = 0x40;
constexpr uint32_t kTemperatureLimit = 150;

}  // namespace

void ReadATITrayToolsBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const tSettings& set = context.settings;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        const std::string& t = set.OrderATITrayToolsT[n];
        if (t == "gputemp" || t == "envtemp") {
            const uint32_t v = view.U32(t == "gputemp" ? kGpuTemp : kEnvTemp);
            if (v < kTemperatureLimit && (v != 0 || set.AcceptZeroValue)) {
                s.T[n] = static_cast<int16_t>(v * 100);
            }
        }
        if (set.OrderATITrayToolsF[n] == "fanspeed") {
            s.F[n] = ScaledSlot(view.U32(kFanSpeed), 100);
        }
    }
}

}  // namespace cx
