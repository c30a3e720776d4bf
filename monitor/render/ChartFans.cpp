// The fan section: every fan shown on one scale, in rpm, or in litres per
// hour for flow sensors (negative readings), with one legend row per fan.
#include <array>

#include "monitor/render/ChartSections.h"
#include "settings/Formats.h"

namespace cx {

namespace {

std::optional<int64_t> Fan(int16_t value) {
    if (value == kNoValue16) return std::nullopt;
    return value;
}

// A reading in the unit its current value shows in: litres per hour when
// negative, else rpm.
std::string FanText(const tChartPass& pass, int64_t value, bool flow) {
    const char separator = pass.context.locale.decimalSeparator;
    if (flow) return FormatFloat("0.#", -double(value) / 100, separator) + " " + pass.Text("LH");
    return FormatFloat("0", double(value), separator) + " " + pass.Text("RPM");
}

}  // namespace

void DrawFanSection(tChartPass& pass) {
    tSettings& settings = pass.settings;
    const int top = pass.y;
    std::array<tSeriesStats, kFanSlots> stats{};
    bool anyShown = false;
    pass.Guarded("ds23", [&] {
        for (int slot = 0; slot < kFanSlots; ++slot) {
            if (!settings.visF[slot]) continue;
            anyShown = true;
            stats[slot] = SeriesStats(
                pass, Fan(pass.context.rs.sample.F[slot]),
                [slot](const tSample& row, const tSample2&) { return Fan(row.F[slot]); }, true);
        }
    });
    tScale scale;
    if (!settings.FAuto) {
        if (settings.FMin != kNoValue16) scale.min = settings.FMin;
        if (settings.FMax != kNoValue16) scale.max = settings.FMax;
    }
    if (settings.FAuto) {
        for (int slot = 0; slot < kFanSlots; ++slot) {
            if (settings.visF[slot]) WidenFanScale(scale, stats[slot]);
        }
        ClampFanScale(scale);
        settings.FMin = scale.min ? int16_t(*scale.min) : kNoValue16;
        settings.FMax = scale.max ? int16_t(*scale.max) : kNoValue16;
    }
    if (scale.Known()) WidenZeroRange(scale, FanGranularity(*scale.max));

    if (anyShown && scale.Known()) {
        const int height = settings.FHeight;
        const int plotTop = pass.BeginPlot(height);
        pass.Guarded("ds25", [&] {
            tValueGrid grid;
            grid.step = FanGridStep(scale, height);
            grid.descending = true;
            grid.labelRight = settings.StatsWidth - 18;
            grid.label = [&](int64_t v) {
                return FormatFloat("0", double(v), pass.context.locale.decimalSeparator);
            };
            DrawValueGrid(pass, plotTop, height, scale, grid);
            for (int slot = kFanSlots - 1; slot >= 0; --slot) {
                if (!settings.visF[slot] || !stats[slot].Known()) continue;
                tSeriesLine line;
                line.colour = settings.colF[slot];
                line.bold = settings.boldF[slot];
                line.newestFirst = true;
                line.value = [slot](const tSample& row, const tSample2&) {
                    return Fan(row.F[slot]);
                };
                line.toScale = [](int64_t v) { return v < 0 ? -double(v) / 100 : double(v); };
                DrawSeriesLine(pass, plotTop, height, scale, line);
            }
        });
        pass.DrawIcon(kIconFans, plotTop, height);
        pass.EndPlot(height);
    }

    std::vector<tLegendRow> rows;
    for (int slot = 0; slot < kFanSlots; ++slot) {
        if (!settings.visF[slot] || !stats[slot].Known()) continue;
        pass.Guarded("ds27", [&] {
            const tSeriesStats& s = stats[slot];
            const std::optional<int64_t> current = Fan(pass.context.rs.sample.F[slot]);
            // Minimum, maximum and average show in the unit of the current value.
            const bool flow = current ? *current < 0 : *s.max < 0;
            tLegendRow row;
            row.colour = settings.colF[slot];
            row.name = pass.ExpandName(settings.nameF[slot]);
            row.current = current ? FanText(pass, *current, flow) : pass.Text("SensNotConn");
            // Flow is stored negated, so its lowest reading is the highest flow.
            row.min = pass.Labelled("Min", FanText(pass, flow ? *s.max : *s.min, flow));
            row.max = pass.Labelled("Max", FanText(pass, flow ? *s.min : *s.max, flow));
            if (s.avg) row.avg = pass.Labelled("Avg", FanText(pass, *s.avg, flow));
            rows.push_back(std::move(row));
            pass.hover.fans.push_back({slot, rows.back().name});
        });
    }
    pass.DrawLegend(rows);
    pass.hover.bands[kBandFans] = {top, pass.y};
}

}  // namespace cx
