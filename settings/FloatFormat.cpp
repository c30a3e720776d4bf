// FormatFloat: digit patterns. The value is rounded once, by std::to_chars to
// the pattern's number of decimals (exact decimal rounding of the binary value,
// ties to even), and the digits are then laid out over the pattern.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "settings/Formats.h"

namespace cx {
namespace {

struct tToken {
    enum tKind { Digit, Point, Group, Literal } kind;
    char digit = 0;    // '0' or '#'
    std::string text;  // the literal
};

struct tSection {
    std::vector<tToken> intTokens;   // everything before the decimal point
    std::vector<tToken> fracTokens;  // everything after it
    bool hasPoint = false;
    bool grouping = false;
    int minInt = 0;   // digits from the first '0' up to the point
    int maxFrac = 0;  // digit places after the point
    int minFrac = 0;  // up to the last '0' after the point
    int intPlaces = 0;
};

// Splits the pattern into at most three sections at ";" outside quotes.
std::vector<std::string_view> SplitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';' && sections.size() < 2) {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

tSection ParseSection(std::string_view text) {
    tSection section;
    std::vector<tToken>* target = &section.intTokens;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const size_t close = text.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            target->push_back({tToken::Literal, 0, std::string(text.substr(i + 1, end - i - 1))});
            i = end;
        } else if (c == '0' || c == '#') {
            target->push_back({tToken::Digit, c, {}});
        } else if (c == '.' && !section.hasPoint) {
            section.hasPoint = true;
            target = &section.fracTokens;
        } else if (c == ',' && !section.hasPoint) {
            section.grouping = true;
        } else {
            target->push_back({tToken::Literal, 0, std::string(1, c)});
        }
    }
    bool seenZero = false;
    for (const tToken& token : section.intTokens) {
        if (token.kind != tToken::Digit) continue;
        ++section.intPlaces;
        if (token.digit == '0') seenZero = true;
        if (seenZero) ++section.minInt;
    }
    for (const tToken& token : section.fracTokens) {
        if (token.kind != tToken::Digit) continue;
        ++section.maxFrac;
        if (token.digit == '0') section.minFrac = section.maxFrac;
    }
    return section;
}

std::string Group(const std::string& digits, char thousandSeparator) {
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += thousandSeparator;
        out += digits[i];
    }
    return out;
}

// The digits of |value| rounded to `decimals` places, split at the point.
void RoundedDigits(double magnitude, int decimals, std::string& intDigits,
                   std::string& fracDigits) {
    std::string buf(static_cast<size_t>(decimals) + 340, '\0');
    auto result = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                std::chars_format::fixed, decimals);
    std::string_view text(buf.data(), static_cast<size_t>(result.ptr - buf.data()));
    const size_t point = text.find('.');
    intDigits = std::string(text.substr(0, point));
    fracDigits =
        point == std::string_view::npos ? std::string() : std::string(text.substr(point + 1));
}

bool AllZero(const std::string& a, const std::string& b) {
    auto zero = [](char c) { return c == '0'; };
    return std::all_of(a.begin(), a.end(), zero) && std::all_of(b.begin(), b.end(), zero);
}

std::string LayOut(const tSection& section, const std::string& digitsBeforePoint,
                   const std::string& digitsAfterPoint, char decimalSeparator,
                   char thousandSeparator) {
    std::string intDigits = digitsBeforePoint;
    // A zero integer part shows only as far as required digits ask for it.
    if (intDigits == "0") intDigits.clear();
    if (intDigits.size() < static_cast<size_t>(section.minInt)) {
        intDigits.insert(0, static_cast<size_t>(section.minInt) - intDigits.size(), '0');
    }
    std::string fracDigits = digitsAfterPoint;
    while (fracDigits.size() > static_cast<size_t>(section.minFrac) && fracDigits.back() == '0') {
        fracDigits.pop_back();
    }

    // Integer part: placeholders are filled from the right; the leftmost one
    // takes every digit that is left over, literals stay where they stand.
    std::vector<std::string> chunks;
    std::string integerText = section.grouping ? Group(intDigits, thousandSeparator) : intDigits;
    if (section.grouping) {
        // Grouped digits form one block at the first placeholder.
        bool placed = false;
        for (const tToken& token : section.intTokens) {
            if (token.kind == tToken::Literal) {
                chunks.push_back(token.text);
            } else if (!placed) {
                chunks.push_back(integerText);
                placed = true;
            }
        }
        if (!placed) chunks.push_back(integerText);
    } else {
        size_t remaining = intDigits.size();
        int placesLeft = section.intPlaces;
        std::vector<std::string> reversed;
        // A pattern without integer places still shows the integer digits, just
        // before the point.
        if (section.intPlaces == 0) reversed.push_back(intDigits);
        for (auto it = section.intTokens.rbegin(); it != section.intTokens.rend(); ++it) {
            if (it->kind == tToken::Literal) {
                reversed.push_back(it->text);
                continue;
            }
            --placesLeft;
            if (placesLeft == 0) {
                reversed.push_back(intDigits.substr(0, remaining));
                remaining = 0;
            } else if (remaining > 0) {
                reversed.push_back(intDigits.substr(remaining - 1, 1));
                --remaining;
            }
        }
        chunks.assign(reversed.rbegin(), reversed.rend());
    }

    std::string out;
    for (const std::string& chunk : chunks) out += chunk;
    if (!fracDigits.empty()) out += decimalSeparator;
    size_t used = 0;
    for (const tToken& token : section.fracTokens) {
        if (token.kind == tToken::Literal) {
            out += token.text;
        } else if (used < fracDigits.size()) {
            out += fracDigits[used++];
        }
    }
    return out;
}

}  // namespace

std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator,
                        char thousandSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (pattern.empty()) {
        char buf[64];
        auto result = std::to_chars(buf, buf + sizeof buf, value);
        std::string text(buf, result.ptr);
        std::replace(text.begin(), text.end(), '.', decimalSeparator);
        return text;
    }

    const std::vector<std::string_view> sections = SplitSections(pattern);
    const tSection positive = ParseSection(sections[0]);
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    const tSection* chosen = &positive;
    tSection negativeSection;
    bool useOwnNegative = false;
    if (negative && sections.size() >= 2 && !sections[1].empty()) {
        negativeSection = ParseSection(sections[1]);
        chosen = &negativeSection;
        useOwnNegative = true;
    }
    std::string intDigits, fracDigits;
    RoundedDigits(magnitude, chosen->maxFrac, intDigits, fracDigits);

    // A value that rounds to zero takes the zero section and shows no sign.
    if (AllZero(intDigits, fracDigits)) {
        if (sections.size() >= 3 && !sections[2].empty()) {
            const tSection zero = ParseSection(sections[2]);
            RoundedDigits(0.0, zero.maxFrac, intDigits, fracDigits);
            return LayOut(zero, intDigits, fracDigits, decimalSeparator, thousandSeparator);
        }
        RoundedDigits(0.0, positive.maxFrac, intDigits, fracDigits);
        return LayOut(positive, intDigits, fracDigits, decimalSeparator, thousandSeparator);
    }
    std::string text = LayOut(*chosen, intDigits, fracDigits, decimalSeparator, thousandSeparator);
    if (negative && !useOwnNegative) text.insert(text.begin(), '-');
    return text;
}

std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator) {
    return FormatFloat(pattern, value, decimalSeparator, decimalSeparator == ',' ? '.' : ',');
}

}  // namespace cx
