#include "monitor/core/StatsHover.h"

#include <exception>

#include "readings/TimeFunctions.h"
#include "settings/Formats.h"
#include "settings/ValueFormats.h"

namespace cx {

namespace {

// The plot area leaves 5 pixels on the left and 45 on the right.
constexpr int kPlotLeft = 5;
constexpr int kPlotRightMargin = 45;
// A value the row does not know.
constexpr const char* kUnknown = "???";

// The options page of each band; the band below the sections has none.
constexpr std::array<int, kBandCount> kOptionsPageOfBand = {4, 5, 6, 7, 8, 13, 9, 0, 7};
constexpr int kDefaultOptionsPage = 3;

// The newest row not later than t, when it lies less than `window` before t.
const tSample* RowAt(const tT& log, TDateTime t, double window, int32_t* index) {
    for (int32_t i = log.count; i >= 0; --i) {
        const tSample& row = log.rows[i];
        if (row.time > t) continue;
        if (t - row.time < window) {
            *index = i;
            return &row;
        }
        return nullptr;
    }
    return nullptr;
}

class tHintBuilder {
public:
    tHintBuilder(const tT& log, int32_t index, const tHoverData& hover, const tHintInput& input)
        : m_log(log),
          m_index(index),
          m_row(log.rows[index]),
          m_hover(hover),
          m_in(input),
          m_formats{input.settings, input.messages, input.locale} {}

    std::string Build(int band) {
        const TDateTime shown = UTCToDisplay(m_row.time, m_in.rules, m_in.settings.TimeInUTC);
        const std::string when = FormatDateTime(
            m_in.locale.shortDateFormat + " " + m_in.locale.longTimeFormat, shown, m_in.locale);
        m_text = Format(Text("Time"), when);
        switch (band) {
            case kBandTemperatures:
                Temperatures();
                break;
            case kBandVoltages:
                Voltages();
                break;
            case kBandFans:
                Fans();
                break;
            case kBandMemory:
                Memory();
                break;
            case kBandNetwork:
                Network();
                break;
            case kBandBattery:
                Battery();
                break;
            case kBandCPU:
                Cpu();
                break;
            default:
                return {};
        }
        return m_text;
    }

private:
    const std::string& Text(const char* key) const { return m_in.messages[key]; }
    void Line(const std::string& line) { m_text += "\r\n" + line; }
    std::string Float(const char* pattern, double value) const {
        return FormatFloat(pattern, value, m_in.locale.decimalSeparator);
    }

    void Temperatures() {
        for (const tHintSlot& s : m_hover.temperatures) {
            const int16_t v = m_row.T[s.slot];
            Line(s.name + ": " + (v == kNoValue16 ? kUnknown : FormatTemperature(v, m_formats)));
        }
    }
    void Voltages() {
        for (const tHintSlot& s : m_hover.voltages) {
            const int16_t v = m_row.V[s.slot];
            Line(s.name + ": " +
                 (v == kNoValue16 ? kUnknown : Float("0.##", v / 100.0) + " " + Text("Volt")));
        }
    }
    void Fans() {
        for (const tHintSlot& s : m_hover.fans) {
            const int16_t v = m_row.F[s.slot];
            std::string value = kUnknown;
            if (v != kNoValue16 && v < 0) value = Float("0.#", -v / 100.0) + " " + Text("LH");
            if (v != kNoValue16 && v >= 0) value = std::to_string(v) + " " + Text("RPM");
            Line(s.name + ": " + value);
        }
    }
    // "<text with the total> <amount> (<percent> %)".
    std::string Amount(const char* key, int32_t total, int32_t amount) const {
        std::string line = Format(Text(key), FormatKilobytes(total, m_formats)) + " ";
        if (amount == kNoValue32) return line + kUnknown;
        line += FormatKilobytes(amount, m_formats);
        if (total > 0) line += " (" + Float("0.#", 100.0 * amount / total) + " %)";
        return line;
    }
    void Memory() {
        const bool free = m_in.settings.MemFree;
        Line(Text(free ? "FreeMem" : "AllocMem"));
        Line(Amount("PageMem", m_in.rs.pageTotal, free ? m_row.PageFree : m_row.PageUsed));
        Line(Amount("PhysMem", m_in.rs.memTotal, free ? m_row.MemFree : m_row.MemUsed));
        Line(Amount("Cache", m_in.rs.memTotal, m_row.Cache));
    }
    // Rates in KB per second against the row before, when both counters are
    // known and did not go back (a reset adapter).
    void Network() {
        const tSample* older = m_index > 0 ? &m_log.rows[m_index - 1] : nullptr;
        const double seconds = older ? (m_row.time - older->time) * 86400 : 0;
        auto rate = [&](int32_t now, int32_t before) -> std::optional<double> {
            if (seconds <= 0 || now == kNoValue32 || before == kNoValue32 || now < 0 ||
                before < 0 || now < before) {
                return std::nullopt;
            }
            return (static_cast<double>(now) - before) / seconds;
        };
        for (const tHintSlot& s : m_hover.networks) {
            const auto down =
                older ? rate(m_row.NetIn[s.slot], older->NetIn[s.slot]) : std::nullopt;
            const auto up =
                older ? rate(m_row.NetOut[s.slot], older->NetOut[s.slot]) : std::nullopt;
            if (!down || !up) {
                Line(s.name + ": " + Text("SensNotConn"));
                continue;
            }
            Line(s.name + ": " + Text("Down") + " " + FormatRate(*down, m_formats) + " / " +
                 Text("Up") + " " + FormatRate(*up, m_formats));
        }
    }
    void Battery() {
        if (!m_in.settings.visBat) return;
        const int32_t remaining = m_row.BatRemaining, full = m_row.BatFull;
        if (full <= 0 || remaining == kNoValue32) return;
        Line(Text("BatteryStatus") + " " +
             Format(Text("BatCapacity"), Float("0.0", 100.0 * remaining / full),
                    Float("0", remaining), Float("0", full)));
    }
    void Cpu() {
        if (m_in.settings.visCPUFreq && m_row.Clock != kNoValue32) {
            Line(Format(Text("CPUFreq"), Float("0.#", m_in.rs.maxClock / 1000.0),
                        Float("0.#", m_row.Clock / 1000.0)));
        }
        for (const tHintSlot& s : m_hover.cpus) {
            const int16_t v = m_row.CPU[s.slot];
            Line(s.name + ": " + (v == kNoValue16 ? kUnknown : Float("0.#", v / 100.0) + " %"));
        }
    }

