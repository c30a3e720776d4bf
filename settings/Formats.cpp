// printf-style Format over typed arguments. Numbers are written with
// std::to_chars, so the result never depends on the C locale, and the text is
// assembled here under fixed caps rather than handed to snprintf.
#include "settings/Formats.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace cx {
namespace {

struct tDirective {
    bool leftAlign = false;
    bool plusSign = false;
    bool blankSign = false;
    bool zeroPad = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char conversion = 0;
};

// Reads a run of digits, saturating at the cap.
int ReadNumber(std::string_view p, size_t& i) {
    int value = 0;
    while (i < p.size() && p[i] >= '0' && p[i] <= '9') {
        value = std::min(value * 10 + (p[i] - '0'), kMaxFormatWidth);
        ++i;
    }
    return value;
}

bool ParseIntegerText(const std::string& text, int64_t& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ') ++first;
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last && first != last;
}

bool ParseFloatText(const std::string& text, double& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ') ++first;
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last && first != last;
}

// An integer from any argument: floats round half to even and saturate.
bool AsInteger(const tFormatArg& arg, int64_t& out) {
    if (const auto* i = std::get_if<int64_t>(&arg)) {
        out = *i;
        return true;
    }
    double d = 0;
    if (const auto* f = std::get_if<double>(&arg)) {
        d = *f;
    } else if (ParseIntegerText(std::get<std::string>(arg), out)) {
        return true;
    } else if (!ParseFloatText(std::get<std::string>(arg), d)) {
        return false;
    }
    if (!std::isfinite(d)) return false;
    d = std::nearbyint(d);
    if (d >= 9223372036854775807.0) {
        out = std::numeric_limits<int64_t>::max();
    } else if (d <= -9223372036854775808.0) {
        out = std::numeric_limits<int64_t>::min();
    } else {
        out = static_cast<int64_t>(d);
    }
    return true;
}

bool AsFloat(const tFormatArg& arg, double& out) {
    if (const auto* f = std::get_if<double>(&arg)) {
        out = *f;
        return true;
    }
    if (const auto* i = std::get_if<int64_t>(&arg)) {
        out = static_cast<double>(*i);
        return true;
    }
    return ParseFloatText(std::get<std::string>(arg), out);
}

std::string ShortestFloat(double value, char decimalSeparator) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, result.ptr);
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

// Cuts a text to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// Pads `body` (which follows `sign`) to the width: blanks on the left or
// right, or zeros between sign and digits.
void AppendPadded(std::string& out, const tDirective& directive, std::string_view sign,
                  std::string_view body, bool zeroAllowed) {
    const size_t length = sign.size() + body.size();
    const size_t pad = directive.width > 0 && static_cast<size_t>(directive.width) > length
                           ? static_cast<size_t>(directive.width) - length
                           : 0;
    if (directive.leftAlign) {
        out += sign;
        out += body;
        out.append(pad, ' ');
    } else if (directive.zeroPad && zeroAllowed) {
        out += sign;
        out.append(pad, '0');
        out += body;
    } else {
        out.append(pad, ' ');
        out += sign;
        out += body;
    }
}

std::string_view SignFor(bool negative, const tDirective& directive) {
    if (negative) return "-";
    if (directive.plusSign) return "+";
    if (directive.blankSign) return " ";
    return "";
}

void AppendInteger(std::string& out, const tDirective& directive, int64_t value) {
    char buf[32];
    const bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
    const bool negative = isSigned && value < 0;
    std::to_chars_result result;
    if (isSigned) {
        // The magnitude as unsigned, so the most negative value has one too.
        uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : value;
        result = std::to_chars(buf, buf + sizeof buf, magnitude);
    } else {
        const int base = directive.conversion == 'u' ? 10 : 16;
        result = std::to_chars(buf, buf + sizeof buf, static_cast<uint64_t>(value), base);
        if (directive.conversion == 'X') std::transform(buf, result.ptr, buf, ::toupper);
    }
    std::string digits(buf, result.ptr);
    if (directive.precision >= 0 && digits.size() < static_cast<size_t>(directive.precision)) {
        digits.insert(0, static_cast<size_t>(directive.precision) - digits.size(), '0');
    }
    if (directive.precision == 0 && value == 0) digits.clear();
    std::string sign(isSigned ? SignFor(negative, directive) : "");
    if (directive.alternate && value != 0 &&
        (directive.conversion == 'x' || directive.conversion == 'X')) {
        sign = directive.conversion == 'x' ? "0x" : "0X";
    }
    AppendPadded(out, directive, sign, digits, directive.precision < 0);
}

void AppendFloat(std::string& out, const tDirective& directive, double value,
                 char decimalSeparator) {
    const bool negative = std::signbit(value) && !std::isnan(value);
    const double magnitude = std::fabs(value);
    std::string body;
    bool finite = std::isfinite(magnitude);
    if (!finite) {
        body = std::isnan(magnitude) ? "nan" : "inf";
    } else {
        const int precision = directive.precision < 0 ? 6 : directive.precision;
        std::chars_format format = std::chars_format::fixed;
        char lower =
            static_cast<char>(std::tolower(static_cast<unsigned char>(directive.conversion)));
        if (lower == 'e') format = std::chars_format::scientific;
        if (lower == 'g') format = std::chars_format::general;
        // 309 integer digits, the capped precision and a little room for the rest.
        std::string buf(static_cast<size_t>(precision) + 340, '\0');
        auto result = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude, format,
                                    lower == 'g' && precision == 0 ? 1 : precision);
        body.assign(buf.data(), result.ptr);
        if (directive.alternate && body.find('.') == std::string::npos && lower != 'g') {
            size_t exponent = body.find('e');
            body.insert(exponent == std::string::npos ? body.size() : exponent, ".");
        }
    }
    if (std::isupper(static_cast<unsigned char>(directive.conversion))) {
        std::transform(body.begin(), body.end(), body.begin(), ::toupper);
    }
    std::replace(body.begin(), body.end(), '.', decimalSeparator);
    AppendPadded(out, directive, SignFor(negative, directive), body, finite);
}

