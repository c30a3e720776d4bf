#pragma once
// The three text-pattern languages of the system: printf-style `Format`, digit
// patterns for `FormatFloat` and date-time patterns for `FormatDateTime`.
// Language texts are outside input and serve as patterns, so every routine here
// accepts any pattern: it never reads past the arguments given, never crashes
// and never produces unbounded output.
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Clock.h"
#include "platform/Locale.h"

namespace cx {

using tFormatArg = std::variant<int64_t, double, std::string>;

// Widths and precisions above this are capped, so a hostile pattern such as
// "%999999999d" cannot make a huge text.
inline constexpr int kMaxFormatWidth = 1024;

// printf-style formatting: %d %i %u %x %X %s %f %e %E %g %G and %%, with an
// optional argument index ("%1:s"), the flags - + blank 0 #, a width, and a
// precision, either of which may be "*" (taken from the arguments). "%.2d"
// pads integers with zeros to two digits. A missing argument renders as empty
// text, an argument of another type is converted (a float for %d is rounded
// half to even, a number for %s is written out), an unknown specifier is
// copied as it stands. Floats use `decimalSeparator`, independent of the C
// locale.
std::string Format(std::string_view pattern, std::span<const tFormatArg> args,
                   char decimalSeparator = '.');

// What the variadic Format accepts: numbers and anything that reads as text.
template <typename T>
concept cFormatArgument =
    std::integral<T> || std::floating_point<T> || std::convertible_to<const T&, std::string_view>;

template <cFormatArgument T>
tFormatArg ToFormatArg(const T& value) {
    if constexpr (std::same_as<T, bool>) {
        return tFormatArg(int64_t{value ? 1 : 0});
    } else if constexpr (std::integral<T>) {
        return tFormatArg(static_cast<int64_t>(value));
    } else if constexpr (std::floating_point<T>) {
        return tFormatArg(static_cast<double>(value));
    } else {
        return tFormatArg(std::string(std::string_view(value)));
    }
}

// Format over any mix of integers, floats and texts, with '.' for floats.
template <cFormatArgument... Args>
std::string Format(std::string_view pattern, const Args&... args) {
    const tFormatArg list[] = {tFormatArg{}, ToFormatArg(args)...};
    return Format(pattern, std::span<const tFormatArg>(list + 1, sizeof...(Args)));
}

// Digit patterns: "0" a required digit, "#" an optional one, "." the place of
// the decimal separator, "," anywhere before it turns on thousands grouping,
// text in double or single quotes is copied as it stands, and any other
// character too. Up to three sections separated by ";" give the patterns for
// positive, negative and zero values. Rounding is correct decimal rounding of
// the exact binary value, half to even where that value is exactly halfway.
// An empty pattern gives the shortest text that reads back as the value.
std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator);
// The same with an explicit thousands separator; the three-argument form uses
// '.' when the decimal separator is ',' and ',' otherwise.
std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator,
                        char thousandSeparator);

// Date-time patterns (letters in either case): yyyy or yy, m mm mmm mmmm (month
// number, short and long name), d dd ddd dddd (day number, short and long day
// name), ddddd and dddddd (the locale's short date), c (short date, blank, long
// time), h hh, n nn (minutes; m or mm right after an hour code is minutes too),
// s ss, z zzz (milliseconds), t and tt (short and long time), am/pm, a/p and
// ampm (12-hour clock), "/" and ":" (the locale's date and time separators),
// and quoted text. Every other character is copied.
std::string FormatDateTime(std::string_view pattern, TDateTime t, const tLocaleFormats& locale);

}  // namespace cx
