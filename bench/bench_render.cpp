// Drawing and encoding of a chart-sized picture: how long a 550 x 700 chart
// takes to draw, and what each PNG layout, zlib strategy and row filter costs
// in time and bytes (the "bytes" counter) against an RGBA baseline and GIF.
// Then the monitor's own pictures over a week of synthetic readings: the
// statistics chart of the full 7-day log, the banner and the light, each
// drawn alone and drawn then encoded as PNG.
//
// "bench_render --write-week DIR" writes that week instead of benchmarking:
// the three history files and "week-rrd.txt", the 7-day log's temperatures
// as rrdtool update arguments (one "unixtime:T1:..:T10" a line, in degrees),
// for bench/compare-render.sh.
//
// "bench_render --write-pictures DIR" writes the monitor's pictures of that
// week as PNG files: the 8-hour, 24-hour and 7-day charts with the default
// settings and with a set of settings that reach the other drawing paths
// (logarithmic and separate network plots, smoothing, bold lines, the clock
// area, a wide chart, a chart of temperatures alone), the banner, the light
// and the synthetic chart above. Two builds that draw the same pixels write
// files that compare equal pixel by pixel.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "monitor/core/HistoryFiles.h"
#include "monitor/core/HistoryLog.h"
#include "monitor/render/Banner.h"
#include "monitor/render/Canvas.h"
#include "monitor/render/Chart.h"
#include "monitor/render/ImageFiles.h"
#include "monitor/render/Light.h"
#include "monitor/render/PictureContext.h"
#include "monitor/render/SectionFrame.h"
#include "monitor/render/SevenSegment.h"
#include "platform/Paths.h"
#include "settings/Messages.h"

