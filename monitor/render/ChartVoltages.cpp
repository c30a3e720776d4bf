// The voltage section: a small plot of its own for every voltage shown in
// the chart, each on its own scale with its legend row under it, then one
// legend block for the voltages shown in the legend only.
#include "monitor/render/ChartSections.h"
#include "settings/Formats.h"

namespace cx {

namespace {

std::optional<int64_t> Voltage(int16_t value) {
    if (value == kNoValue16) return std::nullopt;
    return value;
}

std::string Volts(const tChartPass& pass, int64_t hundredths, std::string_view unitKey) {
    return FormatFloat("0.##", double(hundredths) / 100, pass.context.locale.decimalSeparator) +
           " " + pass.Text(unitKey);
}

tLegendRow VoltageRow(tChartPass& pass, int slot, const tSeriesStats& stats) {
    tLegendRow row;
    row.colour = pass.settings.colV[slot];
    row.name = pass.ExpandName(pass.settings.nameV[slot]);
    if (const std::optional<int64_t> current = Voltage(pass.context.rs.sample.V[slot])) {
        row.current = Volts(pass, *current, "Volt");
    }
    if (stats.Known()) {
        row.min = pass.Labelled("Min", Volts(pass, *stats.min, "V"));
        row.max = pass.Labelled("Max", Volts(pass, *stats.max, "V"));
    }
    if (stats.avg) row.avg = pass.Labelled("Avg", Volts(pass, *stats.avg, "V"));
    return row;
}

}  // namespace

void DrawVoltageSection(tChartPass& pass) {
    const tSettings& settings = pass.settings;
    const int top = pass.y;
    std::vector<tLegendRow> legendOnly;
    for (int slot = 0; slot < kVoltSlots; ++slot) {
        if (settings.visV[slot] == 0) continue;
        tSeriesStats stats;
        pass.Guarded("ds7", [&] {
            stats = SeriesStats(
                pass, Voltage(pass.context.rs.sample.V[slot]),
                [slot](const tSample& row, const tSample2&) { return Voltage(row.V[slot]); });
        });
        tScale scale = VoltageScale(stats);
        if (settings.visV[slot] == 1 && scale.Known()) {
            WidenZeroRange(scale, VoltageGranularity(std::llabs(*scale.max)));
            const int height = settings.VHeight;
            const int plotTop = pass.BeginPlot(height);
            pass.Guarded("ds8", [&] {
                tValueGrid grid;
                grid.step = VoltageGridStep(scale, height);
                grid.labelRight = settings.StatsWidth - 7;
                grid.label = [&](int64_t v) { return Volts(pass, v, "V"); };
                DrawValueGrid(pass, plotTop, height, scale, grid);
                tSeriesLine line;
                line.colour = settings.colV[slot];
                line.bold = settings.boldV[slot];
                line.value = [slot](const tSample& row, const tSample2&) {
                    return Voltage(row.V[slot]);
                };
                DrawSeriesLine(pass, plotTop, height, scale, line);
            });
            pass.DrawIcon(kIconVoltages, plotTop, height);
            pass.EndPlot(height);
            pass.Guarded("ds10", [&] {
                std::vector<tLegendRow> row{VoltageRow(pass, slot, stats)};
                pass.hover.voltages.push_back({slot, row.front().name});
                pass.DrawLegend(row);
            });
        } else if (settings.visV[slot] == 2 && stats.Known()) {
            pass.Guarded("ds10", [&] {
                legendOnly.push_back(VoltageRow(pass, slot, stats));
                pass.hover.voltages.push_back({slot, legendOnly.back().name});
            });
        }
    }
    if (!legendOnly.empty()) {
        if (pass.y > 10) pass.y += 4;
        pass.DrawLegend(legendOnly);
    }
    pass.hover.bands[kBandVoltages] = {top, pass.y};
}

}  // namespace cx
