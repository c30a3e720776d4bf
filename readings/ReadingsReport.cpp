#include "readings/ReadingsReport.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/TextEncoding.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"

namespace cx {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr std::string_view kNoValueText = "-";

std::optional<int64_t> Stored16(int16_t value) {
    if (value == kNoValue16) return std::nullopt;
    return value;
}

std::optional<int64_t> Stored32(int32_t value) {
    if (value == kNoValue32) return std::nullopt;
    return value;
}

// A value the settings give no label.
void AddSlot(std::vector<tReportSlot>& slots, std::string key, tReportUnit unit,
             std::optional<int64_t> stored, bool shown) {
    slots.push_back({std::move(key), "", false, unit, stored, shown && stored.has_value()});
}

void AddNamedSlot(std::vector<tReportSlot>& slots, std::string key, std::string label,
                  tReportUnit unit, std::optional<int64_t> stored) {
    slots.push_back({std::move(key), std::move(label), true, unit, stored, stored.has_value()});
}

// The slots of one group (T, V, F, CPU). The record is packed, so `value`
// copies each field out by index instead of handing out references to it.
template <size_t N, typename tValueOf>
void AddSlotGroup(std::vector<tReportSlot>& slots, const char* prefix,
                  const std::array<std::string, N>& names, tReportUnit unit, tValueOf value) {
    for (size_t n = 0; n < N; ++n) {
        AddNamedSlot(slots, prefix + std::to_string(n + 1), names[n], unit, Stored16(value(n)));
    }
}

// "3 d 04:05:06", or "04:05:06" below one day.
std::string FormatDuration(int64_t seconds) {
    const bool negative = seconds < 0;
    uint64_t rest = negative ? 0 - static_cast<uint64_t>(seconds) : static_cast<uint64_t>(seconds);
    const uint64_t days = rest / 86400;
    rest %= 86400;
    char text[64];
    if (days > 0) {
        std::snprintf(text, sizeof text, "%s%llu d %02llu:%02llu:%02llu", negative ? "-" : "",
                      static_cast<unsigned long long>(days),
                      static_cast<unsigned long long>(rest / 3600),
                      static_cast<unsigned long long>(rest / 60 % 60),
                      static_cast<unsigned long long>(rest % 60));
    } else {
        std::snprintf(text, sizeof text, "%s%02llu:%02llu:%02llu", negative ? "-" : "",
                      static_cast<unsigned long long>(rest / 3600),
                      static_cast<unsigned long long>(rest / 60 % 60),
                      static_cast<unsigned long long>(rest % 60));
    }
    return text;
}

std::string FormatValue(const tReportSlot& slot, const tReportContext& context) {
    const tValueFormatContext& f = context.formats;
    const char separator = f.locale.decimalSeparator;
    const double value = static_cast<double>(*slot.stored);
    switch (slot.unit) {
        case tReportUnit::Temperature:
            return FormatTemperature(value, f);
        case tReportUnit::Voltage:
            return FormatFloat("0.00", value / 100.0, separator) + " " + f.messages.Text("V");
        case tReportUnit::Fan:
            if (value < 0) return FormatFloat("0.#", -value / 100.0, separator) + " %";
            return FormatFloat("0", value, separator) + " " + f.messages.Text("RPM");
        case tReportUnit::Load:
            return FormatFloat("0.#", value / 100.0, separator) + " %";
        case tReportUnit::Kilobytes:
            return FormatKilobytes(value, f);
        case tReportUnit::ClockKHz:
            return FormatFloat("0", value / 1000.0, separator) + " MHz";
        case tReportUnit::Battery:
            if (context.rs.batRelative) return FormatFloat("0", value, separator);
            return FormatFloat("0", value, separator) + " mWh";
        case tReportUnit::Flag:
            return value != 0 ? "yes" : "no";
        case tReportUnit::Seconds:
            return FormatDuration(*slot.stored);
        case tReportUnit::Count:
            return FormatFloat("0", value, separator);
    }
    return std::string(kNoValueText);
}

// A label on one table line: valid UTF-8, control characters as blanks.
std::string TableText(std::string_view text) {
    std::string line = ToUtf8(text);
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return line;
}

// Characters on screen, counted as UTF-8 code points.
size_t DisplayWidth(std::string_view text) {
    size_t width = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

struct tTableLine {
    std::string key, label, value;
};

std::string AlignedTable(const std::vector<tTableLine>& lines) {
    size_t keyWidth = 0, labelWidth = 0;
    for (const tTableLine& line : lines) {
        keyWidth = std::max(keyWidth, DisplayWidth(line.key));
        labelWidth = std::max(labelWidth, DisplayWidth(line.label));
    }
    std::string out;
    for (const tTableLine& line : lines) {
        out += line.key;
        out.append(keyWidth - DisplayWidth(line.key) + 2, ' ');
        out += line.label;
        out.append(labelWidth - DisplayWidth(line.label) + 2, ' ');
        out += line.value;
        out += '\n';
    }
    return out;
}

}  // namespace

std::vector<tReportSlot> CollectReportSlots(const tReadingSet& rs, const tSettings& settings) {
    const tSample& s = rs.sample;
    std::vector<tReportSlot> slots;
    slots.reserve(64);
    AddSlotGroup(slots, "T", settings.nameT, tReportUnit::Temperature,
                 [&](size_t n) { return s.T[n]; });
    AddSlotGroup(slots, "V", settings.nameV, tReportUnit::Voltage,
                 [&](size_t n) { return s.V[n]; });
    AddSlotGroup(slots, "F", settings.nameF, tReportUnit::Fan, [&](size_t n) { return s.F[n]; });
    AddSlotGroup(slots, "CPU", settings.nameCPU, tReportUnit::Load,
                 [&](size_t n) { return s.CPU[n]; });
    for (size_t n = 0; n < kNetSlots; ++n) {
        const std::string number = std::to_string(n + 1);
        const int32_t in = s.NetIn[n], out = s.NetOut[n];
        AddNamedSlot(slots, "Net" + number + "In", settings.nameNet[n], tReportUnit::Kilobytes,
                     Stored32(in));
        AddNamedSlot(slots, "Net" + number + "Out", settings.nameNet[n], tReportUnit::Kilobytes,
                     Stored32(out));
    }
    // A clock of 0 is a pass that found no clock to read.
    AddSlot(slots, "clock", tReportUnit::ClockKHz, Stored32(s.Clock), s.Clock > 0);
    AddSlot(slots, "maxClock", tReportUnit::ClockKHz, rs.maxClock, rs.maxClock > 0);
    AddSlot(slots, "memUsed", tReportUnit::Kilobytes, Stored32(s.MemUsed), true);
    AddSlot(slots, "memFree", tReportUnit::Kilobytes, Stored32(s.MemFree), true);
    AddSlot(slots, "pageUsed", tReportUnit::Kilobytes, Stored32(s.PageUsed), true);
    AddSlot(slots, "pageFree", tReportUnit::Kilobytes, Stored32(s.PageFree), true);
    AddSlot(slots, "cache", tReportUnit::Kilobytes, Stored32(s.Cache), true);
    // A full capacity of 0 means there is no battery; the other battery
    // fields mean nothing then.
    const bool battery = s.BatFull != 0;
    AddSlot(slots, "batteryRemaining", tReportUnit::Battery, Stored32(s.BatRemaining), battery);
    AddSlot(slots, "batteryFull", tReportUnit::Battery, s.BatFull, battery);
    AddSlot(slots, "onMains", tReportUnit::Flag, s.OnMains, battery);
    AddSlot(slots, "uptime", tReportUnit::Seconds, rs.uptime, rs.uptime > 0);
    AddSlot(slots, "processorCount", tReportUnit::Count, rs.processorCount, rs.processorCount > 0);
    AddSlot(slots, "activeSeconds", tReportUnit::Seconds, rs.sample2.ActiveSeconds, true);
    return slots;
}

std::string FormatReadingsTable(const tReportContext& context, bool all) {
    std::vector<tTableLine> lines;
    for (const tReportSlot& slot : CollectReportSlots(context.rs, context.settings)) {
        if (!slot.shown && !all) continue;
        lines.push_back({slot.key, TableText(slot.label),
                         slot.shown ? FormatValue(slot, context) : std::string(kNoValueText)});
    }
    const tValueFormatContext& f = context.formats;
    for (size_t n = 0; n < context.rs.diskSlots.size(); ++n) {
        const tDiskSlotReading& disk = context.rs.diskSlots[n];
        const bool known = disk.total > 0;
        if (!known && !all) continue;
        std::string value(kNoValueText);
        if (known) {
            value = FormatKilobytes(static_cast<double>(disk.free), f) + " " +
                    f.messages.Text("Free") + " / " +
                    FormatKilobytes(static_cast<double>(disk.total), f);
        }
        lines.push_back({"Disk" + std::to_string(n + 1), TableText(disk.label), value});
    }
    const TDateTime time = context.rs.sample.time;
    if (time != 0 || all) {
        std::string value(kNoValueText);
        if (time != 0 && std::isfinite(time)) {
            const TDateTime shown = UTCToDisplay(time, context.zone, context.settings.TimeInUTC);
            value = FormatDateTime(f.locale.shortDateFormat + " " + f.locale.longTimeFormat, shown,
                                   f.locale);
            if (context.settings.TimeInUTC) value += " UTC";
        }
        lines.push_back({"time", "", value});
    }
    return AlignedTable(lines);
}

std::string JsonString(std::string_view text) {
    const std::string utf8 = ToUtf8(text);
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::optional<std::string> IsoUtcTime(TDateTime t) {
    if (!std::isfinite(t)) return std::nullopt;
    const double whole = std::nearbyint((t - kUnixEpochDays) * kSecondsPerDay);
    // Years 1..9999 keep the four-digit form of ISO 8601 and every step in range.
    constexpr double kFirst = -62135596800.0;  // 0001-01-01T00:00:00Z
    constexpr double kLast = 253402300799.0;   // 9999-12-31T23:59:59Z
    if (whole < kFirst || whole > kLast) return std::nullopt;
    using namespace std::chrono;
    const sys_seconds stamp{seconds(static_cast<int64_t>(whole))};
    const sys_days day = floor<days>(stamp);
    const year_month_day date{day};
    const hh_mm_ss<seconds> clock{stamp - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return std::string(text);
}

std::string FormatReadingsJson(const tReadingSet& rs, const tSettings& settings) {
    const std::vector<tReportSlot> slots = CollectReportSlots(rs, settings);
    std::string out = "{\n";
    for (const tReportSlot& slot : slots) {
        out += "  " + JsonString(slot.key) + ": ";
        if (!slot.stored) {
            out += "null";
        } else if (slot.unit == tReportUnit::Flag) {
            out += *slot.stored != 0 ? "true" : "false";
        } else {
            out += std::to_string(*slot.stored);
        }
        out += ",\n";
    }
    const std::optional<std::string> time =
        rs.sample.time != 0 ? IsoUtcTime(rs.sample.time) : std::nullopt;
    out += "  \"time\": " + (time ? JsonString(*time) : std::string("null")) + ",\n";
    out += "  \"labels\": {";
    bool first = true;
    for (const tReportSlot& slot : slots) {
        if (!slot.named) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "    " + JsonString(slot.key) + ": " + JsonString(slot.label);
    }
    out += first ? "}\n" : "\n  }\n";
    out += "}\n";
    return out;
}

}  // namespace cx
