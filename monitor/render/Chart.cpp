#include "monitor/render/Chart.h"

#include <algorithm>

#include "monitor/render/ChartSections.h"
#include "monitor/render/ContrastColours.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"

namespace cx {

namespace {

// The tallest picture the sections may fill before it is cut to its content.
constexpr int kWorkingHeight = 2000;

std::string ViewName(const tChartPass& pass) {
    const double span = pass.geometry.spanHours;
    if (span == 24) return pass.Text("Stats24");
    if (span == 168) return pass.Text("Stats7");
    if (span < 2400) return pass.Text("Stats31");
    return pass.Text("Stats365");
}

void DrawFooter(tChartPass& pass) {
    tCanvas& canvas = pass.canvas;
    const tSettings& settings = pass.settings;
    const tChartGeometry& g = pass.geometry;
    pass.y += 3;
    pass.UseFont(0, 13);
    canvas.Brush().style = tBrushStyle::Clear;
    const tContrastColours colours = PickContrastColours(canvas, 443, pass.y + 1);
    const tLocaleFormats& locale = pass.context.locale;
    if (settings.DisplayDateTime) {
        const std::string when = FormatDateTime(locale.shortDateFormat, g.displayEnd, locale) +
                                 " " + FormatDateTime(locale.longTimeFormat, g.displayEnd, locale);
        canvas.Font().colour = colours.first;
        canvas.TextOut(3, pass.y, Format(pass.Text("Time"), when));
    }
    canvas.Font().colour = colours.second;
    if (g.spanHours < 24 || settings.IncludeStaticData) {
        if (settings.ReadUpTime) {
            pass.Guarded("ds51", [&] {
                const tReadingSet& rs = pass.context.rs;
                canvas.TextOut(135, pass.y,
                               pass.Text("Uptime") + " " +
                                   Format("%d d %.2d:%.2d:%.2d h", rs.uptimeDays, rs.uptimeHours,
                                          rs.uptimeMinutes, rs.uptimeSeconds));
            });
        }
    } else {
        canvas.TextOut(142, pass.y, ViewName(pass));
    }
    // The third colour: the one returned for a light background is the
    // default background itself, which would hide the program line.
    canvas.Font().colour = colours.third;
    canvas.TextOutRight(g.width - 2, pass.y, pass.context.programLine);
    pass.y += 14;
}

void DrawBorder(tChartPass& pass) {
    tCanvas& canvas = pass.canvas;
    const int w = pass.geometry.width;
    const int bottom = pass.y - 1;
    canvas.Pen() = {pass.settings.cBorder2, tPenStyle::Solid, 1};
    canvas.MoveTo(0, bottom);
    canvas.LineTo(0, 0);
    canvas.LineTo(w - 1, 0);
    canvas.Pen().colour = pass.settings.cBorder;
    canvas.LineTo(w - 1, bottom);
    canvas.LineTo(-1, bottom);
}

}  // namespace

void DrawStats(tCanvas& canvas, const tT& log, TDateTime endTime, double spanHours,
               tChartContext& context, tHoverData* hover) {
    if (log.count < 0) return;
    // The rows are read in place: nothing the drawing calls changes the log,
    // and a copy (the whole log, every drawing) would only cost time.
    tSettings& settings = context.settings;
    context.events.WriteEvent("Drawing statistics");
    const int width = std::clamp<int>(settings.StatsWidth, 100, 8192);
    const tChartGeometry geometry =
        MakeChartGeometry(width, endTime, spanHours, context.zoneRules, settings.TimeInUTC);
    tChartPass pass(canvas, log, context, geometry);

    // The working picture in the background colour; only the rows that end
    // up in the picture are ever painted.
    canvas.Reset(width, kWorkingHeight, settings.cBack);
    canvas.Pen() = {settings.cBorder, tPenStyle::Solid, 1};
    canvas.Brush() = {settings.cBack, tBrushStyle::Solid};
    pass.UseFont(0);
    pass.y = 2;
    if (settings.TAutoStats) {
        settings.TMinStats = kNoValue16;
        settings.TMaxStats = kNoValue16;
    }
    if (settings.FAuto) {
        settings.FMin = kNoValue16;
        settings.FMax = kNoValue16;
    }

    DrawTemperatureSection(pass);
    DrawVoltageSection(pass);
    DrawFanSection(pass);
    DrawMemorySection(pass);
    DrawCPUSection(pass);
    DrawNetworkSection(pass);
    DrawBatterySection(pass);
    DrawDiskSection(pass);

    const int belowSections = pass.y;
    DrawFooter(pass);
    DrawBorder(pass);
    pass.hover.bands[kBandBelowSections] = {belowSections, pass.y};
    canvas.SetSize(width, std::min(pass.y, kWorkingHeight));

    if (hover) {
        pass.hover.endTime = geometry.endTime;
        pass.hover.pixelsPerHour = geometry.pixelsPerHour;
        pass.hover.halfPixelHours = geometry.halfPixelHours;
        *hover = std::move(pass.hover);
    }
}

}  // namespace cx
