#pragma once
// The user's locale formats, in the date-time pattern language of the system
// (yyyy, mm, dd, hh, nn, ss, mmm) so that FormatDateTime can use them directly.
#include <array>
#include <string>

namespace cx {

struct tLocaleFormats {
    std::string shortDateFormat = "dd/mm/yyyy";  // e.g. "dd.mm.yyyy" for German
    std::string longTimeFormat = "hh:nn:ss";
    char decimalSeparator = '.';
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
};

// The formats of the process locale (LC_TIME, LC_NUMERIC as set by the
// environment), each category by the usual precedence LC_ALL, LC_<category>,
// LANG. Never fails: an unknown locale, and the C or POSIX locale, which name
// no user's formats, give the defaults above.
tLocaleFormats SystemLocaleFormats();

// The formats of a named locale such as "de_DE.UTF-8", for tests and tools;
// a locale that is not installed, and the C or POSIX locale, give the defaults.
tLocaleFormats LocaleFormatsFor(const std::string& localeName);

// Turns a strftime pattern (as nl_langinfo gives it) into the pattern language
// above: "%d.%m.%Y" -> "dd.mm.yyyy". The pattern language has no 12-hour
// clock, so "%I:%M %p" becomes "hh:nn"; literal letters are put in double
// quotes; fields it cannot express (the zone name, week numbers) are left out.
std::string StrftimeToPattern(const std::string& strftimePattern);

}  // namespace cx
