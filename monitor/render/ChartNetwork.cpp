// The network section: the traffic of the adapters as bars of received and
// sent rates per row pair, on a linear or logarithmic scale, with offline
// stretches blanked, and each adapter's totals and current rates below.
#include <algorithm>
#include <array>
#include <cmath>

#include "monitor/render/ChartSections.h"

namespace cx {

namespace {

struct tCounters {
    int32_t in = kNoValue32;
    int32_t out = kNoValue32;
    bool Known() const { return in != kNoValue32 && out != kNoValue32 && in >= 0 && out >= 0; }
};

tCounters CountersOf(const tSample& row, int slot) {
    return {row.NetIn[slot], row.NetOut[slot]};
}

struct tTotals {
    int64_t in = 0;
    int64_t out = 0;
};

// The network scale of one plot: the limits in KB/s and how a rate maps to
// a height above the base line.
struct tNetScale {
    double min = 0;
    double max = 96;
    bool logarithmic = false;
    // ln min and ln max - ln min, worked out once for every bar of the plot.
    double lnMin = 0;
    double lnRange = 0;
    void SetLimits(double low, double high) {
        min = low;
        max = high;
        lnMin = std::log(min);
        lnRange = std::log(max) - lnMin;
    }
    // The height above the base line of a rate within the limits.
    double Height(double rate, int height) const {
        if (logarithmic) return (std::log(rate) - lnMin) / lnRange * height;
        return (rate - min) * height / (max - min);
    }
};

class tNetworkPlot {
public:
    tNetworkPlot(tChartPass& pass) : m_pass(pass), m_settings(pass.settings), m_g(pass.geometry) {}

    // Totals of adapter j over the span; widens the automatic limits by its rates.
    tTotals Totals(int j, std::optional<double>& low, std::optional<double>& high) const {
        tTotals totals;
        const tT& log = m_pass.log;
        tCounters newer = CountersOf(m_pass.context.rs.sample, j);
        double newerAge = 0;
        auto widen = [&](double rate) {
            if (!m_settings.NetAuto) return;
            if (!low || rate < *low) low = std::floor(rate / 8) * 8;
            if (!high || rate > *high) high = std::ceil(rate / 8) * 8;
        };
        for (int i = log.count; i >= 0; --i) {
            const double age = m_g.AgeHours(log.rows[i].time);
            if (m_g.BeyondSpan(age)) break;
            const tCounters row = CountersOf(log.rows[i], j);
            if (age > newerAge && row.Known() && newer.Known() && age >= 0 && newerAge >= 0) {
                const int64_t dIn = std::max<int64_t>(int64_t(newer.in) - row.in, 0);
                const int64_t dOut = std::max<int64_t>(int64_t(newer.out) - row.out, 0);
                totals.in += dIn;
                totals.out += dOut;
                const double hours = age - newerAge;
                widen(double(dIn) / hours / 3600);
                widen(double(dOut) / hours / 3600);
            }
            newer = row;
            newerAge = age;
        }
        return totals;
    }

    tNetScale Scale(std::optional<double> low, std::optional<double> high) const {
        tNetScale scale;
        scale.logarithmic = m_settings.NetLog;
        double min = m_settings.NetAuto ? low.value_or(2147483647) : m_settings.NetMin;
        double max = m_settings.NetAuto ? high.value_or(2147483647) : m_settings.NetMax;
        min = std::max(min, 0.0);
        max = std::min(max, 131072.0);
        if (!(min < max && min >= 0)) {
            min = 0;
            max = 96;
        }
        if (m_settings.NetAuto) {
            m_settings.NetMin = int32_t(min);
            m_settings.NetMax = int32_t(max);
        }
        if (scale.logarithmic) {
            min = std::max(min, 1.0);
            max = std::max(max, 1.0);
            // A range of zero would put every bar at an infinite height.
            if (max <= min) max = min * 8;
        }
        scale.SetLimits(min, max);
        return scale;
    }

