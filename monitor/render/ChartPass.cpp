#include "monitor/render/ChartPass.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace cx {

tChartPass::tChartPass(tCanvas& canvas, const tT& log, tChartContext& context,
                       const tChartGeometry& geometry)
    : canvas(canvas), log(log), context(context), settings(context.settings), geometry(geometry) {}

std::string tChartPass::ExpandName(const std::string& name) const {
    const tPlaceholderContext placeholders{context.rs,     settings,          context.messages,
                                           context.locale, context.zoneRules, context.events,
                                           context.system};
    return ExpandPlaceholders(name, geometry.endTime, placeholders);
}

void tChartPass::Guarded(std::string_view code, const std::function<void()>& step) const {
    try {
        step();
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string(code) + " " + e.what());
    }
}

void tChartPass::UseFont(tColour colour, int height, bool bold) {
    tFont& font = canvas.Font();
    font.name = "Arial";
    font.height = height;
    font.bold = bold;
    font.colour = colour;
    SetCrispFont(font);
}

tFrameColours tChartPass::FrameColours() const {
    return {settings.cBack, settings.cScBack, settings.cScBorder, settings.cScBorder2,
            settings.cScGrid};
}

void tChartPass::DrawTimeAxis() {
    axisDrawn = true;
    if (y > 10) y += 4;
    const bool months = geometry.spanHours >= 2400;
    Guarded(months ? "ds3" : "ds2", [&] {
        canvas.Brush() = {settings.cScBack, tBrushStyle::Clear};
        canvas.Pen() = {settings.cScGrid, tPenStyle::Solid, 1};
        UseFont(settings.cScDesc);
        for (const tTimeMark& mark : TimeMarks(geometry, context.locale)) {
            // No label runs past the right edge of the plots.
            if (mark.x + canvas.TextWidth(mark.label) <= geometry.RightEdge()) {
                canvas.TextOut(mark.x, y - 1, mark.label);
            }
        }
    });
    y += 4;
}

int tChartPass::BeginPlot(int height, bool watermark) {
    if (!axisDrawn) DrawTimeAxis();
    const int top = y + 7;
    tSectionFrame frame = ChartSectionFrame(geometry.width, top, height);
    for (const tTimeMark& mark : TimeMarks(geometry, context.locale)) frame.gridX.push_back(mark.x);
    const int32_t clock = context.rs.sample.Clock;
    const bool clockKnown = clock > 0 && clock != kNoValue32;
    if (watermark && clockKnown && (geometry.spanHours < 24 || settings.IncludeStaticData)) {
        tClockWatermark mark = ChartWatermarkSizes(height);
        mark.megahertz = RoundToInt(clock / 1000.0);
        mark.cores = context.rs.processorCount;
        mark.centreX = 6 + geometry.width / 2;
        mark.centreY = top + height / 2;
        frame.watermark = mark;
    }
    DrawSectionFrame(canvas, frame, FrameColours());
    return top;
}

void tChartPass::DrawIcon(tChartIcon icon, int plotTop, int height) {
    if (const tCanvas* picture = context.icons[icon])
        canvas.Draw(8, plotTop + height - 17, *picture);
}

std::string tChartPass::Labelled(std::string_view key, const std::string& value) const {
    return Text(key) + " " + value;
}

void tChartPass::DrawLegend(const std::vector<tLegendRow>& rows) {
    canvas.Brush().style = tBrushStyle::Clear;
    for (const tLegendRow& row : rows) {
        UseFont(row.colour);
        canvas.TextRect({geometry.x1, y, geometry.x2 - 5, y + 20}, geometry.x1, y, row.name);
        canvas.TextOut(geometry.x2, y, row.current);
        canvas.TextOut(geometry.x3, y, row.min);
        canvas.TextOut(geometry.x4, y, row.max);
        canvas.TextOut(geometry.x5, y, row.avg);
        y += 9;
    }
}

void DrawValueGrid(tChartPass& pass, int plotTop, int height, const tScale& scale,
                   const tValueGrid& grid) {
    if (grid.step <= 0 || !scale.Known() || scale.Range() <= 0) return;
    tCanvas& canvas = pass.canvas;
    const tSettings& settings = pass.settings;
    canvas.Brush().style = tBrushStyle::Clear;
    pass.UseFont(settings.cScDesc);
    const double range = double(scale.Range());
    auto draw = [&](int64_t v) {
        const double exact = (plotTop + height) - double(v - *scale.min) * height / range;
        const int yv = grid.truncate ? int(std::trunc(exact)) : RoundToInt(exact);
        canvas.Pen() = {settings.cScGrid, tPenStyle::Dot, 1};
        canvas.MoveTo(8, yv);
        canvas.LineTo(pass.geometry.width - 46, yv);
        canvas.TextOutRight(grid.labelRight, yv - 6, grid.label(v));
    };
    if (grid.descending) {
        for (int64_t v = *scale.max; v >= *scale.min; v -= grid.step) draw(v);
    } else {
        for (int64_t v = *scale.min; v <= *scale.max; v += grid.step) draw(v);
    }
    canvas.Pen().style = tPenStyle::Solid;
}

