// Locale formats through the C library's locale objects, so that no call here
// changes the process locale that other threads may be using.
#include "platform/Locale.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <cerrno>
#include <cstdlib>

#include "platform/TextEncoding.h"

namespace cx {

namespace {

// Owns a locale object for the length of one query.
class tLocaleHandle {
public:
    tLocaleHandle(int categoryMask, const std::string& name)
        : m_locale(newlocale(categoryMask, name.c_str(), static_cast<locale_t>(nullptr))) {}
    ~tLocaleHandle() {
        if (m_locale != static_cast<locale_t>(nullptr)) freelocale(m_locale);
    }
    tLocaleHandle(const tLocaleHandle&) = delete;
    tLocaleHandle& operator=(const tLocaleHandle&) = delete;
    bool Valid() const { return m_locale != static_cast<locale_t>(nullptr); }
    locale_t Get() const { return m_locale; }

private:
    locale_t m_locale;
};

// The C and POSIX locales name no user's formats: they keep the defaults.
bool IsNeutralLocale(const std::string& name) {
    return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// The locale name in force for a category, by the environment's precedence.
std::string EnvironmentLocale(const char* categoryVariable) {
    for (const char* variable : {"LC_ALL", categoryVariable, "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

// Converts a text of the locale's own character set to UTF-8.
std::string LocaleTextToUtf8(const char* text, locale_t locale) {
    std::string bytes = text != nullptr ? text : "";
    if (IsValidUtf8(bytes)) return bytes;
    const char* codeset = nl_langinfo_l(CODESET, locale);
    iconv_t converter = iconv_open("UTF-8", codeset != nullptr ? codeset : "");
    if (converter == reinterpret_cast<iconv_t>(-1)) return ToUtf8(bytes);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = bytes.data();
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (rc == static_cast<size_t>(-1)) return ToUtf8(bytes);
    out.resize(out.size() - outLeft);
    return out;
}

void ReadTimeFormats(locale_t locale, tLocaleFormats& formats) {
    // A locale that leaves a format empty keeps the default one.
    const std::string date =
        StrftimeToPattern(LocaleTextToUtf8(nl_langinfo_l(D_FMT, locale), locale));
    const std::string time =
        StrftimeToPattern(LocaleTextToUtf8(nl_langinfo_l(T_FMT, locale), locale));
    if (!date.empty()) formats.shortDateFormat = date;
    if (!time.empty()) formats.longTimeFormat = time;
    for (int i = 0; i < 12; ++i) {
        const std::string name = LocaleTextToUtf8(nl_langinfo_l(ABMON_1 + i, locale), locale);
        if (!name.empty()) formats.shortMonthNames[static_cast<size_t>(i)] = name;
    }
}

void ReadNumericFormats(locale_t locale, tLocaleFormats& formats) {
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    // A separator of more than one byte cannot be held; such locales keep '.'.
    if (radix != nullptr && radix[0] != '\0' && radix[1] == '\0')
        formats.decimalSeparator = radix[0];
}

// Collects the pattern; runs of literal letters are put in double quotes,
// since the pattern language would otherwise read them as fields.
class tPatternBuilder {
public:
    void Field(const char* field) {
        FlushLetters();
        m_out += field;
    }
    void Literal(char c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            m_letters += c;
            return;
        }
        FlushLetters();
        m_out += c;
    }
    // Removes the blank that separated a dropped am/pm marker from the time.
    void DropTrailingBlank() {
        FlushLetters();
        if (!m_out.empty() && m_out.back() == ' ') m_out.pop_back();
    }
    bool Empty() const { return m_out.empty() && m_letters.empty(); }
    std::string Finish() {
        FlushLetters();
        return m_out;
    }

private:
    void FlushLetters() {
        if (m_letters.empty()) return;
        m_out += '"' + m_letters + '"';
        m_letters.clear();
    }
    std::string m_out;
    std::string m_letters;
};

}  // namespace

std::string StrftimeToPattern(const std::string& strftimePattern) {
    tPatternBuilder out;
    const std::string& p = strftimePattern;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] != '%') {
            out.Literal(p[i]);
            continue;
        }
        if (++i >= p.size()) break;
        // Padding flags: '-' and '_' ask for the unpadded field.
        bool unpadded = false;
        while (i < p.size() &&
               (p[i] == '-' || p[i] == '_' || p[i] == '0' || p[i] == '^' || p[i] == '#')) {
            if (p[i] == '-' || p[i] == '_') unpadded = true;
            ++i;
        }
        // The alternative-era and alternative-digit modifiers do not change the field.
        if (i < p.size() && (p[i] == 'E' || p[i] == 'O')) ++i;
        if (i >= p.size()) break;
        // The pattern language has no 12-hour clock, so 12-hour formats become
        // their 24-hour equivalent and the am/pm marker is dropped.
        switch (p[i]) {
            case 'd':
                out.Field(unpadded ? "d" : "dd");
                break;
            case 'e':
                out.Field("d");
                break;
            case 'm':
                out.Field(unpadded ? "m" : "mm");
                break;
            case 'Y':
                out.Field("yyyy");
                break;
            case 'y':
                out.Field("yy");
                break;
            case 'H':
            case 'I':
                out.Field(unpadded ? "h" : "hh");
                break;
            case 'k':
            case 'l':
                out.Field("h");
                break;
            case 'M':
                out.Field(unpadded ? "n" : "nn");
                break;
            case 'S':
                out.Field(unpadded ? "s" : "ss");
                break;
            case 'b':
            case 'h':
                out.Field("mmm");
                break;
            case 'B':
                out.Field("mmmm");
                break;
            case 'a':
                out.Field("ddd");
                break;
            case 'A':
                out.Field("dddd");
                break;
            case 'T':
            case 'r':
                out.Field("hh:nn:ss");
                break;
            case 'R':
                out.Field("hh:nn");
                break;
            case 'D':
                out.Field("mm/dd/yy");
                break;
            case 'F':
                out.Field("yyyy-mm-dd");
                break;
            case 'n':
            case 't':
                out.Literal(' ');
                break;
            case '%':
                out.Literal('%');
                break;
            case 'p':
            case 'P':
                out.DropTrailingBlank();
                // A marker in front of the time takes its following blank along.
                if (out.Empty() && i + 1 < p.size() && p[i + 1] == ' ') ++i;
                break;
            default:
                // A field the pattern language cannot express (zone, week
                // number, ...) is left out rather than shown wrongly.
                break;
        }
    }
    return out.Finish();
}

tLocaleFormats LocaleFormatsFor(const std::string& localeName) {
    tLocaleFormats formats;
    if (IsNeutralLocale(localeName)) return formats;
    tLocaleHandle locale(LC_ALL_MASK, localeName);
    if (!locale.Valid()) return formats;
    ReadTimeFormats(locale.Get(), formats);
    ReadNumericFormats(locale.Get(), formats);
    return formats;
}

tLocaleFormats SystemLocaleFormats() {
    tLocaleFormats formats;
    const std::string timeName = EnvironmentLocale("LC_TIME");
    if (!IsNeutralLocale(timeName)) {
        // LC_CTYPE of the same name gives nl_langinfo the matching code set.
        tLocaleHandle locale(LC_TIME_MASK | LC_CTYPE_MASK, timeName);
        if (locale.Valid()) ReadTimeFormats(locale.Get(), formats);
    }
    const std::string numericName = EnvironmentLocale("LC_NUMERIC");
    if (!IsNeutralLocale(numericName)) {
        tLocaleHandle locale(LC_NUMERIC_MASK, numericName);
        if (locale.Valid()) ReadNumericFormats(locale.Get(), formats);
    }
    return formats;
}

}  // namespace cx
