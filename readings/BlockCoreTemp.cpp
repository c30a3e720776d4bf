#include "readings/BlockCoreTemp.h"

#include <cmath>

#include "readings/BlockRules.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr size_t kJunctionMaximum = 0x400;  // u32 per processor, degrees
constexpr size_t kCoresPerProcessor = 0x600;
constexpr size_t kProcessorCount = 0x604;
constexpr size_t kCoreTemperatures = 0x608;  // f32 per core over all processors
constexpr size_t kCoreVoltage = 0xA08;
constexpr size_t kClock = 0xA0C;  // MHz
constexpr size_t kFahrenheitFlag = 0xA7C;
constexpr size_t kDistanceFlag = 0xA7D;

}  // namespace

void ReadCoreTempBlock(const tBlockView& view, tReadingContext& context) {
    tSample& s = context.rs.sample;
    s.Clock = ClockSlotFromMHz(view.F32(kClock));
    s.V[9] = ScaledSlot(view.F32(kCoreVoltage), 100);

    const int32_t cores = view.I32(kCoresPerProcessor);
    const int32_t processors = view.I32(kProcessorCount);
    const bool distance = view.U8(kDistanceFlag) == 1;
    const bool fahrenheit = view.U8(kFahrenheitFlag) == 1;
    // Only ten slots: the loops end there, however many cores the block counts.
    size_t core = 0;
    for (int32_t p = 0; p < processors && cores > 0 && core < kSensorSlots; ++p) {
        for (int32_t c = 0; c < cores && core < kSensorSlots; ++c, ++core) {
            // Worked in doubles with the rounding of each step and put into the
            // slot at the end, so no step wraps a 16-bit value; a reading that
            // is no number ends as the marker.
            double t = std::nearbyint(view.F32(kCoreTemperatures + 4 * core) * 100.0);
            if (distance) {
                const uint32_t maximum = view.U32(kJunctionMaximum + 4 * static_cast<size_t>(p));
                t = static_cast<double>(maximum & 0xFFFF) * 100 - t;
            }
            if (fahrenheit) t = std::nearbyint((t - 3200) * 5 / 9);
            s.T[core] = ToSlot16(t);
        }
    }
}

}  // namespace cx
