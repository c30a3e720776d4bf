// The temperature section: one plot for every slot shown in the chart, on a
// common scale, with the clock watermark behind it and a legend block below.
#include <array>

#include "monitor/render/ChartSections.h"

namespace cx {

namespace {

std::optional<int64_t> Temperature(int16_t value) {
    if (value == kNoValue16) return std::nullopt;
    return value;
}

}  // namespace

void DrawTemperatureSection(tChartPass& pass) {
    tSettings& settings = pass.settings;
    const tValueFormatContext formats = pass.Formats();
    const int top = pass.y;
    std::array<tSeriesStats, kTempSlots> stats{};
    pass.Guarded("ds4", [&] {
        for (int slot = 0; slot < kTempSlots; ++slot) {
            if (settings.visT[slot] == 0) continue;
            stats[slot] = SeriesStats(
                pass, Temperature(pass.context.rs.sample.T[slot]),
                [slot](const tSample& row, const tSample2&) { return Temperature(row.T[slot]); });
        }
    });
    // The limits live in the settings, where unknown is the no-value marker.
    tScale scale;
    if (!settings.TAutoStats) {
        if (settings.TMinStats != kNoValue16) scale.min = settings.TMinStats;
        if (settings.TMaxStats != kNoValue16) scale.max = settings.TMaxStats;
    }
    bool anyCharted = false;
    for (int slot = 0; slot < kTempSlots; ++slot) {
        if (settings.visT[slot] != 1) continue;
        anyCharted = true;
        if (settings.TAutoStats) WidenTemperatureScale(scale, stats[slot]);
    }
    ClampTemperatureScale(scale);
    if (settings.TAutoStats) {
        settings.TMinStats = scale.min ? int16_t(*scale.min) : kNoValue16;
        settings.TMaxStats = scale.max ? int16_t(*scale.max) : kNoValue16;
    }
    WidenZeroRange(scale, 500);

    if (anyCharted && scale.Known()) {
        const int height = settings.THeight;
        const int plotTop = pass.BeginPlot(height, true);
        tValueGrid grid;
        grid.step = TemperatureGridStep(scale, settings.TStepStats, height);
        grid.truncate = true;
        grid.labelRight = settings.StatsWidth - 12;
        grid.label = [&](int64_t v) { return FormatTemperature(double(v), formats); };
        DrawValueGrid(pass, plotTop, height, scale, grid);
        pass.Guarded("ds5", [&] {
            for (int slot = kTempSlots - 1; slot >= 0; --slot) {
                if (settings.visT[slot] != 1 || !stats[slot].Known()) continue;
                tSeriesLine line;
                line.colour = settings.colT[slot];
                line.bold = settings.boldT[slot];
                line.value = [slot](const tSample& row, const tSample2&) {
                    return Temperature(row.T[slot]);
                };
                DrawSeriesLine(pass, plotTop, height, scale, line);
            }
        });
        pass.DrawIcon(kIconTemperatures, plotTop, height);
        pass.EndPlot(height);
    }

    std::vector<tLegendRow> rows;
    for (int slot = 0; slot < kTempSlots; ++slot) {
        if (settings.visT[slot] == 0 || !stats[slot].Known()) continue;
        pass.Guarded("ds6", [&] {
            const tSeriesStats& s = stats[slot];
            tLegendRow row;
            row.colour = settings.colT[slot];
            row.name = pass.ExpandName(settings.nameT[slot]);
            const std::optional<int64_t> current = Temperature(pass.context.rs.sample.T[slot]);
            row.current =
                current ? FormatTemperature(double(*current), formats) : pass.Text("SensNotConn");
            row.min = pass.Labelled("Min", FormatTemperature(double(*s.min), formats));
            row.max = pass.Labelled("Max", FormatTemperature(double(*s.max), formats));
            if (s.avg) row.avg = pass.Labelled("Avg", FormatTemperature(double(*s.avg), formats));
            rows.push_back(std::move(row));
            pass.hover.temperatures.push_back({slot, rows.back().name});
        });
    }
    pass.DrawLegend(rows);
    pass.hover.bands[kBandTemperatures] = {top, pass.y};
}

}  // namespace cx