    const tT& m_log;
    int32_t m_index;
    const tSample& m_row;
    const tHoverData& m_hover;
    const tHintInput& m_in;
    tValueFormatContext m_formats;
    std::string m_text;
};

}  // namespace

std::optional<int> BandAt(const tHoverData& hover, int y) {
    for (int band = 0; band < kBandCount; ++band) {
        if (hover.bands[band].top < y && y < hover.bands[band].bottom) return band;
    }
    return std::nullopt;
}

bool InPlotArea(int x, int statsWidth) {
    return kPlotLeft < x && x < statsWidth - kPlotRightMargin;
}

TDateTime TimeAt(const tHoverData& hover, int x, int statsWidth) {
    if (hover.pixelsPerHour <= 0) return hover.endTime;
    return hover.endTime - ((statsWidth - x - kPlotRightMargin) / hover.pixelsPerHour) / 24;
}

std::string HintText(int band, TDateTime t, const tT& log, const tHoverData& hover,
                     const tHintInput& input) {
    if (band == kBandDisks || band == kBandBelowSections) return {};
    try {
        int32_t index = 0;
        // The half-pixel value is in hours but is compared as days, which
        // widens the catch to the rows of the coarser logs.
        if (RowAt(log, t, hover.halfPixelHours, &index) == nullptr) return {};
        return tHintBuilder(log, index, hover, input).Build(band);
    } catch (const std::exception& e) {
        input.events.WriteEvent(std::string("gv1 ") + e.what());
        return {};
    }
}

std::string HoverHint(const tStatsView& view, TDateTime nowLocal, const tHistories& histories,
                      const tHoverData& hover, int x, int y, const tHintInput& input) {
    const int width = input.settings.StatsWidth;
    if (!input.settings.DisplayHint || !InPlotArea(x, width)) return {};
    try {
        const std::optional<int> band = BandAt(hover, y);
        if (!band) return {};
        const tT& log = LogOf(histories, HoverLog(view, nowLocal));
        return HintText(*band, TimeAt(hover, x, width), log, hover, input);
    } catch (const std::exception& e) {
        input.events.WriteEvent(std::string("ismm1 ") + e.what());
        return {};
    }
}

int OptionsPageForDoubleClick(const tHoverData& hover, int x, int y, int statsWidth) {
    if (!InPlotArea(x, statsWidth)) return kDefaultOptionsPage;
    const std::optional<int> band = BandAt(hover, y);
    if (!band || kOptionsPageOfBand[*band] == 0) return kDefaultOptionsPage;
    return kOptionsPageOfBand[*band];
}

}  // namespace cx