void AppendText(std::string& out, const tDirective& directive, const tFormatArg& arg,
                char decimalSeparator) {
    std::string owned;
    std::string_view text;
    if (const auto* s = std::get_if<std::string>(&arg)) {
        text = *s;
    } else if (const auto* i = std::get_if<int64_t>(&arg)) {
        owned = std::to_string(*i);
        text = owned;
    } else {
        owned = ShortestFloat(std::get<double>(arg), decimalSeparator);
        text = owned;
    }
    if (directive.precision >= 0) text = CutUtf8(text, static_cast<size_t>(directive.precision));
    AppendPadded(out, directive, "", text, false);
}

bool IsConversion(char c) {
    return std::string_view("diuxXsfeEgG").find(c) != std::string_view::npos;
}

bool IsLengthModifier(char c) {
    return std::string_view("hlLqjzt").find(c) != std::string_view::npos;
}

}  // namespace

std::string Format(std::string_view pattern, std::span<const tFormatArg> args,
                   char decimalSeparator) {
    std::string out;
    out.reserve(pattern.size() + 16);
    size_t nextArg = 0;
    // The next argument, or nothing when the caller passed fewer.
    auto takeArg = [&]() -> const tFormatArg* {
        if (nextArg >= args.size()) {
            ++nextArg;
            return nullptr;
        }
        return &args[nextArg++];
    };
    auto takeStarValue = [&](int& target, bool& negative) {
        const tFormatArg* arg = takeArg();
        int64_t value = 0;
        if (arg != nullptr && AsInteger(*arg, value)) {
            negative = value < 0;
            if (value < 0) value = value < -kMaxFormatWidth ? kMaxFormatWidth : -value;
            target = static_cast<int>(std::min<int64_t>(value, kMaxFormatWidth));
        } else {
            negative = false;
            target = 0;
        }
    };

    size_t i = 0;
    while (i < pattern.size()) {
        const size_t percent = pattern.find('%', i);
        if (percent == std::string_view::npos) {
            out += pattern.substr(i);
            break;
        }
        out += pattern.substr(i, percent - i);
        size_t p = percent + 1;
        if (p < pattern.size() && pattern[p] == '%') {
            out += '%';
            i = p + 1;
            continue;
        }

        tDirective directive;
        // An argument index "n:" selects the argument; the next ones follow it.
        {
            size_t q = p;
            int index = ReadNumber(pattern, q);
            if (q > p && q < pattern.size() && pattern[q] == ':') {
                nextArg = static_cast<size_t>(index);
                p = q + 1;
            }
        }
        while (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '-') {
                directive.leftAlign = true;
            } else if (c == '+') {
                directive.plusSign = true;
            } else if (c == ' ') {
                directive.blankSign = true;
            } else if (c == '0') {
                directive.zeroPad = true;
            } else if (c == '#') {
                directive.alternate = true;
            } else {
                break;
            }
            ++p;
        }
        if (p < pattern.size() && pattern[p] == '*') {
            bool negative = false;
            takeStarValue(directive.width, negative);
            if (negative) directive.leftAlign = true;
            ++p;
        } else {
            directive.width = ReadNumber(pattern, p);
        }
        if (p < pattern.size() && pattern[p] == '.') {
            ++p;
            if (p < pattern.size() && pattern[p] == '*') {
                bool negative = false;
                takeStarValue(directive.precision, negative);
                if (negative) directive.precision = -1;
                ++p;
            } else {
                directive.precision = ReadNumber(pattern, p);
            }
        }
        while (p < pattern.size() && IsLengthModifier(pattern[p])) ++p;
        if (p >= pattern.size() || !IsConversion(pattern[p])) {
            // Not a specifier of this language: copy the text as it stands.
            const size_t end = std::min(p + 1, pattern.size());
            out += pattern.substr(percent, end - percent);
            i = end;
            continue;
        }
        directive.conversion = pattern[p];
        i = p + 1;

        const tFormatArg* arg = takeArg();
        if (arg == nullptr) continue;
        switch (directive.conversion) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X': {
                int64_t value = 0;
                double fallback = 0;
                if (AsInteger(*arg, value)) {
                    AppendInteger(out, directive, value);
                } else if (AsFloat(*arg, fallback)) {
                    // A float with no integer value (infinite, not a number).
                    AppendFloat(out, directive, fallback, decimalSeparator);
                } else {
                    AppendText(out, directive, *arg, decimalSeparator);
                }
                break;
            }
            case 's':
                AppendText(out, directive, *arg, decimalSeparator);
                break;
            default: {
                double value = 0;
                if (AsFloat(*arg, value)) {
                    AppendFloat(out, directive, value, decimalSeparator);
                } else {
                    AppendText(out, directive, *arg, decimalSeparator);
                }
                break;
            }
        }
    }
    return out;
}

}  // namespace cx
