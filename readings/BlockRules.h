#pragma once
// Rules shared by the readers of other programs' blocks: the plausibility rule
// for temperatures, scaling into the 16-bit slots, the clock slot, and naming a
// slot only while it still carries its default label.
#include <cstdint>
#include <string>
#include <string_view>

#include "readings/ReadingSet.h"

namespace cx {

// A temperature is stored when it is not 0 and below `limit`, or whenever
// zero values are accepted (then 0 and values at or above the limit too).
bool PassesTemperatureRule(double value, double limit, bool acceptZero);

// `value` × `factor` rounded half to even for a 16-bit slot; the no-value
// marker when the result is no number or does not fit the slot.
int16_t ScaledSlot(double value, double factor);

// A clock in MHz as the clock slot in kHz, rounded half to even; the marker
// when it is no number or does not fit.
int32_t ClockSlotFromMHz(double megahertz);

// Gives slot `slot` (1..10) of a group with default labels `prefix` + number
// the label `name` while it still carries its default label, so a label the
// user chose is never replaced. The name is taken as UTF-8 text (8-bit text
// from an older publisher is read as Windows-1252).
void NameSlotIfDefault(std::string& label, std::string_view prefix, int slot,
                       std::string_view name);

// ASCII letters turned to lower case; other bytes stay as they are.
std::string LowerAscii(std::string_view text);

}  // namespace cx