namespace {

using namespace cx;

constexpr int kWidth = 550;
constexpr int kHeight = 700;
// How far a series line moves per pixel column (standard deviation, pixels):
// measured from 0.4 (calm temperatures) to 3 (processor loads), same ranking.
constexpr double kNoise = 1.5;

// One plot section the way the chart lays them out: frame, time grid, value
// grid with labels, series lines (a random walk like real sensor readings)
// or a filled area, and a legend row per series.
int DrawSection(tCanvas& canvas, std::mt19937& random, int y, int plotHeight,
                const std::vector<tColour>& series, bool filled, bool watermark) {
    const tFrameColours colours;
    int top = y + 7;
    tSectionFrame frame = ChartSectionFrame(kWidth, top, plotHeight);
    for (int x = kWidth - 44; x >= 6; x -= 42) frame.gridX.push_back(x);
    if (watermark) {
        tClockWatermark clock = ChartWatermarkSizes(plotHeight);
        clock.megahertz = 2394;
        clock.cores = 4;
        clock.centreX = 6 + kWidth / 2;
        clock.centreY = top + plotHeight / 2;
        frame.watermark = clock;
    }
    DrawSectionFrame(canvas, frame, colours);
    canvas.Pen() = {colours.grid, tPenStyle::Dot, 1};
    canvas.Font().height = 12;
    canvas.Font().colour = 0x000000;
    for (int v = 0; v <= 4; ++v) {
        int yv = top + plotHeight - v * plotHeight / 4;
        canvas.MoveTo(8, yv);
        canvas.LineTo(kWidth - 46, yv);
        canvas.TextOutRight(kWidth - 12, yv - 6, std::to_string(30 + v * 10) + ".0°C");
    }
    canvas.Pen().style = tPenStyle::Solid;
    std::normal_distribution<double> step(0, kNoise);
    for (tColour colour : series) {
        canvas.Pen().colour = colour;
        std::vector<tPoint> points;
        double value = plotHeight / 2.0;
        if (filled) points.push_back({kWidth - 45, top + plotHeight});
        for (int x = kWidth - 45; x >= 5; --x) {
            value = std::clamp(value + step(random), 2.0, plotHeight - 2.0);
            points.push_back({x, top + plotHeight - int(value)});
        }
        if (filled) {
            points.push_back({5, top + plotHeight});
            canvas.Brush() = {colour, tBrushStyle::Solid};
            canvas.Polygon(points);
            canvas.Brush().style = tBrushStyle::Clear;
        } else {
            canvas.Polyline(points);
        }
    }
    y += plotHeight + 8;
    for (size_t i = 0; i < series.size(); ++i) {
        canvas.Font().colour = series[i];
        canvas.TextRect({10, y, 149, y + 20}, 10, y, "Sensor " + std::to_string(i + 1));
        canvas.TextOut(154, y, "45.5°C");
        canvas.TextOut(253, y, "Min 40.0°C");
        canvas.TextOut(352, y, "Max 52.5°C");
        canvas.TextOut(451, y, "Avg 46.1°C");
        y += 9;
    }
    return y + 4;
}

void DrawChart(tCanvas& canvas) {
    std::mt19937 random(20);
    canvas.SetSize(kWidth, kHeight);
    canvas.Pen() = {0xC0C0C0, tPenStyle::Solid, 1};
    canvas.Brush() = {0xE0E0E0, tBrushStyle::Solid};
    canvas.Rectangle(0, 0, kWidth, kHeight);
    canvas.Brush().style = tBrushStyle::Clear;
    SetCrispFont(canvas.Font());
    int y = 10;
    y = DrawSection(canvas, random, y, 120,
                    {0x0000FF, 0x00A000, 0xFF0000, 0x00C0C0, 0xC000C0, 0x808000}, false, true);
    y = DrawSection(canvas, random, y, 40, {0x004080}, false, false);
    y = DrawSection(canvas, random, y, 40, {0x008040, 0x800040}, false, false);
    y = DrawSection(canvas, random, y, 60, {0xFF8040, 0xC06000}, true, false);
    y = DrawSection(canvas, random, y, 60, {0x0000C0, 0x00C000}, false, false);
    y = DrawSection(canvas, random, y, 80, {0x2020E0}, true, false);
    canvas.Font().height = 13;
    canvas.Font().colour = 0x804000;
    canvas.TextOut(3, y, "Time 10.12.2026 12:00:00");
    canvas.TextOut(135, y, "Uptime 3 d 04:05:06 h");
    canvas.TextOutRight(kWidth - 2, y, "Calorix 3.36");
}

const tCanvas& Chart() {
    static const tCanvas chart = [] {
        tCanvas canvas;
        DrawChart(canvas);
        return canvas;
    }();
    return chart;
}

// The baseline: the same picture as 32-bit RGBA at level 9, libpng's defaults otherwise.
std::string EncodeRgba(const tCanvas& canvas) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> bytes;
    for (tColour c : canvas.Pixels()) {
        bytes.insert(bytes.end(), {RedOf(c), GreenOf(c), BlueOf(c), 255});
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < canvas.Height(); ++y) rows.push_back(bytes.data() + size_t(y) * kWidth * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            static_cast<std::string*>(png_get_io_ptr(p))
                ->append(reinterpret_cast<const char*>(data), length);
        },
        nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(canvas.Width()), png_uint_32(canvas.Height()), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

void BM_DrawChart(benchmark::State& state) {
    tCanvas canvas;
    DrawChart(canvas);  // fonts loaded once, as a renderer keeps them
    for (auto _ : state) {
        DrawChart(canvas);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
}
BENCHMARK(BM_DrawChart)->Unit(benchmark::kMillisecond);

void BM_PngRgbaBaseline(benchmark::State& state) {
    size_t size = 0;
    for (auto _ : state) size = EncodeRgba(Chart()).size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_PngRgbaBaseline)->Unit(benchmark::kMillisecond);

// Arguments: palette (1) or RGB (0), zlib strategy, libpng filter mask.
void BM_Png(benchmark::State& state) {
    tPngOptions options;
    options.allowPalette = state.range(0) != 0;
    options.paletteStrategy = options.rgbStrategy = int(state.range(1));
    options.paletteFilters = options.rgbFilters = int(state.range(2));
    size_t size = 0;
    for (auto _ : state) size = EncodePng(Chart(), options).size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_Png)
    ->ArgNames({"palette", "strategy", "filters"})
    ->ArgsProduct({{1, 0},
                   {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_FIXED},
                   {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_PAETH,
                    PNG_ALL_FILTERS}})
    ->Unit(benchmark::kMillisecond);

// The defaults the monitor writes with.
void BM_PngChosen(benchmark::State& state) {
    size_t size = 0;
    for (auto _ : state) size = EncodePng(Chart()).size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_PngChosen)->Unit(benchmark::kMillisecond);

void BM_DrawAndSavePng(benchmark::State& state) {
    tCanvas canvas;
    DrawChart(canvas);
    for (auto _ : state) {
        DrawChart(canvas);
        benchmark::DoNotOptimize(EncodePng(canvas));
    }
}
BENCHMARK(BM_DrawAndSavePng)->Unit(benchmark::kMillisecond);

void BM_Gif(benchmark::State& state) {
    size_t size = 0;
    for (auto _ : state) size = EncodeGif(Chart()).size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_Gif)->Unit(benchmark::kMillisecond);

// --- A week of readings through the core, and the monitor's pictures of it.

// 2026-12-10 12:00:00 UTC: the end of the week and the charts' right edge.
constexpr TDateTime kWeekEnd = 46366.5;
constexpr double kWeekHours = 168;
constexpr int kTicksPerWeek = 7 * 4320;  // one reading pass every 20 seconds

// The readings of one pass `tick` passes into the week: ten temperatures
// with a daily swing, a slower drift and a little noise, four processor
// loads, the memory, the clock and the network counters.
void FillWeekSample(tSample& s, tSample2& s2, TDateTime t, int tick, std::mt19937& random) {
    std::normal_distribution<double> noise(0, 20);
    const double day = 2 * std::numbers::pi * (t - std::floor(t));
    for (int i = 0; i < kTempSlots; ++i) {
        const double celsius100 = 3200 + 250 * i + 600 * std::sin(day + 0.4 * i) +
                                  250 * std::sin(tick / 900.0 + i) + noise(random);
        s.T[i] = int16_t(std::lround(celsius100));
    }
    for (int i = 0; i < 4; ++i) {
        s.CPU[i] = int16_t(std::clamp(2500 + 2000 * std::sin(tick / 120.0 + i) + 10 * noise(random),
                                      0.0, 10000.0));
        s.NetIn[i] = int32_t((tick * (40 + 10 * i)) % 2000000000);
        s.NetOut[i] = int32_t((tick * (10 + 5 * i)) % 2000000000);
    }
    s.MemUsed = int32_t(4000000 + 1000000 * std::sin(tick / 2000.0));
    s.MemFree = 8000000 - s.MemUsed;
    s.PageUsed = 200000;
    s.PageFree = 1800000;
    s.Cache = 1500000;
    s.Clock = int32_t(2400000 + 800000 * std::sin(tick / 60.0));
    s2.ActiveSeconds = tick * 20;
}

struct tWeek {
    tHistories histories;
    tSample last{};
    tSample2 last2{};
};

// The week through AddToStats into all three logs, as the reading passes add
// them, with a forced row every 30 minutes as the saves do.
tWeek MakeWeek(const tEventLog& events) {
    tWeek week;
    const tLocaleFormats locale;
    std::mt19937 random(7);
    tSample sample;
    tSample2 sample2;
    MakeBreakRow(0, sample, sample2);
    sample2 = {};
    const tLogParams params[] = {kLog8h, kLog7d, kLog1a};
    tT* logs[] = {&week.histories.log8h, &week.histories.log7d, &week.histories.log1a};
    for (int tick = 0; tick <= kTicksPerWeek; ++tick) {
        const TDateTime t = kWeekEnd - (kTicksPerWeek - tick) * 20 / 86400.0;
        sample.time = sample2.time = t;
        FillWeekSample(sample, sample2, t, tick, random);
        const tHistoryInput input{sample, sample2, t, false, events, locale};
        const bool save = tick % 90 == 89;
        for (int k = 0; k < 3; ++k) {
            AddToStats(*logs[k], input, save, params[k].gapLimit, params[k].step, params[k].span);
        }
    }
    week.last = sample;
    week.last2 = sample2;
    return week;
}

// Everything the pictures are drawn from: default settings (every temperature
// shown), the English texts, the week and fixed system facts.
struct tWeekWorld {
    tWeekWorld() : events("/dev/null", debug), week(MakeWeek(events)) {
        if (!LoadMessageTable(messages, ProgramDirectory(), "English.lng")) {
            LoadMessageTable(messages,
                             std::filesystem::path(CALORIX_FIXTURES) / ".." / ".." / "lang",
                             "English.lng");
        }
        rs.sample = week.last;
        rs.sample2 = week.last2;
        rs.processorCount = 4;
        facts.userName = [] { return std::optional<std::string>("ada"); };
        facts.hostName = [] { return std::string("heater"); };
        facts.localIPAddresses = [] { return std::vector<std::string>{"10.0.0.7"}; };
        facts.environmentValue = [](const std::string&) { return std::string(); };
    }
    tChartContext ChartContext() {
        return {rs,          settings, messages,
                locale,      rules,    events,
                facts,       {},       &week.histories.log8h,
                kProgramLine};
    }
    tPictureContext PictureContext() {
        return {rs,    settings, week.histories.log8h, messages, locale,
                rules, events,   "/nonexistent/",      facts,    fonts};
    }

    bool debug = false;
    tEventLog events;
    tWeek week;
    tReadingSet rs;
    tSettings settings;
    tMessages messages;
    tLocaleFormats locale;
    tTimeZoneRules rules;  // UTC
    tSystemFacts facts;
    std::shared_ptr<tFontLibrary> fonts = std::make_shared<tFontLibrary>();
};

tWeekWorld& World() {
    static tWeekWorld world;
    return world;
}

void DrawWeekChart(tCanvas& canvas, tChartContext& context) {
    DrawStats(canvas, World().week.histories.log7d, kWeekEnd, kWeekHours, context);
}

void SetPictureCounters(benchmark::State& state, const tCanvas& canvas, size_t bytes) {
    state.counters["width"] = canvas.Width();
    state.counters["height"] = canvas.Height();
    if (bytes > 0) state.counters["bytes"] = double(bytes);
}

void BM_WeekChartDraw(benchmark::State& state) {
    tChartContext context = World().ChartContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawWeekChart(canvas, context);  // fonts loaded once, as the monitor keeps them
    for (auto _ : state) {
        DrawWeekChart(canvas, context);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
    state.counters["rows"] = World().week.histories.log7d.count + 1;
    SetPictureCounters(state, canvas, 0);
}
BENCHMARK(BM_WeekChartDraw)->Unit(benchmark::kMillisecond);

void BM_WeekChartDrawAndPng(benchmark::State& state) {
    tChartContext context = World().ChartContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawWeekChart(canvas, context);
    size_t bytes = 0;
    for (auto _ : state) {
        DrawWeekChart(canvas, context);
        bytes = EncodePng(canvas).size();
        benchmark::DoNotOptimize(bytes);
    }
    SetPictureCounters(state, canvas, bytes);
}
BENCHMARK(BM_WeekChartDrawAndPng)->Unit(benchmark::kMillisecond);

void BM_BannerDraw(benchmark::State& state) {
    tPictureContext context = World().PictureContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawBanner(canvas, context);
    for (auto _ : state) {
        DrawBanner(canvas, context);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
    SetPictureCounters(state, canvas, 0);
}
BENCHMARK(BM_BannerDraw)->Unit(benchmark::kMillisecond);

void BM_BannerDrawAndPng(benchmark::State& state) {
    tPictureContext context = World().PictureContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawBanner(canvas, context);
    size_t bytes = 0;
    for (auto _ : state) {
        DrawBanner(canvas, context);
        bytes = EncodePng(canvas).size();
        benchmark::DoNotOptimize(bytes);
    }
    SetPictureCounters(state, canvas, bytes);
}
BENCHMARK(BM_BannerDrawAndPng)->Unit(benchmark::kMillisecond);

void BM_LightDraw(benchmark::State& state) {
    const tPictureContext context = World().PictureContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawLight(canvas, context);
    for (auto _ : state) {
        DrawLight(canvas, context);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
    SetPictureCounters(state, canvas, 0);
}
BENCHMARK(BM_LightDraw)->Unit(benchmark::kMicrosecond);

void BM_LightDrawAndPng(benchmark::State& state) {
    const tPictureContext context = World().PictureContext();
    tCanvas canvas(0, 0, World().fonts);
    DrawLight(canvas, context);
    size_t bytes = 0;
    for (auto _ : state) {
        DrawLight(canvas, context);
        bytes = EncodePng(canvas).size();
        benchmark::DoNotOptimize(bytes);
    }
    SetPictureCounters(state, canvas, bytes);
}
BENCHMARK(BM_LightDrawAndPng)->Unit(benchmark::kMicrosecond);

// Writes the week's history files into `dir` and the 7-day log's
// temperatures as rrdtool update arguments; false with a message on failure.
bool WriteWeek(const std::filesystem::path& dir) {
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    const bool debug = false;
    const tEventLog events(dir / "CXEvents.txt", debug);
    const tWeek week = MakeWeek(events);
    WriteStatsLog(week.histories.log8h, dir, kLog8h.stem, false, events);
    WriteStatsLog(week.histories.log7d, dir, kLog7d.stem, false, events);
    WriteStatsLog(week.histories.log1a, dir, kLog1a.stem, false, events);
    std::ofstream out(dir / "week-rrd.txt");
    const tT& log = week.histories.log7d;
    long previous = 0;
    for (int32_t row = 0; row <= log.count; ++row) {
        const tSample& s = log.rows[size_t(row)];
        if (s.time <= 0) continue;
        const long seconds = std::lround((s.time - kUnixEpochDays) * 86400);
        if (seconds <= previous) continue;  // rrdtool takes strictly rising times
        previous = seconds;
        std::string line = std::to_string(seconds);
        for (int16_t t : s.T) {
            char value[16];
            if (t == kNoValue16) {
                std::snprintf(value, sizeof value, ":U");
            } else {
                std::snprintf(value, sizeof value, ":%.2f", t / 100.0);
            }
            line += value;
        }
        out << line << "\n";
    }
    out.close();
    if (!out || !std::filesystem::exists(dir / (std::string(kLog7d.stem) + "6"))) {
        std::cerr << "bench_render: cannot write the week into " << dir.string() << "\n";
        return false;
    }
    std::cout << "wrote " << log.count + 1 << " rows of the 7-day log ending "
              << std::lround((kWeekEnd - kUnixEpochDays) * 86400) << " into " << dir.string()
              << "\n";
    return true;
}

// One chart of the week drawn with its own copy of the settings (a drawing
// writes its automatic limits back into them), the 8-hour log for spans up to
// 8 hours and the 7-day log otherwise, as the views choose.
tCanvas WeekChart(double spanHours, const tSettings& chosen) {
    tWeekWorld& world = World();
    tSettings settings = chosen;
    tChartContext context{world.rs,     settings,      world.messages,
                          world.locale, world.rules,   world.events,
                          world.facts,  {},            &world.week.histories.log8h,
                          kProgramLine};
    tCanvas canvas(0, 0, world.fonts);
    const tT& log = spanHours <= 8 ? world.week.histories.log8h : world.week.histories.log7d;
    DrawStats(canvas, log, kWeekEnd, spanHours, context);
    return canvas;
}

bool WritePictures(const std::filesystem::path& dir) {
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    tWeekWorld& world = World();
    bool ok = true;
    auto write = [&](const tCanvas& canvas, const std::string& name) {
        std::string error;
        if (!WriteImageFile(canvas, dir / name, &error)) {
            std::cerr << "bench_render: cannot write " << name << ": " << error << "\n";
            ok = false;
        }
    };
    const tSettings defaults = world.settings;
    write(WeekChart(8, defaults), "chart-8h.png");
    write(WeekChart(24, defaults), "chart-24h.png");
    write(WeekChart(kWeekHours, defaults), "chart-7d.png");

    tSettings linearNet = defaults;
    linearNet.NetLog = false;
    linearNet.NetSep = true;
    linearNet.visNet.fill(true);
    write(WeekChart(24, linearNet), "chart-24h-net-linear-separate.png");
    write(WeekChart(kWeekHours, linearNet), "chart-7d-net-linear-separate.png");

    tSettings fixedNet = defaults;
    fixedNet.NetAuto = false;
    fixedNet.NetMin = 4;
    fixedNet.NetMax = 40;
    fixedNet.ShowOfflineTime = false;
    write(WeekChart(kWeekHours, fixedNet), "chart-7d-net-fixed.png");

    tSettings styled = defaults;
    styled.Alpha = 0.5;
    styled.boldT.fill(false);
    styled.boldCPU = {true, false, true, false};
    styled.visCPUFreq = true;
    styled.IncludeStaticData = true;
    styled.MemFree = true;
    styled.Page = 1;
    styled.visCache = 1;
    styled.TimeInUTC = true;
    write(WeekChart(8, styled), "chart-8h-styled.png");
    write(WeekChart(kWeekHours, styled), "chart-7d-styled.png");

    tSettings wide = defaults;
    wide.StatsWidth = 1400;
    wide.THeight = 240;
    wide.NetHeight = 140;
    write(WeekChart(kWeekHours, wide), "chart-7d-wide.png");

    // The comparison with rrdtool: ten temperatures and nothing else.
    tSettings temperatures = defaults;
    temperatures.visT.fill(1);
    temperatures.visCPU.fill(false);
    temperatures.visUser = false;
    temperatures.visNet.fill(false);
    temperatures.visDisk.fill(false);
    temperatures.Page = temperatures.visMem = temperatures.visCache = 0;
    temperatures.visBat = false;
    write(WeekChart(kWeekHours, temperatures), "chart-7d-temperatures.png");

    tPictureContext picture = world.PictureContext();
    tCanvas banner(0, 0, world.fonts);
    DrawBanner(banner, picture);
    write(banner, "banner.png");
    tCanvas light(0, 0, world.fonts);
    DrawLight(light, picture);
    write(light, "light.png");
    write(Chart(), "synthetic.png");
    if (ok) std::cout << "wrote the pictures of the week into " << dir.string() << "\n";
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-week") == 0) {
        return WriteWeek(argv[2]) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--write-pictures") == 0) {
        return WritePictures(argv[2]) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
