// The memory section: the page file, the physical memory and the cache as
// filled areas on one scale in 16 MB steps, in use or free as the user
// chose, with a legend of each amount against its total.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "monitor/render/ChartSections.h"
#include "settings/Formats.h"

namespace cx {

namespace {

std::optional<int64_t> Kilobytes(int32_t value) {
    if (value == kNoValue32 || value < 0) return std::nullopt;
    return value;
}

// A 32-bit field of a packed row by its offset; the rows' fields are not
// aligned, so they are copied rather than read through a pointer.
std::optional<int64_t> KilobytesAt(const tSample& row, size_t offset) {
    int32_t value = 0;
    std::memcpy(&value, reinterpret_cast<const char*>(&row) + offset, sizeof value);
    return Kilobytes(value);
}

struct tMemorySeries {
    const char* textKey;  // PageMem, PhysMem or Cache
    bool shown;           // display state not 0
    bool charted;         // display state 1
    tColour colour;
    int64_t total;
    size_t field;      // offset of the amount in a row
    bool lowerByStep;  // the cache starts the scale one step lower
    tSeriesStats stats;
};

}  // namespace

void DrawMemorySection(tChartPass& pass) {
    tSettings& settings = pass.settings;
    const tReadingSet& rs = pass.context.rs;
    const int top = pass.y;
    if (settings.Page == 0 && settings.visMem == 0 && settings.visCache == 0) return;
    const bool free = settings.MemFree;
    std::vector<tMemorySeries> series{
        {"PageMem",
         settings.Page != 0,
         settings.Page == 1,
         settings.colMemPage,
         rs.pageTotal,
         free ? offsetof(tSample, PageFree) : offsetof(tSample, PageUsed),
         false,
         {}},
        {"PhysMem",
         settings.visMem != 0,
         settings.visMem == 1,
         settings.colMem,
         rs.memTotal,
         free ? offsetof(tSample, MemFree) : offsetof(tSample, MemUsed),
         false,
         {}},
    };
    if (!free) {
        series.push_back({"Cache",
                          settings.visCache != 0,
                          settings.visCache == 1,
                          settings.colMemCache,
                          rs.memTotal,
                          offsetof(tSample, Cache),
                          true,
                          {}});
    }
    pass.Guarded("ds29", [&] {
        for (tMemorySeries& s : series) {
            if (!s.shown) continue;
            const auto field = s.field;
            s.stats = SeriesStats(
                pass, KilobytesAt(rs.sample, field),
                [field](const tSample& row, const tSample2&) { return KilobytesAt(row, field); });
        }
    });
    tScale scale;
    if (settings.MemAuto) {
        for (const tMemorySeries& s : series) {
            if (!s.charted || !s.stats.Known()) continue;
            const double steps = double(*s.stats.min) / 16 / 1024 - (s.lowerByStep ? 1 : 0);
            const int64_t low = int64_t(std::floor(steps)) * kMemoryStep;
            const int64_t high =
                int64_t(std::ceil(double(*s.stats.max) / 16 / 1024 + 1)) * kMemoryStep;
            if (!scale.min || low < *scale.min) scale.min = low;
            if (!scale.max || high > *scale.max) scale.max = high;
        }
        if (scale.min) scale.min = std::max<int64_t>(*scale.min, 0);
        if (scale.max) scale.max = std::min<int64_t>(*scale.max, 1073741824);
        if (scale.Known()) {
            settings.MemMin = *scale.min;
            settings.MemMax = *scale.max;
        }
    } else {
        scale = {settings.MemMin, settings.MemMax};
    }
    WidenZeroRange(scale, kMemoryStep);
    const tValueFormatContext formats = pass.Formats();
    const bool anyCharted =
        std::any_of(series.begin(), series.end(), [](const auto& s) { return s.charted; });
    if (anyCharted && scale.Known()) {
        const int height = settings.MemHeight;
        const int plotTop = pass.BeginPlot(height);
        pass.Guarded("ds30", [&] {
            tValueGrid grid;
            grid.step = MemoryGridStep(scale, height);
            grid.labelRight = settings.StatsWidth - 3;
            grid.label = [&](int64_t v) { return FormatKilobytes(double(v), formats); };
            DrawValueGrid(pass, plotTop, height, scale, grid);
        });
        pass.Guarded("ds33", [&] {
            for (const tMemorySeries& s : series) {
                if (!s.charted) continue;
                const auto field = s.field;
                tSeriesArea area;
                area.colour = s.colour;
                area.value = [field](const tSample& row, const tSample2&) {
                    return KilobytesAt(row, field);
                };
                DrawSeriesArea(pass, plotTop, height, scale, area);
            }
        });
        // The page file lies behind the others; its line keeps it visible.
        pass.Guarded("ds33a", [&] {
            const bool othersCharted =
                series[1].charted || (series.size() > 2 && series[2].charted);
            if (!series[0].charted || !othersCharted) return;
            const auto field = series[0].field;
            tSeriesLine line;
            line.colour = series[0].colour;
            line.value = [field](const tSample& row, const tSample2&) {
                return KilobytesAt(row, field);
            };
            DrawSeriesLine(pass, plotTop, height, scale, line);
        });
        pass.DrawIcon(kIconMemory, plotTop, height);
        pass.EndPlot(height);
    }
    pass.Guarded("ds36", [&] {
        std::vector<tLegendRow> rows;
        rows.push_back({settings.cInfo, pass.Text(free ? "FreeMem" : "AllocMem"), "", "", "", ""});
        const char separator = pass.context.locale.decimalSeparator;
        for (const tMemorySeries& s : series) {
            if (!s.shown || !s.stats.Known()) continue;
            tLegendRow row;
            row.colour = s.colour;
            row.name = Format(pass.Text(s.textKey), FormatKilobytes(double(s.total), formats));
            if (const std::optional<int64_t> current = KilobytesAt(rs.sample, s.field)) {
                row.current = FormatKilobytes(double(*current), formats);
                if (s.total > 0) {
                    row.current +=
                        " (" +
                        FormatFloat("0.#", double(*current) * 100 / double(s.total), separator) +
                        " %)";
                }
            } else {
                row.current = pass.Text("SensNotConn");
            }
            row.min = pass.Labelled("Min", FormatKilobytes(double(*s.stats.min), formats));
            row.max = pass.Labelled("Max", FormatKilobytes(double(*s.stats.max), formats));
            if (s.stats.avg) {
                row.avg = pass.Labelled("Avg", FormatKilobytes(double(*s.stats.avg), formats));
            }
            rows.push_back(std::move(row));
        }
        pass.DrawLegend(rows);
    });
    pass.hover.bands[kBandMemory] = {top, pass.y};
}

}  // namespace cx
