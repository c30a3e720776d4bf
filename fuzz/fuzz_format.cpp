// Patterns are outside input (language texts): any bytes as a Format, FormatFloat
// or FormatDateTime pattern must give a bounded text and never read past the
// arguments.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "settings/Formats.h"

namespace {

// The most a specifier can write: a capped width, or a float of 309 integer
// digits with a capped precision, or the longest text argument.
constexpr size_t kMaxPerSpecifier = 2 * cx::kMaxFormatWidth + 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    double number = 0;
    std::memcpy(&number, data, sizeof number);
    const uint8_t argumentMix = data[8];
    const std::string_view pattern(reinterpret_cast<const char*>(data + 9), size - 9);

    // Up to three arguments of types chosen by the input, so every specifier
    // meets every type and too few arguments.
    std::vector<cx::tFormatArg> args;
    for (int i = 0; i < (argumentMix & 3); ++i) {
        switch ((argumentMix >> (2 + 2 * i)) & 3) {
            case 0:
                args.emplace_back(static_cast<int64_t>(number));
                break;
            case 1:
                args.emplace_back(number);
                break;
            case 2:
                args.emplace_back(std::string(pattern.substr(0, 16)));
                break;
            default:
                args.emplace_back(int64_t{-1});
                break;
        }
    }
    const std::string text = cx::Format(pattern, args, (argumentMix & 0x80) ? ',' : '.');
    if (text.size() > (pattern.size() + 1) * kMaxPerSpecifier) __builtin_trap();

    const std::string digits = cx::FormatFloat(pattern, number, ',');
    if (digits.size() > pattern.size() * 8 + 1200) __builtin_trap();

    const cx::tLocaleFormats locale;
    const std::string date = cx::FormatDateTime(pattern, number, locale);
    if (date.size() > pattern.size() * 64 + 64) __builtin_trap();
    return 0;
}
