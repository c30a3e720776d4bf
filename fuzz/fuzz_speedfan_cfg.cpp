// SpeedFan's sensor configuration text naming the slots.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "readings/SpeedFanNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cx::tSettings settings;
    cx::ApplySpeedFanNames(std::string_view(reinterpret_cast<const char*>(data), size), settings);
    return 0;
}
