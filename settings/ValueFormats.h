#pragma once
// The number formats of every text that shows a temperature, a size or a
// transfer rate. Temperatures come in hundredths of a degree Celsius, sizes in
// kilobytes or bytes, rates in kilobytes per second; unit texts come from the
// message table.
#include <string>

#include "platform/Locale.h"
#include "settings/Messages.h"
#include "settings/Settings.h"

namespace cx {

// What the formats depend on: the Celsius and BitDisplay settings, the unit
// texts and the locale's decimal separator.
struct tValueFormatContext {
    const tSettings& settings;
    const tMessages& messages;
    const tLocaleFormats& locale;
};

// Degrees in the display unit: t / 100 in Celsius, t * 9 / 500 + 32 in Fahrenheit.
double ConvertTemperature(double hundredths, const tValueFormatContext& context);

// "25.5 °C" or "77.9 °F": at most one decimal, no trailing zero.
std::string FormatTemperature(double hundredths, const tValueFormatContext& context);

// Kilobytes in KB, MB, GB or TB; a unit is taken once the value passes one and
// a half of it (1536 KB stay KB, 1537 KB are 1.5 MB).
std::string FormatKilobytes(double kilobytes, const tValueFormatContext& context);

// Bytes in B, KB, MB, GB or TB, stepping at every 1024.
std::string FormatBytes(double bytes, const tValueFormatContext& context);

// A rate of KB/s in KB/s or MB/s, or with BitDisplay in kbit/s or Mbit/s.
std::string FormatRate(double kilobytesPerSecond, const tValueFormatContext& context);

// A number with `decimals` places, divided by 1000 while above 1500, with k, M,
// G or T after one to four divisions (with 0 decimals 1500 stays "1500" and
// 1501 becomes "2k"). Beyond T the value stays in T.
std::string ScaledNumber(int decimals, double value, char decimalSeparator);

}  // namespace cx
