// FormatDateTime: date-time patterns over TDateTime values (days since
// 1899-12-30; a negative value counts its date part backwards and its time of
// day forwards, as the pattern language has always read them).
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

#include "settings/Formats.h"

namespace cx {
namespace {

constexpr std::array<std::string_view, 12> kLongMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kShortDayNames = {"Sun", "Mon", "Tue", "Wed",
                                                            "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kLongDayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Locale patterns that name further patterns ("c" in a short date) stop here.
constexpr int kMaxNesting = 2;

struct tParts {
    int64_t year = 1899;
    int month = 12, day = 30, dayOfWeek = 6;  // 0 = Sunday
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Civil date of a day count from 1970-01-01 (proleptic Gregorian calendar).
void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

tParts Decode(TDateTime t) {
    tParts parts;
    // Beyond a few million years the parts mean nothing; keep the defaults.
    if (!std::isfinite(t) || std::fabs(t) > 1e9) return parts;
    double datePart = std::trunc(t);
    int64_t ms = std::llround(std::fabs(t - datePart) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        datePart += t < 0 ? -1 : 1;
    }
    const int64_t days = static_cast<int64_t>(datePart);
    CivilFromDays(days - static_cast<int64_t>(kUnixEpochDays), parts.year, parts.month, parts.day);
    // 1899-12-30 was a Saturday.
    parts.dayOfWeek = static_cast<int>(((days + 6) % 7 + 7) % 7);
    parts.hour = static_cast<int>(ms / 3600000);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

void AppendNumber(std::string& out, int64_t value, int digits) {
    std::string text = std::to_string(value < 0 ? -value : value);
    if (text.size() < static_cast<size_t>(digits)) text.insert(0, digits - text.size(), '0');
    if (value < 0) out += '-';
    out += text;
}

// The first character of a locale pattern that is not a letter or a digit:
// the separator the locale uses between the parts.
char SeparatorOf(const std::string& pattern, char fallback) {
    for (char c : pattern) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '"' && c != '\'' && c != ' ') {
            return c;
        }
    }
    return fallback;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    }
    return true;
}

bool UsesTwelveHours(std::string_view pattern) {
    char quote = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (quote != 0) {
            if (pattern[i] == quote) quote = 0;
        } else if (pattern[i] == '"' || pattern[i] == '\'') {
            quote = pattern[i];
        } else if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p") ||
                   StartsWithNoCase(pattern, i, "ampm")) {
            return true;
        }
    }
    return false;
}

void Expand(std::string& out, std::string_view pattern, const tParts& parts,
            const tLocaleFormats& locale, int depth) {
    const bool twelveHours = UsesTwelveHours(pattern);
    const char dateSeparator = SeparatorOf(locale.shortDateFormat, '/');
    const char timeSeparator = SeparatorOf(locale.longTimeFormat, ':');
    auto nested = [&](std::string_view inner) {
        if (depth < kMaxNesting) Expand(out, inner, parts, locale, depth + 1);
    };
    char lastToken = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char token = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        size_t count = 1;
        while (i + count < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + count])) == token) {
            ++count;
        }
        if (c == '"' || c == '\'') {
            const size_t close = pattern.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (token == 'a') {
            const std::string_view rest = pattern.substr(i);
            const bool pm = parts.hour >= 12;
            if (StartsWithNoCase(pattern, i, "am/pm")) {
                out += rest.substr(pm ? 3 : 0, 2);
                i += 5;
            } else if (StartsWithNoCase(pattern, i, "a/p")) {
                out += rest.substr(pm ? 2 : 0, 1);
                i += 3;
            } else if (StartsWithNoCase(pattern, i, "ampm")) {
                out += pm ? "PM" : "AM";
                i += 4;
            } else {
                out += c;
                ++i;
            }
            continue;
        }
        char effective = token;
        if (token == 'm' && lastToken == 'h' && count <= 2) effective = 'n';
        if (std::isalpha(static_cast<unsigned char>(c))) lastToken = effective;
        const int twoDigits = count >= 2 ? 2 : 1;
        // Each "c" is a code of its own.
        if (effective == 'c') count = 1;
        switch (effective) {
            case 'y':
                if (count <= 2) {
                    AppendNumber(out, ((parts.year % 100) + 100) % 100, 2);
                } else {
                    AppendNumber(out, parts.year, 4);
                }
                break;
            case 'm':
                if (count <= 2) {
                    AppendNumber(out, parts.month, twoDigits);
                } else if (count == 3) {
                    out += locale.shortMonthNames[static_cast<size_t>(parts.month - 1)];
                } else {
                    out += kLongMonthNames[static_cast<size_t>(parts.month - 1)];
                }
                break;
            case 'd':
                if (count <= 2) {
                    AppendNumber(out, parts.day, twoDigits);
                } else if (count == 3) {
                    out += kShortDayNames[static_cast<size_t>(parts.dayOfWeek)];
                } else if (count == 4) {
                    out += kLongDayNames[static_cast<size_t>(parts.dayOfWeek)];
                } else {
                    nested(locale.shortDateFormat);
                }
                break;
            case 'h': {
                int hour = parts.hour;
                if (twelveHours) hour = hour % 12 == 0 ? 12 : hour % 12;
                AppendNumber(out, hour, twoDigits);
                break;
            }
            case 'n':
                AppendNumber(out, parts.minute, twoDigits);
                break;
            case 's':
                AppendNumber(out, parts.second, twoDigits);
                break;
            case 'z':
                AppendNumber(out, parts.millisecond, count >= 3 ? 3 : 1);
                break;
            case 't':
                if (count == 1) {
                    nested(std::string("hh") + timeSeparator + "nn");
                } else {
                    nested(locale.longTimeFormat);
                }
                break;
            case 'c':
                nested(locale.shortDateFormat);
                out += ' ';
                nested(locale.longTimeFormat);
                break;
            case '/':
                out.append(count, dateSeparator);
                break;
            case ':':
                out.append(count, timeSeparator);
                break;
            default:
                out.append(pattern.substr(i, count));
                break;
        }
        // A run of one code letter is one code ("mmmmm" is the long month name).
        i += count;
    }
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, TDateTime t, const tLocaleFormats& locale) {
    std::string out;
    Expand(out, pattern, Decode(t), locale, 0);
    return out;
}

}  // namespace cx
