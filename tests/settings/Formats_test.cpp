#include "settings/Formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cx {
namespace {

TEST(Format, PrintfSpecifiers) {
    EXPECT_EQ(Format("%d d %.2d:%.2d:%.2d h", 3, 4, 5, 6), "3 d 04:05:06 h");
    EXPECT_EQ(Format("%.*f", 2, 3.14159), "3.14");
    EXPECT_EQ(Format("%.*f", 0, 1500.0), "1500");
    EXPECT_EQ(Format("[%5d|%-5d|%05d|%+d|% d]", 42, 42, 42, 42, 42), "[   42|42   |00042|+42| 42]");
    EXPECT_EQ(Format("%x %X %#x %u", 255, 255, 255, 7), "ff FF 0xff 7");
    EXPECT_EQ(Format("%s and %s", "tea", std::string("cake")), "tea and cake");
    EXPECT_EQ(Format("%8.3s|%-4s|", "abcdef", "x"), "     abc|x   |");
    EXPECT_EQ(Format("%e %g %G", 1.5, 0.0001, 1e20), "1.500000e+00 0.0001 1E+20");
    EXPECT_EQ(Format("%f", -2.5), "-2.500000");
    EXPECT_EQ(Format("100%% of %s", "it"), "100% of it");
    EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
    EXPECT_EQ(Format("%*d|%-*d|", 4, 7, 3, 8), "   7|8  |");
    EXPECT_EQ(Format("%ld %lld %hd", 1, 2, 3), "1 2 3");
    EXPECT_EQ(Format("%d", int64_t{-9223372036854775807 - 1}), "-9223372036854775808");
}

TEST(Format, UsesTheGivenDecimalSeparatorWhateverTheCLocale) {
    const std::vector<tFormatArg> args{1, 2.25};
    EXPECT_EQ(Format("%.*f", args, ','), "2,2");  // 2.25 is exactly halfway: to even
    EXPECT_EQ(Format("%s", std::vector<tFormatArg>{0.5}, ','), "0,5");
}

TEST(Format, ConvertsMismatchedArguments) {
    EXPECT_EQ(Format("%d", 2.5), "2");  // half to even
    EXPECT_EQ(Format("%d", 3.5), "4");
    EXPECT_EQ(Format("%d", "17"), "17");
    EXPECT_EQ(Format("%d", "abc"), "abc");
    EXPECT_EQ(Format("%f", "1.5"), "1.500000");
    EXPECT_EQ(Format("%.1f", 3), "3.0");
    EXPECT_EQ(Format("%s|%s", 12, 0.25), "12|0.25");
    EXPECT_EQ(Format("%d", 1e300), "9223372036854775807");
    EXPECT_EQ(Format("%d %s", std::numeric_limits<double>::infinity(), "x"), "inf x");
}

// Language texts are outside input: any pattern with any arguments must give
// a sensible, bounded text.
TEST(Format, HostilePatterns) {
    struct tCase {
        const char* pattern;
        const char* expected;
    };
    const tCase cases[] = {
        {"%s %s %s", "one  "},            // fewer arguments than specifiers
        {"%d%d%d%d%d%d%d%d%d%d", "one"},  // %d of a text copies the text
        {"%", "%"},                       // a lone percent at the end
        {"abc%", "abc%"},
        {"%q and %y", "%q and %y"},  // unknown specifiers stay as they stand
        {"%5", "%5"},                // incomplete specifier
        {"%.", "%."},
        {"%-", "%-"},
        {"%n %p %c", "%n %p %c"},  // no writing through %n, no pointers
        {"%99:s|%s", "|"},         // index beyond the arguments
        {"%*s", ""},               // star takes the only argument, none left
        {"100%", "100%"},
        {"%%%s%%", "%one%"},
    };
    const std::vector<tFormatArg> args{std::string("one")};
    for (const tCase& c : cases) {
        EXPECT_EQ(Format(c.pattern, args), c.expected) << c.pattern;
    }
    EXPECT_EQ(Format("%s", std::span<const tFormatArg>{}), "");
}

TEST(Format, CapsHugeWidthsAndPrecisions) {
    EXPECT_EQ(Format("%999999999999d", 1).size(), static_cast<size_t>(kMaxFormatWidth));
    EXPECT_EQ(Format("%*d", 2000000000, 1).size(), static_cast<size_t>(kMaxFormatWidth));
    EXPECT_EQ(Format("%*d", -2000000000, 1).size(), static_cast<size_t>(kMaxFormatWidth));
    EXPECT_EQ(Format("%.99999999f", 1.0).size(), static_cast<size_t>(kMaxFormatWidth) + 2);
    EXPECT_LE(Format("%.*e", 1 << 30, 1e308).size(), static_cast<size_t>(kMaxFormatWidth) + 10);
    EXPECT_EQ(Format("%.999999999d", 5).size(), static_cast<size_t>(kMaxFormatWidth));
}

TEST(Format, PrecisionCutsTextsOnCharacterBoundaries) {
    EXPECT_EQ(Format("%.2s", "\xC3\xA4\xC3\xB6"), "\xC3\xA4");  // "äö" cut to "ä"
    EXPECT_EQ(Format("%.3s", "\xC3\xA4\xC3\xB6"), "\xC3\xA4");
}

TEST(FormatFloat, DigitPatterns) {
    struct tCase {
        const char* pattern;
        double value;
        const char* expected;
    };
    const tCase cases[] = {
        {"0", 1536, "1536"},
        {"0.#", 1.5009765625, "1.5"},
        {"0.#", 25.5, "25.5"},
        {"0.#", 25.0, "25"},
        {"0.##", 0.78125, "0.78"},
        {"0.###", 1.99999, "2"},
        {"0.00", 3, "3.00"},
        {"0.0#", 3.1, "3.1"},
        {"#.##", 0.5, ".5"},
        {"00", 7, "07"},
        {"#", 0, ""},
        {"#,##0", 1234567.0, "1,234,567"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"0 \"%\"", 42.4, "42 %"},
        {"'['0']'", 5, "[5]"},
        {"00-00", 1234, "12-34"},
        {"0.#", -0.04, "0"},     // rounds to zero: no minus sign
        {"0.#", -2.25, "-2.2"},  // exactly halfway in binary: to even
        {"0;(0)", -5, "(5)"},
        {"0;(0);\"zero\"", 0, "zero"},
        {"0.#", 0.15, "0.1"},  // 0.15 is below halfway in binary
        {"0.#", 0.25, "0.2"},
        {"0.#", 0.35, "0.3"},  // 0.35 is below halfway in binary
        {"0.#", 0.45, "0.5"},  // 0.45 is above halfway in binary
        {"0", 2.5, "2"},
        {"0", 3.5, "4"},
        {"", 0.1, "0.1"},
        {"\"unterminated", 1, "unterminated1"},
    };
    for (const tCase& c : cases) {
        EXPECT_EQ(FormatFloat(c.pattern, c.value, '.'), c.expected) << c.pattern << " " << c.value;
    }
}

TEST(FormatFloat, LocaleSeparatorsAndSpecialValues) {
    EXPECT_EQ(FormatFloat("0.#", 25.5, ','), "25,5");
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.5, ','), "1.234,5");
    EXPECT_EQ(FormatFloat("#,##0", 1234, ',', ' '), "1 234");
    EXPECT_EQ(FormatFloat("0.#", std::numeric_limits<double>::quiet_NaN(), '.'), "NAN");
    EXPECT_EQ(FormatFloat("0.#", -std::numeric_limits<double>::infinity(), '.'), "-INF");
    EXPECT_EQ(FormatFloat("0", 1e308, '.').size(), 309u);
}

