#include "monitor/render/Banner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "monitor/render/ContrastColours.h"
#include "monitor/render/SectionFrame.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"
#include "settings/ValueFormats.h"

namespace cx {
namespace {

constexpr int kPlotHeight = 53;
// A span outside this range (hours) falls back to the default six hours: a
// year is the longest history any log keeps.
constexpr double kMaxSpanHours = 8784;
constexpr double kDefaultSpanHours = 6;

int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

void LogFailure(const tPictureContext& context, const char* code, const std::exception& e) {
    context.events.WriteEvent(std::string(code) + e.what());
}

double GridStepHours(double span) {
    if (span <= 2) return 0.25;
    if (span <= 4) return 0.5;
    if (span <= 8) return 1;
    if (span <= 24) return 4;
    return 24;
}

int ValueGridStep(int range) {
    if (range <= kPlotHeight * 16.67) return 200;
    if (range <= kPlotHeight * 41.67) return 500;
    if (range <= kPlotHeight * 83.33) return 1000;
    return 2000;
}

// The locale's long time without its seconds, for the time labels.
std::string LabelTimeFormat(const tLocaleFormats& locale) {
    std::string pattern = locale.longTimeFormat;
    for (size_t at = 0; at + 1 < pattern.size(); ++at) {
        if (std::tolower(static_cast<unsigned char>(pattern[at])) != 's' ||
            std::tolower(static_cast<unsigned char>(pattern[at + 1])) != 's') {
            continue;
        }
        // The seconds go together with the separator in front of them.
        size_t from = at;
        if (from > 0 && !std::isalpha(static_cast<unsigned char>(pattern[from - 1]))) --from;
        pattern.erase(from, at + 2 - from);
        break;
    }
    return pattern.find_first_not_of(' ') == std::string::npos ? std::string("hh:nn") : pattern;
}

bool IsMidnight(TDateTime t) {
    const double minutes = std::nearbyint((t - std::floor(t)) * 1440);
    return minutes == 0 || minutes == 1440;
}

// The first day of the month that holds `t`.
TDateTime MonthStart(TDateTime t) {
    using namespace std::chrono;
    const sys_days day{days{int64_t(std::floor(t - kUnixEpochDays))}};
    const year_month_day date{day};
    return double(sys_days{date.year() / date.month() / 1}.time_since_epoch().count()) +
           kUnixEpochDays;
}

// The first day of the month before the one that starts at `monthStart`.
TDateTime PreviousMonthStart(TDateTime monthStart) {
    return MonthStart(monthStart - 1);
}

// Everything the steps share.
struct tBannerGeometry {
    int width = 0;
    double span = 0;  // hours
    double grid = 0;  // hours between time labels
    double pixelsPerHour = 0;
    double halfPixelHours = 0;
    TDateTime displayEnd = 0;  // the sample's time as the user sees it
};

std::vector<int> TimeGridColumns(const tBannerGeometry& g) {
    std::vector<int> columns;
    if (g.span >= 2400) {
        for (TDateTime t = MonthStart(g.displayEnd);; t = PreviousMonthStart(t)) {
            double x = (g.width - 24) - (g.displayEnd - t) * 24 * g.pixelsPerHour;
            if (x < 8) break;
            columns.push_back(int(x));
        }
        return columns;
    }
    const double first = std::floor(g.displayEnd * 24 / g.grid);
    for (int i = 0;; ++i) {
        const TDateTime t = (first - i) * g.grid / 24;
        const double x = (g.width - 22) - (g.displayEnd - t) * 24 * g.pixelsPerHour;
        if (x < 8) break;
        columns.push_back(int(x));
    }
    return columns;
}

void DrawFrame(tCanvas& image, const tBannerGeometry& g, const tPictureContext& context) {
    const tSettings& s = context.settings;
    tSectionFrame frame;
    frame.frame = {7, 10, g.width - 20, 67};
    frame.gridTop = 14;
    frame.gridBottom = 64;
    frame.gridX = TimeGridColumns(g);
    const int32_t clock = context.rs.sample.Clock;
    if (clock != kNoValue32) {
        // The chart's watermark sizes scaled to the banner's 53-pixel plot.
        tClockWatermark watermark;
        watermark.megahertz = RoundHalfEven(clock / 1000.0);
        watermark.cores = context.rs.processorCount;
        watermark.length = 22;
        watermark.thickness = 1;
        watermark.gap = 6;
        watermark.textHeight = 16;
        watermark.centreX = 8 + (g.width + 20) / 2;
        watermark.centreY = 38;
        frame.watermark = watermark;
    }
    DrawSectionFrame(image, frame, {s.cBack, s.cScBack, s.cScBorder, s.cScBorder2, s.cScGrid});
}

void DrawTimeLabels(tCanvas& image, const tBannerGeometry& g, const tPictureContext& context) {
    const tSettings& s = context.settings;
    image.Brush() = {s.cScBack, tBrushStyle::Clear};
    image.Font().colour = s.cScDesc;
    image.Pen() = {s.cScGrid, tPenStyle::Solid, 1};
    const std::string timeFormat = LabelTimeFormat(context.locale);
    const double first = std::floor(g.displayEnd * 24 / g.grid);
    for (int i = 0;; ++i) {
        const TDateTime t = (first - i) * g.grid / 24;
        const double x = (g.width - 22) - (g.displayEnd - t) * 24 * g.pixelsPerHour;
        if (x < 10) break;
        const std::string text = FormatDateTime(
            IsMidnight(t) ? context.locale.shortDateFormat : timeFormat, t, context.locale);
        if (g.width - image.TextWidth(text) - 22 >= x) image.TextOut(int(x), 11, text);
    }
}

// The automatic scale: both limits reach at least 2 degrees beyond what the
// charted slots showed during the span, on even degrees.
void FitScale(const tBannerGeometry& g, tPictureContext& context) {
    tSettings& s = context.settings;
    const tSample& sample = context.rs.sample;
    const tT& log = context.log8h;
    if (s.TAutoBanner) {
        s.TMinBanner = kNoValue16;
        s.TMaxBanner = kNoValue16;
    }
    for (int slot = 0; slot < kTempSlots; ++slot) {
        try {
            const int16_t current = sample.T[slot];
            if (s.visT[slot] == 1 && current != kNoValue16) {
                int minimum = current;
                int maximum = current;
                for (int32_t row = log.count; row >= 0; --row) {
                    const tSample& past = log.rows[size_t(row)];
                    if (past.T[slot] == kNoValue16) continue;
                    if ((sample.time - past.time) * 24 > g.span) break;
                    minimum = std::min<int>(minimum, past.T[slot]);
                    maximum = std::max<int>(maximum, past.T[slot]);
                }
                if (s.TAutoBanner) {
                    if (s.TMinBanner == kNoValue16 || minimum < s.TMinBanner) {
                        s.TMinBanner =
                            int16_t(std::max(std::floor(minimum / 200.0 - 1) * 200, -32768.0));
                    }
                    if (s.TMaxBanner == kNoValue16 || maximum > s.TMaxBanner) {
                        s.TMaxBanner =
                            int16_t(std::min(std::ceil(maximum / 200.0 + 1) * 200, 32766.0));
                    }
                }
            }
            if (s.TMinBanner < -5000) s.TMinBanner = -5000;
            if (s.TMaxBanner > 15000 && s.TMaxBanner != kNoValue16) s.TMaxBanner = 15000;
        } catch (const std::exception& e) {
            LogFailure(context, "db13 ", e);
        }
    }
}

void DrawValueGrid(tCanvas& image, const tBannerGeometry& g, const tPictureContext& context,
                   double scale) {
    const tSettings& s = context.settings;
    try {
        const tValueFormatContext formats{s, context.messages, context.locale};
        const int step = ValueGridStep(s.TMaxBanner - s.TMinBanner);
        image.Pen().style = tPenStyle::Dot;
        for (int v = s.TMinBanner; v <= s.TMaxBanner; v += step) {
            const int y = RoundHalfEven(65 - (v - s.TMinBanner) * scale);
            image.MoveTo(10, y);
            image.LineTo(g.width - 24, y);
            image.TextOut(
                g.width - 20, y - 6,
                FormatFloat("0", ConvertTemperature(v, formats), context.locale.decimalSeparator));
        }
    } catch (const std::exception& e) {
        LogFailure(context, "db14 ", e);
    }
    image.Pen().style = tPenStyle::Solid;
}

void EndPiece(tCanvas& image, std::vector<tPoint>& points, tColour colour) {
    if (points.size() >= 2) {
        image.Polyline(points);
    } else if (points.size() == 1) {
        image.SetPixel(points[0].x, points[0].y, colour);
    }
    points.clear();
}

// One slot's line, thinned to a point per half pixel and broken at gaps and
// at values outside the scale.
void DrawSeries(tCanvas& image, const tBannerGeometry& g, const tPictureContext& context, int slot,
                int offset, double scale) {
    const tSettings& s = context.settings;
    const tSample& sample = context.rs.sample;
    const tT& log = context.log8h;
    const tColour colour = s.colT[size_t(slot)];
    image.Pen() = {colour, tPenStyle::Solid, 1};
    std::vector<tPoint> points;
    double smoothed = 0;
    double rememberedAge = std::numeric_limits<double>::infinity();
    for (int32_t row = 0; row <= log.count; ++row) {
        const tSample& past = log.rows[size_t(row)];
        const double age = (sample.time - past.time) * 24;
        int value = past.T[slot];
        if (value < s.TMinBanner || value > s.TMaxBanner || age > g.span) {
            EndPiece(image, points, colour);
            continue;
        }
        if (rememberedAge - age < g.halfPixelHours) continue;
        if (s.Alpha != 0) {
            smoothed = smoothed == 0 ? value : smoothed * (1 - s.Alpha) + s.Alpha * value;
            value = RoundHalfEven(smoothed);
        }
        points.push_back(
            {g.width - 23 - int(age * g.pixelsPerHour),
             RoundHalfEven(7 + offset + kPlotHeight - (value - s.TMinBanner) * scale)});
        rememberedAge = age;
    }
    EndPiece(image, points, colour);
}

void DrawLegend(tCanvas& image, const tPictureContext& context) {
    const tSettings& s = context.settings;
    try {
        const tValueFormatContext formats{s, context.messages, context.locale};
        const tPlaceholderContext placeholders = context.Placeholders();
        image.Font().name = s.FontStandard;
        image.Font().height = 12;
        image.Font().bold = false;
        SetCrispFont(image.Font());
        image.Brush().style = tBrushStyle::Clear;
        int x = 8;
        for (size_t slot = 0; slot < kSensorSlots; ++slot) {
            if (s.visT[slot] == 0) continue;
            image.Font().colour = s.colT[slot];
            std::string text =
                ExpandPlaceholders(s.nameT[slot], context.rs.sample.time, placeholders);
            const int16_t value = context.rs.sample.T[slot];
            if (value != kNoValue16) text += " " + FormatTemperature(value, formats);
            image.TextOut(x, 0, text);
            x += image.TextWidth(text) + 10;
        }
    } catch (const std::exception& e) {
        LogFailure(context, "db17 ", e);
    }
}

void DrawChartPart(tCanvas& image, const tBannerGeometry& g, tPictureContext& context) {
    const tSettings& s = context.settings;
    const bool anyCharted = std::any_of(s.visT.begin(), s.visT.end(), [](int v) { return v == 1; });
    if (s.TMaxBanner == s.TMinBanner || !anyCharted || s.TMinBanner == kNoValue16 ||
        s.TMaxBanner == kNoValue16) {
        return;
    }
    try {
        const double scale = double(kPlotHeight) / (s.TMaxBanner - s.TMinBanner);
        DrawValueGrid(image, g, context, scale);
        for (int slot = kTempSlots - 1; slot >= 0; --slot) {
            if (s.visT[size_t(slot)] != 1 || context.rs.sample.T[slot] == kNoValue16) continue;
            for (int offset : {5, 6}) {
                if (offset == 6 && !s.boldT[size_t(slot)]) break;
                try {
                    DrawSeries(image, g, context, slot, offset, scale);
                } catch (const std::exception& e) {
                    LogFailure(context, "db16 ", e);
                }
            }
        }
        DrawLegend(image, context);
    } catch (const std::exception& e) {
        LogFailure(context, "db18 ", e);
    }
}

void DrawFooter(tCanvas& image, const tBannerGeometry& g, const tPictureContext& context) {
    const tSettings& s = context.settings;
    const tReadingSet& rs = context.rs;
    image.Brush().style = tBrushStyle::Clear;
    image.Font().name = s.FontSmall;
    image.Font().height = 10;
    image.Font().bold = false;
    SetCrispFont(image.Font());
    const tContrastColours colours = PickContrastColours(image, g.width - 102, 70);
    if (s.DisplayDateTime) {
        image.Font().colour = colours.second;
        image.TextOut(8, 68,
                      Format(context.messages.Text("Time"),
                             FormatDateTime(context.locale.shortDateFormat + " " +
                                                context.locale.longTimeFormat,
                                            g.displayEnd, context.locale)));
    }
    if (s.ReadUpTime) {
        try {
            image.Font().colour = colours.third;
            image.TextOut(145, 68,
                          context.messages.Text("Uptime") + " " +
                              Format("%d d %.2d:%.2d:%.2d h", rs.uptimeDays, rs.uptimeHours,
                                     rs.uptimeMinutes, rs.uptimeSeconds));
        } catch (const std::exception& e) {
            LogFailure(context, "db20 ", e);
        }
    }
    image.Font().colour = colours.shadow;
    image.TextOut(g.width - 102, 69, kProgramLine);
    image.Font().colour = colours.first;
    image.TextOut(g.width - 102, 68, kProgramLine);
    image.Font().name = s.FontStandard;
    image.Font().height = 14;
    image.Font().bold = true;
    SetCrispFont(image.Font());
    const std::string address = WebAddressText();
    image.Font().colour = colours.shadow;
    image.TextOut(271, 66, address);
    image.Font().colour = colours.first;
    image.TextOut(270, 65, address);
    image.Font().bold = false;
}

void DrawEdge(tCanvas& image, const tSettings& s, int width, int height) {
    image.Pen() = {s.cBorder2, tPenStyle::Solid, 1};
    image.MoveTo(0, height - 1);
    image.LineTo(0, 0);
    image.LineTo(width - 1, 0);
    image.Pen().colour = s.cBorder;
    image.LineTo(width - 1, height - 1);
    image.LineTo(-1, height - 1);
}

}  // namespace

void DrawBanner(tCanvas& image, tPictureContext& context) {
    if (context.log8h.count <= 0) return;
    try {
        tSettings& s = context.settings;
        context.events.WriteEvent("Drawing banner");
        tBannerGeometry g;
        g.width = std::clamp<int>(s.BannerWidth, 480, 3072);
        g.span =
            s.SpanBanner > 0 && s.SpanBanner <= kMaxSpanHours ? s.SpanBanner : kDefaultSpanHours;
        g.grid = GridStepHours(g.span);
        g.pixelsPerHour = (g.width - 30) / g.span;
        g.halfPixelHours = g.span / (g.width - 30) / 2;
        g.displayEnd = UTCToDisplay(context.rs.sample.time, context.zoneRules, s.TimeInUTC);

        image.SetSize(g.width, kBannerHeight);
        image.Pen() = {s.cBorder, tPenStyle::Solid, 1};
        image.Brush() = {s.cBack, tBrushStyle::Solid};
        image.Rectangle(0, 0, g.width, kBannerHeight);
        image.Brush().style = tBrushStyle::Clear;
        image.Font().name = s.FontStandard;
        image.Font().height = 12;
        image.Font().bold = false;
        SetCrispFont(image.Font());

        DrawFrame(image, g, context);
        DrawTimeLabels(image, g, context);
        FitScale(g, context);
        DrawChartPart(image, g, context);
        DrawFooter(image, g, context);
        DrawEdge(image, s, g.width, kBannerHeight);
    } catch (const std::exception& e) {
        LogFailure(context, "db21 ", e);
    }
}

}  // namespace cx
