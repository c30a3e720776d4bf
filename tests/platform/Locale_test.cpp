#include "platform/Locale.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <string>

#include "platform/EnvGuard.h"

namespace cx {
namespace {

bool LocaleInstalled(const char* name) {
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return false;
    freelocale(locale);
    return true;
}

#define REQUIRE_LOCALE(name)                                                               \
    if (!LocaleInstalled(name))                                                            \
    GTEST_SKIP() << "locale " name " is not installed (localedef -i " << std::string(name) \
                 << " ...)"

TEST(Locale, StrftimeToPatternTranslatesFields) {
    const struct {
        const char* strftime;
        const char* pattern;
    } cases[] = {
        {"%d.%m.%Y", "dd.mm.yyyy"},
        {"%m/%d/%y", "mm/dd/yy"},
        {"%H:%M:%S", "hh:nn:ss"},
        {"%T", "hh:nn:ss"},
        {"%D", "mm/dd/yy"},
        {"%R", "hh:nn"},
        {"%F", "yyyy-mm-dd"},
        {"%e %b %Y", "d mmm yyyy"},
        {"%h", "mmm"},
        {"%-d.%-m.%Y", "d.m.yyyy"},
        {"%Ey", "yy"},
        {"%OH:%OM", "hh:nn"},
        {"%d%%", "dd%"},
        {"%I:%M:%S %p", "hh:nn:ss"},
        {"%p %I:%M", "hh:nn"},
        {"%r", "hh:nn:ss"},
        // Literal letters are quoted so they stay text.
        {"%d de %B", "dd \"de\" mmmm"},
        {"%Y\xEB\x85\x84 %m\xEC\x9B\x94", "yyyy\xEB\x85\x84 mm\xEC\x9B\x94"},
        {"%Z %H", " hh"},
        {"%", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrftimeToPattern(c.strftime), c.pattern) << c.strftime;
    }
}

TEST(Locale, GermanLocaleFormats) {
    REQUIRE_LOCALE("de_DE.UTF-8");
    const tLocaleFormats formats = LocaleFormatsFor("de_DE.UTF-8");
    EXPECT_EQ(formats.shortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(formats.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(formats.decimalSeparator, ',');
    EXPECT_EQ(formats.shortMonthNames[2], "M\xC3\xA4r");  // März in UTF-8
    EXPECT_EQ(formats.shortMonthNames[11], "Dez");
}

TEST(Locale, AmericanLocaleFormatsUseTheTwentyFourHourForm) {
    REQUIRE_LOCALE("en_US.UTF-8");
    const tLocaleFormats formats = LocaleFormatsFor("en_US.UTF-8");
    EXPECT_EQ(formats.shortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(formats.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(formats.decimalSeparator, '.');
    EXPECT_EQ(formats.shortMonthNames[0], "Jan");
}

TEST(Locale, UnknownAndNeutralLocalesGiveDefaults) {
    const tLocaleFormats defaults;
    for (const char* name : {"xx_NOWHERE.UTF-8", "C", "POSIX", ""}) {
        const tLocaleFormats formats = LocaleFormatsFor(name);
        EXPECT_EQ(formats.shortDateFormat, defaults.shortDateFormat) << name;
        EXPECT_EQ(formats.decimalSeparator, defaults.decimalSeparator) << name;
    }
}

TEST(Locale, SystemLocaleFormatsFollowTheEnvironmentByCategory) {
    REQUIRE_LOCALE("de_DE.UTF-8");
    REQUIRE_LOCALE("en_US.UTF-8");
    test::tEnvGuard all("LC_ALL", nullptr);
    test::tEnvGuard lang("LANG", "en_US.UTF-8");
    test::tEnvGuard numeric("LC_NUMERIC", "de_DE.UTF-8");
    test::tEnvGuard time("LC_TIME", nullptr);
    const tLocaleFormats formats = SystemLocaleFormats();
    EXPECT_EQ(formats.shortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(formats.decimalSeparator, ',');
    {
        test::tEnvGuard override("LC_ALL", "de_DE.UTF-8");
        EXPECT_EQ(SystemLocaleFormats().shortDateFormat, "dd.mm.yyyy");
    }
    test::tEnvGuard missing("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(SystemLocaleFormats().shortDateFormat, tLocaleFormats().shortDateFormat);
}

}  // namespace
}  // namespace cx
