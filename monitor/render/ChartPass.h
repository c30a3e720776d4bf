#pragma once
// One drawing of the statistics chart: what it reads, where it has got to,
// and the parts every section is built from (the plot frame with the time
// axis, the value grid, the series statistics and lines, the legend rows).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/core/HistoryLog.h"
#include "monitor/core/StatsHover.h"
#include "monitor/render/Canvas.h"
#include "monitor/render/ChartGeometry.h"
#include "monitor/render/ChartScales.h"
#include "monitor/render/Placeholders.h"
#include "monitor/render/SectionFrame.h"
#include "settings/ValueFormats.h"

namespace cx {

// The section icons the program loaded at start-up, drawn in the lower left
// corner of their plots; a missing one is simply not drawn.
enum tChartIcon {
    kIconTemperatures,
    kIconVoltages,
    kIconFans,
    kIconMemory,
    kIconCPU,
    kIconNetwork,
    kIconBattery,
    kIconCount
};

// What a drawing reads besides the log. The automatic scale limits are
// written back into `settings`, where they stay until the next drawing.
struct tChartContext {
    const tReadingSet& rs;
    tSettings& settings;
    const tMessages& messages;
    const tLocaleFormats& locale;
    const tTimeZoneRules& zoneRules;
    const tEventLog& events;
    tSystemFacts system = PlatformSystemFacts();
    std::array<const tCanvas*, kIconCount> icons{};
    // The 8-hour log, for the current network rates and the charge rate; the
    // drawn log itself when absent.
    const tT* log8h = nullptr;
    std::string programLine = "Calorix 3.36";
};

// One row of a legend: five cells in the row's colour.
struct tLegendRow {
    tColour colour = 0;
    std::string name, current, min, max, avg;
};

class tChartPass {
public:
    tChartPass(tCanvas& canvas, const tT& log, tChartContext& context,
               const tChartGeometry& geometry);

    tCanvas& canvas;
    const tT& log;
    tChartContext& context;
    tSettings& settings;
    tChartGeometry geometry;
    int y = 2;  // the top of the next section
    bool axisDrawn = false;
    tHoverData hover;
    // Point lists reused by every series of the drawing.
    struct {
        std::vector<tPoint> points, drawn;
        std::vector<size_t> pieceEnds;
    } scratch;

    tValueFormatContext Formats() const { return {settings, context.messages, context.locale}; }
    const std::string& Text(std::string_view key) const { return context.messages.Text(key); }
    // A sensor name with its placeholders expanded at the end time.
    std::string ExpandName(const std::string& name) const;
    // Writes "<code> <message>" to the event log when `step` throws.
    void Guarded(std::string_view code, const std::function<void()>& step) const;

    // Arial 12 in `colour`, rendered crisp so text pixels keep the colour.
    void UseFont(tColour colour, int height = 12, bool bold = false);
    tFrameColours FrameColours() const;

    // The time axis (once per picture) and the frame of a plot `height` high
    // whose top, y + 7, is returned; the frame carries the vertical grid.
    int BeginPlot(int height, bool watermark = false);
    // The icon in the lower left corner of the plot.
    void DrawIcon(tChartIcon icon, int plotTop, int height);
    // y moves past the plot.
    void EndPlot(int height) { y += height + 8; }

    // Writes the rows from y down, 9 pixels apart, and moves y past them.
    void DrawLegend(const std::vector<tLegendRow>& rows);
    // "Min 25 °C" and the like: the language text, a blank and the value.
    std::string Labelled(std::string_view key, const std::string& value) const;

private:
    void DrawTimeAxis();
};

// How a section's value grid is laid out.
struct tValueGrid {
    int64_t step = 0;         // no grid when not positive
    bool descending = false;  // from the maximum down (fans)
    bool truncate = false;    // y truncated rather than rounded (temperatures)
    int labelRight = 0;       // the labels end here
    std::function<std::string(int64_t)> label;
};

void DrawValueGrid(tChartPass& pass, int plotTop, int height, const tScale& scale,
                   const tValueGrid& grid);

// A value of one row of the log; nullopt for the no-value marker.
using tRowValue = std::function<std::optional<int64_t>(const tSample&, const tSample2&)>;

// The statistics of a series over the span: minimum and maximum start from
// the current value; rows are walked from the newest until one lies beyond
// the span. `skipZeroInLimits` leaves zero readings out of minimum and
// maximum (fans), though they still count in the average.
tSeriesStats SeriesStats(const tChartPass& pass, std::optional<int64_t> current,
                         const tRowValue& value, bool skipZeroInLimits = false);

// One series drawn as a line over a plot: once, and once more a pixel lower
// when bold. Rows outside the scale or the span break the line; a lone point
// between breaks is one pixel.
struct tSeriesLine {
    tColour colour = 0;
    bool bold = false;
    bool newestFirst = false;
    tRowValue value;
    // Turns a row's value into the scale's units (fans draw flow as litres per hour).
    std::function<double(int64_t)> toScale = [](int64_t v) { return double(v); };
};

void DrawSeriesLine(tChartPass& pass, int plotTop, int height, const tScale& scale,
                    const tSeriesLine& line);

// One series drawn as filled areas, a polygon per continuous piece of valid
// rows standing on the plot's base line. Rows above the scale are drawn at
// its maximum when `clampToMax` is set and end the piece otherwise.
struct tSeriesArea {
    tColour colour = 0;
    bool clampToMax = true;
    tRowValue value;
};

void DrawSeriesArea(tChartPass& pass, int plotTop, int height, const tScale& scale,
                    const tSeriesArea& area);

// The points of one piece of a line; drawn as a polyline, or as one pixel
// when it has only one.
void FlushPiece(tCanvas& canvas, std::vector<tPoint>& points, tColour colour);

}  // namespace cx
