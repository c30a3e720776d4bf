// Temperature, size and rate formats.
#include "settings/ValueFormats.h"

#include <array>
#include <string_view>
#include <vector>

#include "settings/Formats.h"

namespace cx {
namespace {

constexpr std::string_view kDegreeSign = "\xC2\xB0";  // U+00B0 in UTF-8

std::string NumberAndUnit(std::string_view pattern, double value, std::string_view unit,
                          const tValueFormatContext& context) {
    std::string text = FormatFloat(pattern, value, context.locale.decimalSeparator);
    text += ' ';
    text += unit;
    return text;
}

}  // namespace

double ConvertTemperature(double hundredths, const tValueFormatContext& context) {
    if (context.settings.Celsius) return hundredths / 100.0;
    return hundredths * 9.0 / 500.0 + 32.0;
}

std::string FormatTemperature(double hundredths, const tValueFormatContext& context) {
    std::string text = FormatFloat("0.#", ConvertTemperature(hundredths, context),
                                   context.locale.decimalSeparator);
    text += ' ';
    text += kDegreeSign;
    text += context.settings.Celsius ? 'C' : 'F';
    return text;
}

std::string FormatKilobytes(double kilobytes, const tValueFormatContext& context) {
    struct tStep {
        std::string_view pattern;
        std::string_view unitKey;
    };
    static constexpr std::array<tStep, 4> kSteps = {
        {{"0", "KB"}, {"0.#", "MB"}, {"0.##", "GB"}, {"0.###", "TB"}}};
    size_t step = 0;
    while (kilobytes > 1536 && step < kSteps.size() - 1) {
        kilobytes /= 1024;
        ++step;
    }
    return NumberAndUnit(kSteps[step].pattern, kilobytes,
                         context.messages.Text(kSteps[step].unitKey), context);
}

std::string FormatBytes(double bytes, const tValueFormatContext& context) {
    struct tStep {
        std::string_view pattern;
        std::string_view unitKey;
    };
    static constexpr std::array<tStep, 5> kSteps = {
        {{"0", ""}, {"0", "KB"}, {"0.#", "MB"}, {"0.##", "GB"}, {"0.##", "TB"}}};
    size_t step = 0;
    while (bytes > 1024 && step < kSteps.size() - 1) {
        bytes /= 1024;
        ++step;
    }
    if (step == 0) return FormatFloat("0", bytes, context.locale.decimalSeparator) + " B";
    return NumberAndUnit(kSteps[step].pattern, bytes, context.messages.Text(kSteps[step].unitKey),
                         context);
}

std::string FormatRate(double kilobytesPerSecond, const tValueFormatContext& context) {
    const bool bits = context.settings.BitDisplay;
    double value = bits ? kilobytesPerSecond * 8 : kilobytesPerSecond;
    const std::string_view smallUnit = bits ? "kbps" : "KBS";
    const std::string_view largeUnit = bits ? "Mbps" : "MBS";
    if (value < 800) return NumberAndUnit("0", value, context.messages.Text(smallUnit), context);
    value /= 1024;
    return NumberAndUnit(value >= 10 ? "0" : "0.#", value, context.messages.Text(largeUnit),
                         context);
}

std::string ScaledNumber(int decimals, double value, char decimalSeparator) {
    static constexpr std::array<std::string_view, 5> kSuffixes = {"", "k", "M", "G", "T"};
    size_t divisions = 0;
    // Stopping at T keeps the suffix right for huge values and ends the loop
    // for an infinite one.
    while (value > 1500 && divisions < kSuffixes.size() - 1) {
        value /= 1000;
        ++divisions;
    }
    const std::vector<tFormatArg> args{int64_t{decimals}, value};
    return Format("%.*f", args, decimalSeparator) + std::string(kSuffixes[divisions]);
}

}  // namespace cx
