// The CPU section: processor loads as lines over 0..100 %, the clock as a
// pale area behind them and the user's activity as a strip along the bottom.
#include <array>
#include <cmath>

#include "monitor/render/ChartSections.h"
#include "settings/Formats.h"

namespace cx {

namespace {

std::optional<int64_t> Load(int16_t value) {
    if (value == kNoValue16) return std::nullopt;
    return value;
}

std::optional<int64_t> Known32(int32_t value) {
    if (value == kNoValue32 || value < 0) return std::nullopt;
    return value;
}

// The activity strip on rows T + H - 1 and T + H: a grey base line, then the
// stretches in which the user's active seconds grew. Returns the active
// seconds over the span.
int64_t DrawUserActivity(tChartPass& pass, int plotTop, int height, bool draw) {
    const tChartGeometry& g = pass.geometry;
    const tT& log = pass.log;
    tCanvas& canvas = pass.canvas;
    const tColour colour = pass.settings.colUser;
    int64_t activeSeconds = 0;
    for (int row : {plotTop + height - 1, plotTop + height}) {
        if (draw) {
            canvas.Pen() = {pass.settings.cScGrid, tPenStyle::Solid, 1};
            canvas.MoveTo(7, row);
            canvas.LineTo(g.width - 46, row);
            canvas.Pen().colour = colour;
        }
        std::vector<tPoint> points;
        std::optional<int64_t> newer;       // the drawing's newer neighbour
        std::optional<int64_t> newerKnown;  // the last known value, for the sum
        activeSeconds = 0;
        for (int i = log.count; i >= 1; --i) {
            const double age = g.AgeHours(log.rows[i].time);
            if (g.BeyondSpan(age)) break;
            if (age < 0) continue;
            const std::optional<int64_t> value = Known32(log.rows2[i].ActiveSeconds);
            if (value && newerKnown && *newerKnown > *value) activeSeconds += *newerKnown - *value;
            if (value) newerKnown = value;
            if (value && newer && *newer > *value) {
                points.push_back({g.width - 45 - TruncPixels(age * g.pixelsPerHour), row});
            } else if (draw) {
                FlushPiece(canvas, points, colour);
            } else {
                points.clear();
            }
            newer = value;
        }
        if (draw) FlushPiece(canvas, points, colour);
    }
    return activeSeconds;
}

std::string ActiveTimeText(const tChartPass& pass, int64_t seconds) {
    const tLocaleFormats& locale = pass.context.locale;
    const TDateTime days = double(seconds) / 86400;
    std::string time = FormatDateTime(pass.Text("TimeFormat"), days, locale) + " h";
    if (days >= 1) time = std::to_string(int64_t(std::floor(days))) + " d " + time;
    const double share = double(seconds) / 3600 * 100 / pass.geometry.spanHours;
    return Format("%s (%s %%)", time, FormatFloat("0.#", share, locale.decimalSeparator));
}

}  // namespace

void DrawCPUSection(tChartPass& pass) {
    const tSettings& settings = pass.settings;
    const tReadingSet& rs = pass.context.rs;
    const int top = pass.y;
    bool anyCPU = false;
    for (bool shown : settings.visCPU) anyCPU = anyCPU || shown;
    const bool clockShown = settings.visCPUFreq && rs.maxClock > 0 && rs.maxClock != kNoValue32;
    if (!anyCPU && !clockShown && !settings.visUser) return;
    const char separator = pass.context.locale.decimalSeparator;

    std::array<tSeriesStats, kCpuSlots> stats{};
    pass.Guarded("ds31", [&] {
        for (size_t slot = 0; slot < kCpuSlots; ++slot) {
            if (!settings.visCPU[slot]) continue;
            stats[slot] = SeriesStats(
                pass, Load(rs.sample.CPU[slot]),
                [slot](const tSample& row, const tSample2&) { return Load(row.CPU[slot]); });
        }
    });
    const tScale scale{0, 10000};
    const int height = settings.CPUHeight;
    const int plotTop = pass.BeginPlot(height);
    int64_t activeSeconds = 0;
    pass.Guarded("ds34", [&] {
        const int parts = int(std::ceil(height / 20.0 + 1));
        tValueGrid grid;
        grid.step = parts > 0 ? 10000 / parts : 0;
        grid.labelRight = settings.StatsWidth - 7;
        grid.label = [&](int64_t v) { return FormatFloat("0", double(v) / 100, separator) + " %"; };
        DrawValueGrid(pass, plotTop, height, scale, grid);
        if (clockShown) {
            tSeriesArea area;
            area.colour = HalfwayColour(settings.cFreq, settings.cScBack);
            area.value = [](const tSample& row, const tSample2&) { return Known32(row.Clock); };
            DrawSeriesArea(pass, plotTop, height, {0, rs.maxClock}, area);
        }
        if (settings.visUser) activeSeconds = DrawUserActivity(pass, plotTop, height, true);
    });
    pass.Guarded("ds35", [&] {
        for (int slot = int(kCpuSlots) - 1; slot >= 0; --slot) {
            if (!settings.visCPU[slot] || !stats[slot].Known()) continue;
            tSeriesLine line;
            line.colour = settings.colCPU[slot];
            line.bold = settings.boldCPU[slot];
            line.value = [slot](const tSample& row, const tSample2&) {
                return Load(row.CPU[slot]);
            };
            DrawSeriesLine(pass, plotTop, height, scale, line);
        }
    });
    pass.DrawIcon(kIconCPU, plotTop, height);
    pass.EndPlot(height);

    pass.Guarded("ds36", [&] {
        std::vector<tLegendRow> rows;
        auto percent = [&](int64_t v) {
            return FormatFloat("0.#", double(v) / 100, separator) + " %";
        };
        if (clockShown) {
            const std::optional<int64_t> clock = Known32(rs.sample.Clock);
            tLegendRow row;
            row.colour = settings.cFreq;
            row.name =
                Format(pass.Text("CPUFreq"), FormatFloat("0.#", rs.maxClock / 1000.0, separator),
                       clock ? FormatFloat("0.#", double(*clock) / 1000, separator) : "?");
            rows.push_back(std::move(row));
        }
        for (size_t slot = 0; slot < kCpuSlots; ++slot) {
            if (!settings.visCPU[slot] || !stats[slot].Known()) continue;
            const tSeriesStats& s = stats[slot];
            tLegendRow row;
            row.colour = settings.colCPU[slot];
            row.name = pass.ExpandName(settings.nameCPU[slot]);
            const std::optional<int64_t> current = Load(rs.sample.CPU[slot]);
            row.current = current ? percent(*current) : pass.Text("SensNotConn");
            row.min = pass.Labelled("Min", percent(*s.min));
            row.max = pass.Labelled("Max", percent(*s.max));
            if (s.avg) row.avg = pass.Labelled("Avg", percent(*s.avg));
            rows.push_back(std::move(row));
            pass.hover.cpus.push_back({int(slot), rows.back().name});
        }
        if (settings.visUser) {
            tLegendRow row;
            row.colour = settings.colUser;
            row.name = pass.Text("UserActiveTime");
            row.current = ActiveTimeText(pass, activeSeconds);
            rows.push_back(std::move(row));
        }
        pass.DrawLegend(rows);
    });
    pass.hover.bands[kBandCPU] = {top, pass.y};
}

}  // namespace cx