    void DrawGrid(int plotTop, int height, const tNetScale& scale) {
        tCanvas& canvas = m_pass.canvas;
        const tValueFormatContext formats = m_pass.Formats();
        const int parts = int(std::ceil(height / 20.0 + 1));
        canvas.Brush().style = tBrushStyle::Clear;
        m_pass.UseFont(m_settings.cScDesc);
        auto line = [&](int y, double rate) {
            canvas.Pen() = {m_settings.cScGrid, tPenStyle::Dot, 1};
            canvas.MoveTo(8, y);
            canvas.LineTo(m_g.width - 46, y);
            canvas.TextOutRight(m_g.width - 3, y - 6, FormatRate(rate, formats));
        };
        if (parts <= 0) return;
        const int base = plotTop + height;
        if (!scale.logarithmic) {
            const double step = std::ceil((scale.max - scale.min) / parts / 8) * 8;
            if (step <= 0) return;
            for (double v = scale.min; v <= scale.max; v += step) {
                line(RoundToInt(base - scale.Height(v, height)), v);
            }
        } else {
            const double lnMin = std::log(scale.min);
            const double step = (std::log(scale.max) - lnMin) / parts;
            if (step <= 0) return;
            for (double u = lnMin; u <= std::log(scale.max + 0.1); u += step) {
                line(RoundToInt(base - scale.Height(std::exp(u), height)), std::exp(u));
            }
        }
        canvas.Pen().style = tPenStyle::Solid;
    }

    void DrawBars(int j, int plotTop, int height, const tNetScale& scale) {
        const tT& log = m_pass.log;
        const int right = m_g.width - 44;
        const double pph = m_g.pixelsPerHour;
        const double minStep = 0.1 * m_g.halfPixelHours;
        const tColour in = m_settings.colRNet[j];
        const tColour out = m_settings.colSNet[j];
        const int base = plotTop + height + 1;
        // Bars and gaps all end on the row above `base`: they are collected
        // and painted at the end of the plot (DrawBarsEnd), each pixel once.
        auto blank = [&](int x1, int y1, int x2, int y2) {
            x1 = std::max(x1, 0);
            x2 = std::max(x2, 0);
            if (x2 <= x1) return;
            // The area an outline-less rectangle fills, but reaching its right
            // edge, so that neighbouring gaps join without a seam.
            Fill(x1, std::min(y1, y2), x2, std::max(y1, y2) - 1, m_settings.cBack);
        };
        auto bar = [&](double rate, tColour colour, int xNew, int xOld) {
            rate = std::clamp(rate, scale.min, scale.max);
            const int top = RoundToInt(base - scale.Height(rate, height));
            // A rectangle whose outline has its fill colour: all of it filled.
            Fill(xNew, std::min(top, base), xOld, std::max(top, base), colour);
        };
        tCounters newer = CountersOf(m_pass.context.rs.sample, j);
        double b = 0;
        double lastDrawn = 0;
        for (int i = log.count; i >= 0; --i) {
            const double a = m_g.AgeHours(log.rows[i].time);
            if (m_g.BeyondSpan(a)) break;
            const tCounters row = CountersOf(log.rows[i], j);
            if (row.Known() && newer.Known() && a > b && lastDrawn >= 0) {
                if (a - lastDrawn >= minStep) {
                    const double hours = a - b;
                    const double rIn = double(int64_t(newer.in) - row.in) / hours / 3600;
                    const double rOut = double(int64_t(newer.out) - row.out) / hours / 3600;
                    const int xNew = right - FloorPixels(b * pph);
                    const int xOld = right - CeilPixels(a * pph);
                    const bool inLarger = rIn >= rOut;
                    bar(inLarger ? rIn : rOut, inLarger ? in : out, xNew, xOld);
                    bar(inLarger ? rOut : rIn, HalfwayColour(in, out), xNew, xOld);
                    lastDrawn = a;
                }
            } else if (m_settings.ShowOfflineTime && a > lastDrawn && a - lastDrawn >= minStep) {
                blank(right - FloorPixels(a * pph), plotTop + height + 2,
                      right - CeilPixels(lastDrawn * pph), plotTop);
                lastDrawn = a;
            }
            newer = row;
            b = a;
        }
        if (m_settings.ShowOfflineTime && lastDrawn < m_g.spanHours) {
            blank(6, plotTop + height + 2, right - CeilPixels(std::max(lastDrawn, 0.0) * pph),
                  plotTop - 1);
        }
    }

    void DrawBarsBegin(int plotTop, int height) {
        m_barsBottom = plotTop + height + 1;
        m_pass.canvas.BeginStandingBars(m_barsBottom);
    }

    // Paints the bars of the plot and leaves the brush clear.
    void DrawBarsEnd() {
        tCanvas& canvas = m_pass.canvas;
        canvas.EndStandingBars();
        canvas.Brush().style = tBrushStyle::Clear;
    }

