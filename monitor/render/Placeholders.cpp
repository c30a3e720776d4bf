// The placeholder expander. Each placeholder's replacement is worked out only
// when the text holds it, so a text without placeholders costs a few scans.
#include "monitor/render/Placeholders.h"

#include <cctype>
#include <exception>
#include <iterator>

#include "platform/SystemInfo.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"
#include "settings/ValueFormats.h"

namespace cx {
namespace {

constexpr char kUptimeFormat[] = "%d d %.2d:%.2d:%.2d h";

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The position of `pattern` in `text` from `from` on, without regard to case.
size_t FindNoCase(std::string_view text, std::string_view pattern, size_t from = 0) {
    if (pattern.empty() || text.size() < pattern.size()) return std::string_view::npos;
    for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < pattern.size() && Lower(text[i + k]) == Lower(pattern[k])) ++k;
        if (k == pattern.size()) return i;
    }
    return std::string_view::npos;
}

// Replaces every occurrence of `pattern`; the replacement is asked for once,
// and only when there is an occurrence. Inserted text is not scanned again.
template <typename tMake>
void ReplaceAll(std::string& text, std::string_view pattern, tMake&& makeReplacement) {
    size_t at = FindNoCase(text, pattern);
    if (at == std::string::npos) return;
    const std::string replacement = makeReplacement();
    while (at != std::string::npos) {
        text.replace(at, pattern.size(), replacement);
        at = FindNoCase(text, pattern, at + replacement.size());
    }
}

// The same for a value that may be unknown: an unknown one leaves the text.
template <typename tMake>
void ReplaceKnown(std::string& text, std::string_view pattern, bool known,
                  tMake&& makeReplacement) {
    if (known) ReplaceAll(text, pattern, std::forward<tMake>(makeReplacement));
}

std::string UptimeText(int days, int hours, int minutes, int seconds) {
    return Format(kUptimeFormat, days, hours, minutes, seconds);
}

// Cuts a text to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

std::string CurrentUserName(const tPlaceholderContext& context) {
    try {
        std::optional<std::string> name = context.system.userName();
        if (!name) {
            context.events.WriteEvent("gcu1 the user name of this process is unknown");
            return {};
        }
        return CutUtf8(std::move(*name), kMaxUserNameLength);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("gcu1 ") + e.what());
        return {};
    }
}

// Every "%env" NAME "%" becomes the variable's value, scanning once from left
// to right: a value that itself holds "%env...%" is not expanded again, so a
// variable cannot make the expansion run without end.
void ReplaceEnvironment(std::string& text, const tPlaceholderContext& context) {
    constexpr std::string_view kMark = "%env";
    size_t at = FindNoCase(text, kMark);
    while (at != std::string::npos) {
        const size_t close = text.find('%', at + kMark.size());
        if (close == std::string::npos) break;
        const std::string name = text.substr(at + kMark.size(), close - at - kMark.size());
        const std::string value = context.system.environmentValue(name);
        text.replace(at, close + 1 - at, value);
        at = FindNoCase(text, kMark, at + value.size());
    }
}

