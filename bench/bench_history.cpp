// The history logs: a year of 20-second ticks through the three logs, and
// saving and loading full logs (with the flushes to disk).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "monitor/core/HistoryFiles.h"
#include "monitor/core/HistoryLog.h"
#include "monitor/core/HistoryStore.h"

namespace {

using namespace cx;

constexpr double kSecond = 1.0 / 86400;
constexpr TDateTime kStart = 46091.0;  // 2026-03-10
constexpr int kTicksPerYear = 366 * 4320;

void FillSample(tSample& s, tSample2& s2, TDateTime t, int tick) {
    s.time = t;
    s2.time = t;
    for (int i = 0; i < 10; ++i) {
        s.T[i] = static_cast<int16_t>(4000 + (tick + i) % 300);
        s.V[i] = static_cast<int16_t>(1200 + (tick + i) % 7);
        s.F[i] = static_cast<int16_t>(2000 + (tick * 3 + i) % 50);
    }
    s2.ActiveSeconds = tick;
}

// The three logs after a year of ticks with a save (a forced row) every 30 minutes.
void RunYear(tHistories& h, const tEventLog& events, const tLocaleFormats& locale) {
    tSample sample{};
    tSample2 sample2{};
    const tLogParams params[] = {kLog8h, kLog7d, kLog1a};
    tT* logs[] = {&h.log8h, &h.log7d, &h.log1a};
    for (int tick = 0; tick < kTicksPerYear; ++tick) {
        const TDateTime t = kStart + tick * 20 * kSecond;
        FillSample(sample, sample2, t, tick);
        const tHistoryInput input{sample, sample2, t, true, events, locale};
        const bool save = tick % 90 == 89;
        for (int k = 0; k < 3; ++k) {
            AddToStats(*logs[k], input, save, params[k].gapLimit, params[k].step, params[k].span);
        }
    }
}

struct tBenchFolder {
    tBenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "calorix-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern;
    }
    ~tBenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

void BM_AddToStatsYear(benchmark::State& state) {
    const bool debug = false;
    const tEventLog events("/dev/null", debug);
    const tLocaleFormats locale;
    for (auto _ : state) {
        tHistories h;
        RunYear(h, events, locale);
        state.counters["rows8h"] = h.log8h.count + 1;
        state.counters["rows7d"] = h.log7d.count + 1;
        state.counters["rows1a"] = h.log1a.count + 1;
        benchmark::DoNotOptimize(h.log1a.rows.data());
    }
}
BENCHMARK(BM_AddToStatsYear)->Unit(benchmark::kMillisecond);

// Full logs: the state after a year, saved to and loaded from a real folder
// through the program's own routines (the reading pass left out).
struct tFullLogs {
    tFullLogs() : events("/dev/null", debug, clock) {
        RunYear(histories, events, locale);
        clock.local = histories.log8h.rows[histories.log8h.count].time;
        rs.sample = histories.log8h.rows[histories.log8h.count];
        rs.sample2 = histories.log8h.rows2[histories.log8h.count];
    }
    const bool debug = false;
    tFakeClock clock;
    const tEventLog events;
    const tLocaleFormats locale;
    tHistories histories;
    tReadingSet rs;
    tSettings settings;
    tBenchFolder folder;
    tCoreContext context{histories, rs, settings, events, clock, folder.path, {}, locale};
};

void BM_WriteLogsFull(benchmark::State& state) {
    tFullLogs logs;
    const bool keepBackup = state.range(0) != 0;
    for (auto _ : state) {
        // Twenty seconds between saves, so each save adds one row as it would.
        logs.clock.Advance(20);
        logs.rs.sample.time = logs.rs.sample2.time = logs.clock.local;
        WriteLogs(logs.context, keepBackup);
    }
    state.counters["bytes"] = static_cast<double>(
        (logs.histories.log8h.count + logs.histories.log7d.count + logs.histories.log1a.count + 3) *
        (sizeof(tSample) + sizeof(tSample2)));
}
BENCHMARK(BM_WriteLogsFull)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadLogsFull(benchmark::State& state) {
    tFullLogs logs;
    WriteLogs(logs.context, false);
    for (auto _ : state) {
        tHistories loaded;
        tCoreContext context{loaded,           logs.rs, logs.settings, logs.events, logs.clock,
                             logs.folder.path, {},      logs.locale};
        ReadLogs(context);
        benchmark::DoNotOptimize(loaded.log1a.rows.data());
    }
}
BENCHMARK(BM_ReadLogsFull)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
