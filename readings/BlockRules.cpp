#include "readings/BlockRules.h"

#include <cmath>

#include "platform/TextEncoding.h"
#include "readings/SystemFiles.h"

namespace cx {

bool PassesTemperatureRule(double value, double limit, bool acceptZero) {
    return acceptZero || (value != 0 && value < limit);
}

int16_t ScaledSlot(double value, double factor) {
    return ToSlot16(value * factor);
}

int32_t ClockSlotFromMHz(double megahertz) {
    const double kilohertz = std::nearbyint(megahertz * 1000.0);
    if (!std::isfinite(kilohertz) || kilohertz >= kNoValue32 || kilohertz < -2147483648.0) {
        return kNoValue32;
    }
    return static_cast<int32_t>(kilohertz);
}

void NameSlotIfDefault(std::string& label, std::string_view prefix, int slot,
                       std::string_view name) {
    std::string defaultLabel(prefix);
    defaultLabel += std::to_string(slot);
    if (label == defaultLabel) label = ToUtf8(name);
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace cx