void ExpandBase(std::string& text, TDateTime time, const tPlaceholderContext& context) {
    const tReadingSet& rs = context.rs;
    const tSample& sample = rs.sample;
    const char separator = context.locale.decimalSeparator;
    const tValueFormatContext formats{context.settings, context.messages, context.locale};
    auto kilobytes = [&](double value) {
        return [&formats, value] { return FormatKilobytes(value, formats); };
    };
    auto interval = [&](double milliseconds) {
        return [&context, separator, milliseconds] {
            return FormatFloat("0.#", milliseconds / 60000.0, separator) + " " +
                   context.messages.Text("Minutes");
        };
    };

    ReplaceAll(text, "%freq%", [&] {
        if (sample.Clock == kNoValue32 || sample.Clock <= 0) return std::string("???");
        return FormatFloat("0.##", sample.Clock / 1000.0, separator);
    });
    ReplaceAll(text, "%mem%", kilobytes(rs.memTotal));
    ReplaceAll(text, "%freemem%", kilobytes(sample.MemFree));
    ReplaceAll(text, "%allocmem%", kilobytes(sample.MemUsed));
    ReplaceAll(text, "%intread%", interval(context.settings.ReadTemp));
    ReplaceAll(text, "%lighttime%", interval(kLightTime));
    ReplaceAll(text, "%bannertime%", interval(kBannerTime));
    ReplaceAll(text, "%userid%", [&] { return CurrentUserName(context); });
    ReplaceAll(text, "%hostid%", [&] { return context.system.hostName(); });
    ReplaceAll(text, "%uptime%", [&] {
        return UptimeText(rs.uptimeDays, rs.uptimeHours, rs.uptimeMinutes, rs.uptimeSeconds);
    });
    auto displayTime = [&] {
        return UTCToDisplay(time, context.zoneRules, context.settings.TimeInUTC);
    };
    ReplaceAll(text, "%date%",
               [&] { return FormatDateTime("yyyymmdd", displayTime(), context.locale); });
    ReplaceAll(text, "%time%",
               [&] { return FormatDateTime("hhnnss", displayTime(), context.locale); });
    ReplaceEnvironment(text, context);

    for (int n = 1; n <= static_cast<int>(std::size(sample.T)); ++n) {
        const std::string number = std::to_string(n);
        const int16_t t = sample.T[n - 1];
        const int16_t f = sample.F[n - 1];
        const int16_t v = sample.V[n - 1];
        ReplaceKnown(text, "%t" + number + "%", t != kNoValue16,
                     [&] { return FormatTemperature(t, formats); });
        ReplaceKnown(text, "%f" + number + "%", f != kNoValue16, [&] {
            if (f < 0) {
                return FormatFloat("0.#", -f / 100.0, separator) + " " +
                       context.messages.Text("LH");
            }
            return std::to_string(f) + " " + context.messages.Text("RPM");
        });
        ReplaceKnown(text, "%v" + number + "%", v != kNoValue16, [&] {
            return FormatFloat("0.##", v / 100.0, separator) + " " + context.messages.Text("Volt");
        });
    }
    for (int n = 1; n <= static_cast<int>(std::size(sample.CPU)); ++n) {
        const int16_t load = sample.CPU[n - 1];
        ReplaceKnown(text, "%cpu" + std::to_string(n) + "%", load != kNoValue16,
                     [&] { return FormatFloat("0.#", load / 100.0, separator) + " %"; });
    }
    ReplaceAll(text, "%allocmempage%", kilobytes(sample.PageUsed));
    ReplaceAll(text, "%freemempage%", kilobytes(sample.PageFree));
    ReplaceAll(text, "%mempage%", kilobytes(rs.pageTotal));
    ReplaceAll(text, "%memcache%", kilobytes(sample.Cache));
}

void ExpandNetworkAndRecord(std::string& text, const tPlaceholderContext& context) {
    if (FindNoCase(text, "%ip") != std::string::npos) {
        const std::vector<std::string> addresses = context.system.localIPAddresses();
        ReplaceAll(text, "%ip%", [&] {
            std::string joined;
            for (const std::string& address : addresses) {
                if (!joined.empty()) joined += ", ";
                joined += address;
            }
            return joined;
        });
        for (size_t n = 0; n <= 9; ++n) {
            ReplaceAll(text, "%ip" + std::to_string(n) + "%",
                       [&] { return n < addresses.size() ? addresses[n] : std::string(); });
        }
    }
    if (context.settings.ReadUpTime) {
        const tSettings& s = context.settings;
        ReplaceAll(text, "%uptimerecord%", [&] {
            return UptimeText(s.upRecDays, s.upRecHours, s.upRecMinutes, s.upRecSecs);
        });
    }
}

}  // namespace

tSystemFacts PlatformSystemFacts() {
    return {UserName, HostName, LocalIPAddresses, EnvironmentValue};
}

std::string ExpandPlaceholders(std::string_view text, TDateTime time,
                               const tPlaceholderContext& context) {
    std::string result(text);
    try {
        ExpandBase(result, time, context);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("sa1 ") + e.what());
    }
    return result;
}

std::string ExpandAllPlaceholders(std::string_view text, TDateTime time,
                                  const tPlaceholderContext& context) {
    std::string result = ExpandPlaceholders(text, time, context);
    try {
        ExpandNetworkAndRecord(result, context);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("sa21 ") + e.what());
    }
    return result;
}

}  // namespace cx