tSeriesStats SeriesStats(const tChartPass& pass, std::optional<int64_t> current,
                         const tRowValue& value, bool skipZeroInLimits) {
    tSeriesStats stats;
    auto widen = [&](int64_t v) {
        if (skipZeroInLimits && v == 0) return;
        if (!stats.min || v < *stats.min) stats.min = v;
        if (!stats.max || v > *stats.max) stats.max = v;
    };
    if (current) widen(*current);
    double sum = 0;
    int64_t n = 0;
    const tT& log = pass.log;
    for (int i = log.count; i >= 0; --i) {
        if (pass.geometry.BeyondSpan(pass.geometry.AgeHours(log.rows[i].time))) break;
        const std::optional<int64_t> v = value(log.rows[i], log.rows2[i]);
        if (!v) continue;
        widen(*v);
        sum += double(*v);
        ++n;
    }
    if (n > 0) stats.avg = int64_t(std::nearbyint(sum / double(n)));
    return stats;
}

void FlushPiece(tCanvas& canvas, std::vector<tPoint>& points, tColour colour) {
    if (points.size() >= 2) {
        canvas.Polyline(points);
        // A polyline leaves out its end point; the reading there must still show.
        canvas.SetPixel(points.back().x, points.back().y, colour);
    } else if (points.size() == 1) {
        canvas.SetPixel(points[0].x, points[0].y, colour);
    }
    points.clear();
}

void DrawSeriesLine(tChartPass& pass, int plotTop, int height, const tScale& scale,
                    const tSeriesLine& line) {
    const tT& log = pass.log;
    if (log.count < 1 || !scale.Known() || scale.Range() <= 0) return;
    const tChartGeometry& g = pass.geometry;
    const double alpha =
        pass.settings.Alpha >= 0 && pass.settings.Alpha < 1 ? pass.settings.Alpha : 0;
    const double range = double(scale.Range());
    tCanvas& canvas = pass.canvas;
    canvas.Pen() = {line.colour, tPenStyle::Solid, 1};
    std::vector<tPoint>& points = pass.scratch.points;
    // The pieces of the first drawing, kept for the bold one, which walks
    // the same rows to the same points a pixel lower.
    std::vector<tPoint>& drawn = pass.scratch.drawn;
    std::vector<size_t>& pieceEnds = pass.scratch.pieceEnds;
    points.clear();
    drawn.clear();
    pieceEnds.clear();
    auto endPiece = [&] {
        if (line.bold && !points.empty()) {
            drawn.insert(drawn.end(), points.begin(), points.end());
            pieceEnds.push_back(drawn.size());
        }
        FlushPiece(canvas, points, line.colour);
    };
    {
        const int offset = 7;
        double smoothed = 0;
        std::optional<double> lastAge;
        for (int k = 0; k <= log.count; ++k) {
            const int i = line.newestFirst ? log.count - k : k;
            const double age = g.AgeHours(log.rows[i].time);
            if (age < 0) continue;
            const std::optional<int64_t> raw = line.value(log.rows[i], log.rows2[i]);
            std::optional<double> value;
            if (raw) value = line.toScale(*raw);
            if (alpha != 0) {
                if (!value) {
                    smoothed = 0;
                } else {
                    smoothed = smoothed == 0 ? *value : *value * alpha + (1 - alpha) * smoothed;
                    value = double(RoundToInt(smoothed));
                }
            }
            if (!value || *value < double(*scale.min) || *value > double(*scale.max) ||
                g.BeyondSpan(age)) {
                endPiece();
                lastAge = age;
                continue;
            }
            // At most one point per half pixel; rows may be walked either way.
            if (lastAge && !points.empty() && std::fabs(*lastAge - age) < g.halfPixelHours)
                continue;
            const int x = g.LineX(age);
            const int y = RoundToInt((plotTop - 7) + height -
                                     (*value - double(*scale.min)) * height / range) +
                          offset;
            points.push_back({x, y});
            lastAge = age;
        }
        endPiece();
    }
    if (!line.bold) return;
    size_t begin = 0;
    for (size_t end : pieceEnds) {
        for (size_t i = begin; i < end; ++i) points.push_back({drawn[i].x, drawn[i].y + 1});
        FlushPiece(canvas, points, line.colour);
        begin = end;
    }
}

void DrawSeriesArea(tChartPass& pass, int plotTop, int height, const tScale& scale,
                    const tSeriesArea& area) {
    const tT& log = pass.log;
    if (log.count < 0 || !scale.Known() || scale.Range() <= 0) return;
    const tChartGeometry& g = pass.geometry;
    const double range = double(scale.Range());
    const int base = plotTop + height;
    tCanvas& canvas = pass.canvas;
    canvas.Pen() = {area.colour, tPenStyle::Solid, 1};
    canvas.Brush() = {area.colour, tBrushStyle::Solid};
    std::vector<tPoint> points;
    auto close = [&] {
        if (!points.empty()) {
            points.push_back({points.back().x, base});
            canvas.Polygon(points);
        }
        points.clear();
    };
    std::optional<double> lastAge;
    for (int i = log.count; i >= 0; --i) {
        const double age = g.AgeHours(log.rows[i].time);
        if (g.BeyondSpan(age)) break;
        std::optional<int64_t> value = area.value(log.rows[i], log.rows2[i]);
        if (value && *value > *scale.max && area.clampToMax) value = *scale.max;
        if (!value || age < 0 || *value > *scale.max) {
            close();
            continue;
        }
        if (!points.empty() && lastAge && age - *lastAge < g.halfPixelHours) continue;
        const int x = g.AreaX(age);
        const int y =
            RoundToInt(base - double(std::max(*value, *scale.min) - *scale.min) * height / range);
        if (points.empty()) points.push_back({x, base});
        points.push_back({x, y});
        lastAge = age;
    }
    close();
    canvas.Brush().style = tBrushStyle::Clear;
}

}  // namespace cx
