#include "readings/BlockSpeedFan.h"

#include <exception>
#include <optional>

#include "readings/BlockRules.h"

namespace cx {

namespace {

constexpr size_t kTemperatures = 0x12;
constexpr size_t kFans = 0x92;
constexpr size_t kVoltages = 0x112;
constexpr size_t kValuesPerArray = 32;
// Limits beyond which a value is taken for garbage.
constexpr int32_t kTemperatureLimit = 15000;  // hundredths of a degree
constexpr int32_t kFanLimit = 20000;          // rpm
constexpr int32_t kVoltageLimit = 2000;       // hundredths of a volt

// Element `index` of one array. The settings loader keeps indexes inside the
// array; a larger one set by hand leaves its slot alone rather than reading
// the neighbouring array.
std::optional<int32_t> Element(const tBlockView& view, size_t array, uint8_t index) {
    if (index >= kValuesPerArray) return std::nullopt;
    return view.I32(array + 4 * size_t{index});
}

}  // namespace

void ReadSpeedFanBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    const tSettings& set = context.settings;
    for (size_t n = 0; n < kSensorSlots; ++n) {
        const auto t = Element(view, kTemperatures, set.OrderSpeedFanT[n]);
        if (t && ((*t != 0 && *t < kTemperatureLimit) || set.AcceptZeroValue)) {
            s.T[n] = ScaledSlot(*t, 1);
        }
        const auto f = Element(view, kFans, set.OrderSpeedFanF[n]);
        if (f && *f >= 0 && *f < kFanLimit) s.F[n] = static_cast<int16_t>(*f);
        const auto v = Element(view, kVoltages, set.OrderSpeedFanV[n]);
        if (v && *v != 0 && *v > -kVoltageLimit && *v < kVoltageLimit) {
            s.V[n] = static_cast<int16_t>(*v);
        }
    }
}

bool SpeedFanPresent() noexcept {
    try {
        return SharedBlockExists(kSpeedFanBlock.name);
    } catch (const std::exception&) {
        // No memory for the object name: SpeedFan counts as absent.
        return false;
    }
}

}  // namespace cx
