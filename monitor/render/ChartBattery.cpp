// The battery sections: the charge in percent of the full-charged capacity
// with the charge state, the time left and the wear below it (short spans),
// or the full-charged capacity in percent of the design (long spans).
#include <algorithm>
#include <cmath>

#include "monitor/render/ChartSections.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"

namespace cx {

namespace {

// Fractions are drawn as parts per billion of a 0..1 scale.
constexpr int64_t kWhole = 1000000000;

bool KnownCapacity(int32_t value) {
    return value >= 0 && value != kNoValue32;
}

void DrawPercentGrid(tChartPass& pass, int plotTop, int height) {
    tCanvas& canvas = pass.canvas;
    const tSettings& settings = pass.settings;
    const int parts = int(std::ceil(height / 20.0 + 1));
    if (parts <= 0) return;
    canvas.Brush().style = tBrushStyle::Clear;
    pass.UseFont(settings.cScDesc);
    const double step = 100.0 / parts;
    for (double v = 0; v <= 100 + 1e-9; v += step) {
        const int y = RoundToInt((plotTop + height) - v * height / 100);
        canvas.Pen() = {settings.cScGrid, tPenStyle::Dot, 1};
        canvas.MoveTo(8, y);
        canvas.LineTo(settings.StatsWidth - 46, y);
        canvas.TextOutRight(settings.StatsWidth - 7, y - 6,
                            FormatFloat("0", v, pass.context.locale.decimalSeparator) + " %");
    }
    canvas.Pen().style = tPenStyle::Solid;
}

// A plot of a battery fraction over 0..100 %.
void DrawFractionPlot(tChartPass& pass, const tRowValue& fraction, const char* code) {
    const int height = pass.settings.BatHeight;
    const int plotTop = pass.BeginPlot(height);
    pass.Guarded(code, [&] {
        DrawPercentGrid(pass, plotTop, height);
        tSeriesArea area;
        area.colour = pass.settings.colBat;
        area.value = fraction;
        DrawSeriesArea(pass, plotTop, height, {0, kWhole}, area);
    });
    pass.DrawIcon(kIconBattery, plotTop, height);
    pass.EndPlot(height);
}

std::string WearText(const tChartPass& pass) {
    const tReadingSet& rs = pass.context.rs;
    const char separator = pass.context.locale.decimalSeparator;
    const std::string wear =
        FormatFloat("0.0", (1 - double(rs.sample.BatFull) / rs.batDesign) * 100, separator);
    if (rs.batRelative) return Format(pass.Text("BatWearNoCap"), wear);
    return Format(pass.Text("BatWear"), std::to_string(rs.batDesign), wear);
}

void WriteRows(tChartPass& pass, const std::vector<std::string>& lines) {
    pass.canvas.Brush().style = tBrushStyle::Clear;
    pass.UseFont(pass.settings.colBat);
    for (const std::string& line : lines) {
        pass.canvas.TextOut(pass.geometry.x1, pass.y, line);
        pass.y += 9;
    }
}

}  // namespace

double ChargeRatePerDay(const tT& shortLog, const tSample& current, double spanHours) {
    double l = 0;
    for (int i = shortLog.count; i >= 1; --i) {
        const tSample& row = shortLog.rows[i];
        const double d = current.time - row.time;
        if (d - l > spanHours / 24) break;
        if (KnownCapacity(row.BatRemaining)) {
            const tSample& older = shortLog.rows[i - 1];
            if (older.OnMains != current.OnMains || older.BatFull != current.BatFull ||
                d > 1.0 / 144) {
                if (row.BatFull > 0 && d > 0) {
                    return (double(current.BatRemaining) - row.BatRemaining) / d;
                }
                return 0;
            }
        }
        l = d;
    }
    return 0;
}

std::string BatteryStatusText(const tChartPass& pass, double rate) {
    const tReadingSet& rs = pass.context.rs;
    const char separator = pass.context.locale.decimalSeparator;
    const double rem = rs.sample.BatRemaining;
    const double full = rs.sample.BatFull;
    const bool relative = rs.batRelative;
    const std::string p = FormatFloat("0.0", rem / full * 100, separator);
    const std::string remText = FormatFloat("0", rem, separator);
    const std::string fullText = FormatFloat("0", full, separator);
    const std::string timeFormat = pass.Text("TimeFormat");
    const tLocaleFormats& locale = pass.context.locale;
    std::string text;
    if (rem == full) {
        text = relative ? Format(pass.Text("BatFullNoCap"), "?")
                        : Format(pass.Text("BatFull"), fullText);
    } else if (rem == 0) {
        text = relative ? Format(pass.Text("BatEmptyNoCap"), "?")
                        : Format(pass.Text("BatEmpty"), fullText);
    } else {
        text = relative ? p + " %" : Format(pass.Text("BatCapacity"), p, remText, fullText);
        if (rate < 0) {
            text += "   " + Format(pass.Text("RemainingBattery"),
                                   FormatDateTime(timeFormat, full / -rate, locale),
                                   FormatDateTime(timeFormat, rem / -rate, locale));
        } else if (rate > 0) {
            const double t = (full - rem) / rate;
            const TDateTime at =
                UTCToDisplay(rs.sample.time + t, pass.context.zoneRules, pass.settings.TimeInUTC);
            text += "   " + Format(pass.Text("ChargingTime"), FormatDateTime(timeFormat, t, locale),
                                   FormatDateTime(timeFormat, at, locale));
        }
    }
    return pass.Text("BatteryStatus") + " " + text;
}

void DrawBatterySection(tChartPass& pass) {
    const tSettings& settings = pass.settings;
    const tReadingSet& rs = pass.context.rs;
    if (!settings.visBat) return;
    const int top = pass.y;
    const double span = pass.geometry.spanHours;
    if (rs.sample.BatFull > 0 && span < 240) {
        DrawFractionPlot(
            pass,
            [](const tSample& row, const tSample2&) -> std::optional<int64_t> {
                if (!KnownCapacity(row.BatRemaining) || row.BatFull <= 0) return std::nullopt;
                const int32_t remaining = row.BatRemaining, full = row.BatFull;
                const double r = std::min(remaining, full);
                return std::llround(r / row.BatFull * double(kWhole));
            },
            "ds41");
        pass.Guarded("ds43", [&] {
            const tT& shortLog = pass.context.log8h ? *pass.context.log8h : pass.log;
            std::vector<std::string> lines{
                BatteryStatusText(pass, ChargeRatePerDay(shortLog, rs.sample, span))};
            if (rs.batDesign > 0) lines.push_back(WearText(pass));
            WriteRows(pass, lines);
        });
    }
    if (rs.batDesign > 0 && span >= 240) {
        pass.Guarded("ds46", [&] {
            const int64_t design = rs.batDesign;
            DrawFractionPlot(
                pass,
                [design](const tSample& row, const tSample2&) -> std::optional<int64_t> {
                    if (row.BatFull <= 0 || row.BatFull == kNoValue32) return std::nullopt;
                    return std::llround(double(row.BatFull) / double(design) * double(kWhole));
                },
                "ds46");
            WriteRows(pass, {WearText(pass)});
        });
    }
    pass.hover.bands[kBandBattery] = {top, pass.y};
}

}  // namespace cx