    void DrawLegendRow(int j, const tTotals& totals) {
        tCanvas& canvas = m_pass.canvas;
        const tValueFormatContext formats = m_pass.Formats();
        const tColour in = m_settings.colRNet[j];
        const tColour out = m_settings.colSNet[j];
        const int y = m_pass.y;
        canvas.Brush().style = tBrushStyle::Clear;
        m_pass.UseFont(in);
        const std::string name = m_pass.ExpandName(m_settings.nameNet[j]);
        m_pass.hover.networks.push_back({j, name});
        canvas.TextRect({m_g.x1, y, m_g.x2, y + 20}, m_g.x1, y, name);
        canvas.TextOut(m_g.x3, y, FormatKilobytes(double(totals.in), formats));
        const tT& shortLog = m_pass.context.log8h ? *m_pass.context.log8h : m_pass.log;
        const tCounters current = CountersOf(m_pass.context.rs.sample, j);
        bool rateShown = false;
        if (shortLog.count >= 0) {
            const tSample& newest = shortLog.rows[shortLog.count];
            const tCounters row = CountersOf(newest, j);
            const double seconds = (m_g.endTime - newest.time) * 86400;
            if (seconds > 0 && row.Known() && current.Known() && current.in >= row.in &&
                current.out >= row.out) {
                canvas.TextOut(m_g.x2, y,
                               m_pass.Text("Down") + " " +
                                   FormatRate(double(current.in - row.in) / seconds, formats));
                canvas.Font().colour = out;
                canvas.TextOut(m_g.x4, y,
                               m_pass.Text("Up") + " " +
                                   FormatRate(double(current.out - row.out) / seconds, formats));
                rateShown = true;
            }
        }
        if (!rateShown) canvas.TextOut(m_g.x2, y, m_pass.Text("SensNotConn"));
        canvas.Font().colour = out;
        canvas.TextOut(m_g.x5, y, FormatKilobytes(double(totals.out), formats));
        m_pass.y += 9;
    }

private:
    // The area x1..x2 (either order, x2 left out) by y1..y2 (y2 left out) in
    // `colour`, as the last drawing so far.
    void Fill(int x1, int y1, int x2, int y2, tColour colour) {
        tCanvas& canvas = m_pass.canvas;
        if (y2 == m_barsBottom) {
            canvas.StandingBar(x1, y1, x2, colour);
            return;
        }
        // Not standing on the base: drawn in its place among the others.
        canvas.EndStandingBars();
        canvas.Brush() = {colour, tBrushStyle::Solid};
        canvas.FillRect({x1, y1, x2, y2});
        canvas.BeginStandingBars(m_barsBottom);
    }

    tChartPass& m_pass;
    tSettings& m_settings;
    const tChartGeometry& m_g;
    int m_barsBottom = 0;
};

}  // namespace

void DrawNetworkSection(tChartPass& pass) {
    tSettings& settings = pass.settings;
    if (std::none_of(settings.visNet.begin(), settings.visNet.end(), [](bool v) { return v; })) {
        return;
    }
    const int top = pass.y;
    tNetworkPlot plot(pass);
    pass.Guarded("ds39", [&] {
        for (int k = 0; k < int(kNetSlots); ++k) {
            const int last = settings.NetSep ? k : int(kNetSlots) - 1;
            std::array<tTotals, kNetSlots> totals{};
            std::optional<double> low, high;
            pass.Guarded("ds37", [&] {
                for (int j = k; j <= last; ++j) {
                    if (settings.visNet[j]) totals[j] = plot.Totals(j, low, high);
                }
            });
            auto traffic = [&](int j) {
                return settings.visNet[j] && totals[j].in + totals[j].out > 0;
            };
            if (!traffic(k)) continue;
            const tNetScale scale = plot.Scale(low, high);
            const int height = settings.NetHeight;
            const int plotTop = pass.BeginPlot(height);
            pass.Guarded("ds38", [&] {
                plot.DrawGrid(plotTop, height, scale);
                plot.DrawBarsBegin(plotTop, height);
                for (int j = k; j <= last; ++j) {
                    if (traffic(j)) plot.DrawBars(j, plotTop, height, scale);
                }
            });
            // Painted even when a step failed, as the bars drawn before it were.
            plot.DrawBarsEnd();
            pass.DrawIcon(kIconNetwork, plotTop, height);
            pass.EndPlot(height);
            for (int j = k; j <= last; ++j) {
                if (traffic(j)) plot.DrawLegendRow(j, totals[j]);
            }
            if (!settings.NetSep) break;
        }
    });
    pass.hover.bands[kBandNetwork] = {top, pass.y};
}

}  // namespace cx
