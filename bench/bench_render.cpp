// Drawing and encoding of a chart-sized picture: how long a 550 x 700 chart
// takes to draw, and what each PNG layout, zlib strategy and row filter costs
// in time and bytes (the "bytes" counter) against an RGBA baseline and GIF.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "monitor/render/Canvas.h"
#include "monitor/render/ImageFiles.h"
#include "monitor/render/SectionFrame.h"
#include "monitor/render/SevenSegment.h"

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

}  // namespace

BENCHMARK_MAIN();
