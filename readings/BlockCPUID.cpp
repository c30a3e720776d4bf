#include "readings/BlockCPUID.h"

#include <string>

#include "readings/BlockRules.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr size_t kDeviceCount = 0x50;
constexpr size_t kDevices = 0x54;
constexpr size_t kDeviceSize = 0x98;
constexpr size_t kSensorCounts = 0x48;  // one byte per class, 8 bytes apart
constexpr size_t kSensorSize = 0x30;
constexpr size_t kSensorValue = 0x24;
constexpr size_t kNameWidth = 32;
constexpr int kClassCount = 10;
enum : int { kVoltageClass = 0, kTemperatureClass = 1, kFanClass = 2 };

std::string SlotLabel(const std::string& device, const tBlockView& view, size_t record) {
    std::string label(TrimText(device));
    label += ' ';
    label += TrimText(view.Text(record, kNameWidth));
    return label;
}

}  // namespace

void ReadCPUIDBlock(const tBlockView& view, tReadingContext& context) {
    tReadingSet& rs = context.rs;
    tSettings& set = context.settings;
    const size_t devices = view.U8(kDeviceCount);
    size_t record = kDevices + kDeviceSize * devices;
    int v = 1, t = 1, f = 1;
    for (size_t k = 0; k < devices; ++k) {
        const size_t device = kDevices + kDeviceSize * k;
        const std::string deviceName = view.Text(device, kNameWidth);
        for (int m = 0; m < kClassCount; ++m) {
            const size_t count = view.U8(device + kSensorCounts + 8 * static_cast<size_t>(m));
            for (size_t i = 0; i < count; ++i, record += kSensorSize) {
                int* slot = m == kVoltageClass       ? &v
                            : m == kTemperatureClass ? &t
                            : m == kFanClass         ? &f
                                                     : nullptr;
                if (slot == nullptr) continue;  // other kinds are stepped over
                const int n = (*slot)++;
                if (n > static_cast<int>(kSensorSlots)) continue;
                const double value = view.F32(record + kSensorValue);
                const size_t index = static_cast<size_t>(n) - 1;
                if (m == kVoltageClass) {
                    rs.sample.V[index] = ScaledSlot(value, 100);
                    if (rs.refreshCPUIDNames) {
                        NameSlotIfDefault(set.nameV[index], "V", n,
                                          SlotLabel(deviceName, view, record));
                    }
                } else if (m == kTemperatureClass) {
                    int16_t temperature = ScaledSlot(value, 100);
                    if (temperature <= 0 && !set.AcceptZeroValue) temperature = kNoValue16;
                    rs.sample.T[index] = temperature;
                    if (rs.refreshCPUIDNames) {
                        NameSlotIfDefault(set.nameT[index], "T", n,
                                          SlotLabel(deviceName, view, record));
                    }
                } else {
                    rs.sample.F[index] = ScaledSlot(value, 1);
                    if (rs.refreshCPUIDNames) {
                        NameSlotIfDefault(set.nameF[index], "F", n,
                                          SlotLabel(deviceName, view, record));
                    }
                }
            }
        }
    }
    rs.refreshCPUIDNames = false;
}

}  // namespace cx
