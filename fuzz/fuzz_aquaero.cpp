// The aquaero export's lines filling the sample's slots.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "readings/Aquaero.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const cx::tSettings settings;
    cx::tSample sample{};
    cx::ApplyAquaeroText(std::string_view(reinterpret_cast<const char*>(data), size), settings,
                         sample);
    return 0;
}