// 2024-03-05 14:07:09.045 (a Tuesday) as TDateTime.
constexpr TDateTime kSampleTime = 45356.0 + (14 * 3600 + 7 * 60 + 9.045) / 86400.0;

TEST(FormatDateTime, Codes) {
    const tLocaleFormats locale;
    struct tCase {
        const char* pattern;
        const char* expected;
    };
    const tCase cases[] = {
        {"yyyymmdd", "20240305"},
        {"hhnnss", "140709"},
        {"yy m d h n s", "24 3 5 14 7 9"},
        {"mmm mmmm ddd dddd", "Mar March Tue Tuesday"},
        {"hh:mm", "14:07"},  // mm right after an hour code is minutes
        {"mm/dd", "03/05"},
        {"zzz z", "045 45"},
        {"YYYY-MM-DD HH:NN", "2024-03-05 14:07"},
        {"h:nn am/pm", "2:07 pm"},
        {"h:nn AMPM", "2:07 PM"},
        {"h a/p", "2 p"},
        {"\"at\" hh 'o''clock'", "at 14 oclock"},
        {"c", "05/03/2024 14:07:09"},
        {"ddddd", "05/03/2024"},
        {"t|tt", "14:07|14:07:09"},
        {"x#1", "x#1"},
    };
    for (const tCase& c : cases) {
        EXPECT_EQ(FormatDateTime(c.pattern, kSampleTime, locale), c.expected) << c.pattern;
    }
}

TEST(FormatDateTime, LocaleSeparatorsAndNames) {
    tLocaleFormats german;
    german.shortDateFormat = "dd.mm.yyyy";
    german.longTimeFormat = "hh:nn:ss";
    german.decimalSeparator = ',';
    german.shortMonthNames[2] = "Mrz";
    EXPECT_EQ(FormatDateTime("c", kSampleTime, german), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("dd/mm/yy mmm", kSampleTime, german), "05.03.24 Mrz");
}

TEST(FormatDateTime, EdgeValues) {
    const tLocaleFormats locale;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", 0.0, locale), "1899-12-30 00:00:00");
    // Negative values count the date backwards and the time forwards.
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25, locale), "1899-12-29 06:00");
    // Just below midnight rounds to the next day, not to 24:00.
    EXPECT_EQ(FormatDateTime("dd hh:nn:ss.zzz", 45356.0 + 0.9999999999, locale), "06 00:00:00.000");
    // A locale pattern that names itself does not recurse without end.
    tLocaleFormats looping;
    looping.shortDateFormat = "ddddd c";
    EXPECT_FALSE(FormatDateTime("c", kSampleTime, looping).empty());
    EXPECT_EQ(FormatDateTime("yyyy", std::numeric_limits<double>::quiet_NaN(), locale), "1899");
}

}  // namespace
}  // namespace cx
