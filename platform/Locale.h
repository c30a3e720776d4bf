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
// environment). Never fails: an unknown locale gives the defaults above.
tLocaleFormats SystemLocaleFormats();

// The formats of a named locale such as "de_DE.UTF-8", for tests and tools;
// a locale that is not installed gives the defaults above.
tLocaleFormats LocaleFormatsFor(const std::string& localeName);

// Turns a strftime pattern (as nl_langinfo gives it) into the pattern language
// above: "%d.%m.%Y" -> "dd.mm.yyyy". Exposed for tests.
std::string StrftimeToPattern(const std::string& strftimePattern);

}  // namespace cx
